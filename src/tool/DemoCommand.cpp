#include "tool/ToolCommand.h"

#include "tool/DemoPages.h"

#include "model/FrameSet.h"
#include "render/display/VideoMode.h"

#include <QDir>

namespace {

int RunDemo(const QStringList& arguments)
{
    QString folder;
    bool reference = false;
    int grid = 0;
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
        } else if (argument == QLatin1String("--grid") && i + 1 < arguments.size()) {
            bool number = false;
            grid = arguments[++i].toInt(&number);
            if (!number || grid < 1 || grid > CFrameSet::kMaxObjects) {
                ToolError(QStringLiteral("tavrel-tool demo: --grid needs a number of objects from 1 to %1\n")
                              .arg(CFrameSet::kMaxObjects));
                return 2;
            }
        } else {
            ToolError(QStringLiteral("tavrel-tool demo: unexpected argument %1 (see --help)\n").arg(argument));
            return 2;
        }
    }
    if (folder.isEmpty()) {
        ToolError(QStringLiteral("tavrel-tool demo: --out FOLDER is required\n"));
        return 2;
    }
    if (reference && grid) {
        ToolError(QStringLiteral("tavrel-tool demo: --reference and --grid write different pages; give one\n"));
        return 2;
    }
    QString error;
    bool written = false;
    QString page;
    if (grid) {
        written = WriteGridPage(folder, grid, mode->framePeriodUs, error);
        page = GridPageName(grid);
    } else if (reference) {
        written = WriteReferencePage(folder, mode->framePeriodUs, error);
        page = QLatin1String(kReferencePageName);
    } else {
        written = WriteDemoPage(folder, mode->framePeriodUs, error);
        page = QLatin1String(kDemoPageName);
    }
    if (!written) {
        ToolError(QStringLiteral("tavrel-tool demo: %1\n").arg(error));
        return 1;
    }
    ToolOut(QDir(folder).absoluteFilePath(page) + QLatin1Char('\n'));
    return 0;
}

const ToolCommandRegistration registration({
    QStringLiteral("demo"),
    QStringLiteral("write the demo page, the reference page or a grid page of N objects"),
    QStringLiteral("Usage: tavrel-tool demo --out FOLDER [--reference | --grid N] [--mode NAME]\n\n"
                   "Writes demo.tavrel and the files its objects read (crawl.txt, credits.rtf,\n"
                   "results.csv, title.png, clip.mkv) into FOLDER, made from the engine's own\n"
                   "objects. With --reference it writes reference.tavrel instead: the page\n"
                   "`tavrel-tool bench` measures real time with (16 lower thirds on pictures\n"
                   "with two lines of text, a full-width crawl, a 600 x 800 roll, a clock and\n"
                   "a running timer). With --grid N (1 to 256) it writes gridN.tavrel: N\n"
                   "objects of 240 x 60, 16 to a row (112 pixels apart, so that neighbours\n"
                   "overlap by 128 pixels; rows 68 apart), each on a picture of its own\n"
                   "with one line of text, a drop shadow on every other one, all coming in\n"
                   "with effects of 400 ms (slides, stretches and reveals in every row,\n"
                   "every fourth with a fade): the pages that show how the renderer's cost\n"
                   "grows with the number of objects. --mode (a 1080-line mode, default\n"
                   "1080p50) sets the frame period stored with the objects. Prints the\n"
                   "page's path.\n"
                   "Exit status: 0 written; 1 a file could not be written; 2 wrong arguments.\n"),
    &RunDemo,
});

}  // namespace
