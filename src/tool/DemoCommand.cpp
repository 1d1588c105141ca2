#include "tool/ToolCommand.h"

#include "tool/DemoPages.h"

#include "render/display/VideoMode.h"

#include <QDir>

namespace {

int RunDemo(const QStringList& arguments)
{
    QString folder;
    bool reference = false;
    const VideoMode* mode = VideoModeByName(QStringLiteral("1080p50"));
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--out") && i + 1 < arguments.size()) {
            // Absolute, so that the page stores its files relative to itself.
            folder = QDir(arguments[++i]).absolutePath();
        } else if (argument == QLatin1String("--mode") && i + 1 < arguments.size()) {
            mode = VideoModeByName(arguments[++i]);
            if (!mode || mode->canvasWidth != 1920 || mode->canvasHeight != 1080) {
                ToolError(QStringLiteral("tavrel-tool demo: --mode needs a 1080-line mode (see tavrel-tool modes)\n"));
                return 2;
            }
        } else if (argument == QLatin1String("--reference")) {
            reference = true;
        } else {
            ToolError(QStringLiteral("tavrel-tool demo: unexpected argument %1 (see --help)\n").arg(argument));
            return 2;
        }
    }
    if (folder.isEmpty()) {
        ToolError(QStringLiteral("tavrel-tool demo: --out FOLDER is required\n"));
        return 2;
    }
    QString error;
    const bool written = reference ? WriteReferencePage(folder, mode->framePeriodUs, error)
                                   : WriteDemoPage(folder, mode->framePeriodUs, error);
    if (!written) {
        ToolError(QStringLiteral("tavrel-tool demo: %1\n").arg(error));
        return 1;
    }
    ToolOut(QDir(folder).absoluteFilePath(QLatin1String(reference ? kReferencePageName : kDemoPageName)) +
            QLatin1Char('\n'));
    return 0;
}

const ToolCommandRegistration registration({
    QStringLiteral("demo"),
    QStringLiteral("write the demo page or the reference page with their data files"),
    QStringLiteral("Usage: tavrel-tool demo --out FOLDER [--reference] [--mode NAME]\n\n"
                   "Writes demo.tavrel and the files its objects read (crawl.txt, credits.rtf,\n"
                   "results.csv, title.png, clip.mkv) into FOLDER, made from the engine's own\n"
                   "objects. With --reference it writes reference.tavrel instead: the page\n"
                   "`tavrel-tool bench` measures real time with (16 lower thirds on pictures\n"
                   "with two lines of text, a full-width crawl, a 600 x 800 roll, a clock and\n"
                   "a running timer). --mode (a 1080-line mode, default 1080p50) sets the\n"
                   "frame period stored with the objects. Prints the page's path.\n"
                   "Exit status: 0 written; 1 a file could not be written; 2 wrong arguments.\n"),
    &RunDemo,
});

}  // namespace
