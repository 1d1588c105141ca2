#include "tool/JsonText.h"
#include "tool/PageInput.h"
#include "tool/ToolCommand.h"

#include "content/FramePlayer.h"
#include "model/Picture.h"
#include "render/core/OfflineRenderer.h"
#include "render/display/VideoMode.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSaveFile>

#include <algorithm>

namespace {

constexpr int kDefaultAtMs = 2000;
constexpr int kMaxAtMs = 600000;

struct Bounds
{
    int left = 0;
    int top = 0;
    int right = -1;  // inclusive; right < left: nothing visible
    int bottom = -1;
};

// The smallest rectangle that holds every pixel with any opacity.
Bounds VisibleBounds(const CPicture& picture)
{
    Bounds b{picture.width, picture.height, -1, -1};
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* row = reinterpret_cast<const uint8_t*>(picture.pixels.data()) + static_cast<size_t>(y) * picture.width * 4;
        for (int x = 0; x < picture.width; ++x) {
            if (row[x * 4 + 3] == 0)
                continue;
            b.left = std::min(b.left, x);
            b.right = std::max(b.right, x);
            b.top = std::min(b.top, y);
            b.bottom = std::max(b.bottom, y);
        }
    }
    return b;
}

// Object `index` alone, played from frame 0 on the virtual clock up to
// atMs: its background, text and shadow as the canvas holds them.
int RenderObjectAlone(const PlayOptions& options, int index, int atMs, CPicture* canvas)
{
    const VideoMode& mode = *options.mode;
    CFrameSet page;
    if (const int status = LoadPageInto(options.input, mode, page))
        return status;
    COfflineRenderer renderer(page, mode, 0, options.device);
    if (const int error = renderer.RenderError()) {
        ToolError(RenderErrorText(error) + QLatin1Char('\n'));
        return 1;
    }
    FrameList objects;
    page.TakeSnapshot(objects);
    if (index < static_cast<int>(objects.size()))
        CFramePlayer(*objects[index]).Play();
    page.ReleaseSnapshot();
    const int frames = static_cast<int>(static_cast<int64_t>(atMs) * 1000 / mode.framePeriodUs) + 1;
    for (int i = 0; i < frames; ++i) {
        if (renderer.RenderNext() != kFrameOk) {
            ToolError(QStringLiteral("tavrel-tool layers: object %1, frame %2 failed\n").arg(index + 1).arg(i));
            return 1;
        }
    }
    if (!renderer.ReadCanvas(canvas)) {
        ToolError(QStringLiteral("tavrel-tool layers: object %1 could not be read back\n").arg(index + 1));
        return 1;
    }
    return 0;
}

