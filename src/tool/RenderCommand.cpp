#include "tool/PageInput.h"
#include "tool/ToolCommand.h"

#include "model/Picture.h"
#include "render/OfflineRenderer.h"
#include "render/VideoMode.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <cmath>

namespace {

constexpr int kUsageError = 2;

QImage ImageOf(const CPicture& picture, bool withAlpha)
{
    QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                 picture.width * 4, withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return image.copy();  // owns its pixels
}

int RunRender(const QStringList& arguments)
{
    PlayOptions options;
    QStringList other;
    if (!ParsePlayOptions(QStringLiteral("render"), arguments, {"--out", "--output", "--play"}, options, other))
        return kUsageError;
    QString out;
    QString output = QStringLiteral("rgba");
    QString play = QStringLiteral("all");
    for (int i = 0; i + 1 < other.size(); i += 2) {
        if (other[i] == QLatin1String("--out"))
            out = other[i + 1];
        else if (other[i] == QLatin1String("--output"))
            output = other[i + 1];
        else
            play = other[i + 1];
    }
    if (out.isEmpty()) {
        ToolError(QStringLiteral("tavrel-tool render: --out FOLDER is required\n"));
        return kUsageError;
    }
    if (!QStringList{"rgba", "full", "limited"}.contains(output)) {
        ToolError(QStringLiteral("tavrel-tool render: --output takes rgba, full or limited\n"));
        return kUsageError;
    }
    if (play != QLatin1String("all") && play != QLatin1String("none")) {
        ToolError(QStringLiteral("tavrel-tool render: --play takes all or none\n"));
        return kUsageError;
    }
    if (options.device == QLatin1String("all")) {
        ToolError(QStringLiteral("tavrel-tool render: --device takes auto, cpu or gl\n"));
        return kUsageError;
    }
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix == QLatin1String("mov") || suffix == QLatin1String("mkv") || suffix == QLatin1String("avi")) {
        ToolError(QStringLiteral("tavrel-tool render: video files cannot be written yet; give a folder for PNG frames\n"));
        return 1;
    }
    if (IsScriptInput(options.input)) {
        ToolError(QStringLiteral("tavrel-tool render: scripts cannot be rendered yet; give a page (.tavrel)\n"));
        return 1;
    }

    const VideoMode& mode = *options.mode;
    CFrameSet page;
    if (const int status = LoadPageInto(options.input, mode, page))
        return status;
    int frames = options.frames;
    if (frames < 0)
        frames = static_cast<int>(std::lround((options.seconds > 0 ? options.seconds : 1.0) * 1e6 / mode.framePeriodUs));
    frames = std::max(frames, 1);
    if (!QDir().mkpath(out)) {
        ToolError(QStringLiteral("tavrel-tool render: cannot make the folder %1\n").arg(out));
        return 1;
    }

    COfflineRenderer renderer(page, mode, output == QLatin1String("full") ? 1 : 0, options.device);
    if (const int error = renderer.RenderError()) {
        ToolError(RenderErrorText(error) + QLatin1Char('\n'));
        return 1;
    }
    if (play == QLatin1String("all"))
        page.PlayAllObjects();
    for (int i = 0; i < frames; ++i) {
        if (renderer.RenderNext() != kFrameOk) {
            ToolError(QStringLiteral("tavrel-tool render: frame %1 failed\n").arg(i));
            return 1;
        }
        CPicture picture;
        const bool rgba = output == QLatin1String("rgba");
        if (!(rgba ? renderer.ReadCanvas(&picture) : renderer.ReadOutput(&picture))) {
            ToolError(QStringLiteral("tavrel-tool render: frame %1 could not be read back\n").arg(i));
            return 1;
        }
        const QString path = QDir(out).filePath(QStringLiteral("frame_%1.png").arg(i, 5, 10, QLatin1Char('0')));
        if (!ImageOf(picture, rgba).save(path, "PNG")) {
            ToolError(QStringLiteral("tavrel-tool render: cannot write %1\n").arg(path));
            return 1;
        }
    }
    return 0;
}

const ToolCommandRegistration registration({
    QStringLiteral("render"),
    QStringLiteral("render a page off-line to PNG frames"),
    QStringLiteral(
        "Usage: tavrel-tool render PAGE.tavrel --mode NAME --out FOLDER [--frames N]\n"
        "           [--seconds S] [--output rgba|full|limited] [--device auto|cpu|gl]\n"
        "           [--play all|none]\n"
        "\n"
        "Plays the page through the output engine on a virtual clock: every frame\n"
        "advances exactly one frame period of the mode, and before each frame the\n"
        "text of every playing object is prepared completely, so the frames are\n"
        "the same on every run and machine. Frame 0 is drawn at the moment the\n"
        "objects start (--play all, the default) or with nothing playing.\n"
        "\n"
        "  --out FOLDER   PNG files frame_00000.png, frame_00001.png, ... (the\n"
        "                 folder is made when missing)\n"
        "  --frames N     number of frames; or --seconds S (default 1 second)\n"
        "  --output rgba  the composed canvas as straight RGBA (default)\n"
        "  --output full|limited\n"
        "                 the output signal as the output carries it, RGB at\n"
        "                 canvas size: R = Y', G = Cb on even columns and Cr on\n"
        "                 odd ones, B = key; full or limited range\n"
        "  --device       graphics device: auto (OpenGL on a hardware driver,\n"
        "                 else the CPU device), cpu or gl\n"
        "\n"
        "Scripts and video files are not supported yet.\n"
        "\n"
        "Exit status: 0 written; 1 to 4 the page's file status (open failed,\n"
        "save failed, corrupt, unknown version) or a failure to render or write;\n"
        "5 made for another video mode; 2 wrong arguments.\n"),
    &RunRender,
});

}  // namespace
