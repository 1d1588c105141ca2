#include "tool/ToolCommand.h"

#include "content/PictureImport.h"
#include "document/CanvasPicture.h"
#include "model/PageFile.h"
#include "render/display/VideoMode.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace {

constexpr int kImportFailed = 1;

// Without an operator: sequences are imported, messages go to stderr.
class CToolImportFeedback : public IImportFeedback
{
public:
    bool Ask(const CUserMessage&) override { return true; }
    void Show(const CUserMessage& message) override
    {
        ToolError(message.text + QLatin1Char('\n'));
        if (message.icon == kMessageError)
            failed = true;
    }
    void BeginProgress(int) override {}
    bool Progress(int) override { return true; }
    void EndProgress() override {}

    bool failed = false;
};

int RunImport(const QStringList& arguments)
{
    QString input, out;
    const VideoMode* mode = nullptr;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--mode") && i + 1 < arguments.size()) {
            mode = VideoModeByName(arguments[++i]);
            if (!mode) {
                ToolError(QStringLiteral("tavrel-tool import: unknown video mode %1 (see tavrel-tool modes)\n")
                              .arg(arguments[i]));
                return kUsageError;
            }
        } else if (argument == QLatin1String("--out") && i + 1 < arguments.size()) {
            out = arguments[++i];
        } else if (input.isEmpty() && !argument.startsWith(QLatin1String("--"))) {
            input = argument;
        } else {
            ToolError(QStringLiteral("tavrel-tool import: unexpected argument %1\n").arg(argument));
            return kUsageError;
        }
    }
    if (input.isEmpty() || !mode || out.isEmpty()) {
        ToolError(QStringLiteral("Usage: tavrel-tool import FILE --mode NAME --out PAGE.tavrel\n"));
        return kUsageError;
    }

    const CImportTarget target{mode->canvasWidth, mode->canvasHeight, mode->framePeriodUs};
    CToolImportFeedback feedback;
    // As the file dialog gives it: absolute, so the page can store it relative to itself.
    CPictureImportResult result = ImportPictureObject(QFileInfo(input).absoluteFilePath(), target, feedback);
    if (!result.object) {
        if (!feedback.failed)
            ToolError(QStringLiteral("tavrel-tool import: nothing was imported\n"));
        return kImportFailed;
    }
    CPageFileContext context;
    context.rasterWidth = target.canvasWidth;
    context.rasterHeight = target.canvasHeight;
    context.framePeriod = target.framePeriod;
    const FrameList objects{result.object.get()};
    // The thumbnail the pages pane shows, composed as the editor would.
    const CPicture composed = ComposePagePicture(objects, target.canvasWidth, target.canvasHeight);
    context.composedPage = &composed;
    const QScreen* screen = QGuiApplication::primaryScreen();
    context.desktopDpi = screen ? int(std::lround(screen->logicalDotsPerInchX())) : 96;
    QString saveError;
    context.message = [&saveError](const CUserMessage& message) { saveError = message.text; };
    if (!WritePage(out, objects, context)) {
        ToolError(saveError.isEmpty() ? QStringLiteral("tavrel-tool import: the page could not be written\n")
                                      : saveError + QLatin1Char('\n'));
        return kImportFailed;
    }
    for (const CUserMessage& warning : result.warnings)
        ToolError(warning.text + QLatin1Char('\n'));
    return 0;
}

const ToolCommandRegistration registration({
    QStringLiteral("import"),
    QStringLiteral("import a picture, sequence, image list or video as a page of one object"),
    QStringLiteral(
        "Usage: tavrel-tool import FILE --mode NAME --out PAGE.tavrel\n\n"
        "Imports FILE as one new object, as the editor's \"Picture/animation\" command\n"
        "does for the video mode NAME, and writes a page holding that object:\n"
        "  a picture (BMP, GIF, JPEG, PNG, TGA, recognised by content; an animated\n"
        "  GIF gives an animation; a BMP with a \"_W\" companion gets its alpha from\n"
        "  the pair), a numbered sequence starting at FILE (name007.png, name008.png,\n"
        "  ... while the files exist), an image list (.txt: one picture per line,\n"
        "  \"path;ms\" for its own frame time) or a video (.avi, .mov, .mp4, .mkv, ...).\n"
        "Pictures larger than the canvas are cropped; at most 1000 frames are kept.\n"
        "Warnings go to stderr; a failed import exits 1 with the program's message.\n"),
    &RunImport,
});

}  // namespace