int RunLayers(const QStringList& arguments)
{
    PlayOptions options;
    QStringList other;
    if (!ParsePlayOptions(QStringLiteral("layers"), arguments, {"--out", "--at-ms"}, options, other))
        return kUsageError;
    QString out;
    int atMs = kDefaultAtMs;
    for (int i = 0; i + 1 < other.size(); i += 2) {
        if (other[i] == QLatin1String("--out")) {
            out = other[i + 1];
        } else {
            bool ok = false;
            atMs = other[i + 1].toInt(&ok);
            if (!ok || atMs < 0 || atMs > kMaxAtMs) {
                ToolError(QStringLiteral("tavrel-tool layers: --at-ms takes 0 to %1\n").arg(kMaxAtMs));
                return kUsageError;
            }
        }
    }
    if (out.isEmpty()) {
        ToolError(QStringLiteral("tavrel-tool layers: --out FOLDER is required\n"));
        return kUsageError;
    }
    if (options.seconds > 0 || options.frames > 0 || options.device == QLatin1String("all")) {
        ToolError(QStringLiteral("tavrel-tool layers: takes --at-ms and --device auto|cpu|gl, not --seconds, --frames or all\n"));
        return kUsageError;
    }
    if (IsScriptInput(options.input)) {
        ToolError(QStringLiteral("tavrel-tool layers: give a page (.tavrel)\n"));
        return 1;
    }
    const VideoMode& mode = *options.mode;
    CFrameSet page;
    if (const int status = LoadPageInto(options.input, mode, page))
        return status;
    const int objectCount = page.LiveCount();
    if (!QDir().mkpath(out)) {
        ToolError(QStringLiteral("tavrel-tool layers: cannot make the folder %1\n").arg(out));
        return 1;
    }

    QStringList layers;
    for (int index = 0; index < objectCount; ++index) {
        CPicture canvas;
        if (const int status = RenderObjectAlone(options, index, atMs, &canvas))
            return status;
        const Bounds b = VisibleBounds(canvas);
        if (b.right < b.left)
            continue;  // nothing of it on the canvas at that moment
        const QImage whole(reinterpret_cast<const uchar*>(canvas.pixels.data()), canvas.width, canvas.height,
                           canvas.width * 4, QImage::Format_ARGB32);
        const QImage layer = whole.copy(b.left, b.top, b.right - b.left + 1, b.bottom - b.top + 1);
        const QString file = QStringLiteral("layer_%1.png").arg(index + 1, 3, 10, QLatin1Char('0'));
        if (!layer.save(QDir(out).filePath(file), "PNG")) {
            ToolError(QStringLiteral("tavrel-tool layers: cannot write %1\n").arg(QDir(out).filePath(file)));
            return 1;
        }
        CJsonObjectText entry;
        entry.Add("object", index + 1);
        entry.Add("file", file);
        entry.Add("x", b.left);
        entry.Add("y", b.top);
        entry.Add("width", layer.width());
        entry.Add("height", layer.height());
        layers << entry.Text();
    }

    CJsonObjectText json;
    json.Add("page", options.input);
    json.Add("mode", QLatin1String(mode.name));
    json.Add("atMs", atMs);
    json.Add("width", mode.canvasWidth);
    json.Add("height", mode.canvasHeight);
    json.AddJson("layers", JsonArray(layers, QStringLiteral("  ")));
    const QString jsonPath = QDir(out).filePath(QStringLiteral("layers.json"));
    QSaveFile file(jsonPath);
    if (!file.open(QIODevice::WriteOnly) || file.write((json.Text() + QLatin1Char('\n')).toUtf8()) < 0 || !file.commit()) {
        ToolError(QStringLiteral("tavrel-tool layers: cannot write %1\n").arg(jsonPath));
        return 1;
    }
    ToolOut(jsonPath + QLatin1Char('\n'));
    return 0;
}

const ToolCommandRegistration registration({
    QStringLiteral("layers"),
    QStringLiteral("write each object of a page as a still picture with its position"),
    QStringLiteral(
        "Usage: tavrel-tool layers PAGE.tavrel --mode NAME --out FOLDER [--at-ms T]\n"
        "           [--device auto|cpu|gl]\n"
        "\n"
        "Plays each object of the page on its own on the virtual clock of\n"
        "`tavrel-tool render` and, T ms after it starts (default 2000), writes what\n"
        "it puts on the canvas (background, text and shadow, straight RGBA) cut to\n"
        "its visible pixels as layer_NNN.png (NNN: the object's number, bottom\n"
        "first), and layers.json:\n"
        "\n"
        "  {\"page\": ..., \"mode\": \"1080p50\", \"atMs\": 2000, \"width\": 1920, \"height\": 1080,\n"
        "   \"layers\": [{\"object\": 1, \"file\": \"layer_001.png\", \"x\": 40, \"y\": 900,\n"
        "                \"width\": 600, \"height\": 120}, ...]}\n"
        "\n"
        "Objects with nothing visible at that moment are left out. Stacking the\n"
        "layers in order at their positions gives the composed canvas.\n"
        "Exit status: 0 written; 1 to 4 the page's file status or a failure to\n"
        "render or write; 5 made for another video mode; 2 wrong arguments.\n"),
    &RunLayers,
});

}  // namespace
