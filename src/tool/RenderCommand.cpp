#include "tool/PageInput.h"
#include "tool/ToolCommand.h"

#include "content/PagePlayback.h"
#include "content/VideoFile.h"
#include "content/VideoWriter.h"
#include "model/Picture.h"
#include "render/core/OfflineRenderer.h"
#include "render/display/VideoMode.h"
#include "scripts/FrameScript.h"
#include "scripts/PageScriptTarget.h"
#include "scripts/ScriptClock.h"
#include "scripts/ScriptRunner.h"
#include "scripts/ScriptStrings.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSet>

#include <cmath>
#include <memory>

namespace {

// The interface timer of the program, on the virtual clock.
constexpr int64_t kScriptTickUs = 200000;

QImage ImageOf(const CPicture& picture, bool withAlpha)
{
    QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                 picture.width * 4, withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return image.copy();  // owns its pixels
}

// Frames per second of the file: one frame per frame period of the mode; the
// 59 modes are the 1000/1001 rates of their 60 counterparts.
void VideoRateOf(const VideoMode& mode, int& numerator, int& denominator)
{
    if (QLatin1String(mode.name).endsWith(QLatin1String("59"))) {
        numerator = 60000;
        denominator = 1001;
        return;
    }
    numerator = static_cast<int>(std::lround(1e6 / mode.framePeriodUs));
    denominator = 1;
}

// Where the frames go: numbered PNG files in a folder, or one video file
// that replaces an older one only once it is complete.
class FrameSink
{
public:
    bool Open(const QString& out, const VideoMode& mode)
    {
        out_ = out;
        if (CVideoWriter::CanWrite(out)) {
            video_ = std::make_unique<CVideoWriter>();
            int numerator = 0, denominator = 1;
            VideoRateOf(mode, numerator, denominator);
            if (!video_->Open(out, mode.canvasWidth, mode.canvasHeight, numerator, denominator)) {
                ToolError(QStringLiteral("tavrel-tool render: %1\n").arg(video_->Error()));
                return false;
            }
            return true;
        }
        if (!QDir().mkpath(out)) {
            ToolError(QStringLiteral("tavrel-tool render: cannot make the folder %1\n").arg(out));
            return false;
        }
        return true;
    }

    bool Write(int index, const CPicture& picture, bool withAlpha)
    {
        if (video_) {
            if (video_->WriteFrame(picture))
                return true;
            ToolError(QStringLiteral("tavrel-tool render: %1\n").arg(video_->Error()));
            return false;
        }
        const QString path = QDir(out_).filePath(QStringLiteral("frame_%1.png").arg(index, 5, 10, QLatin1Char('0')));
        if (ImageOf(picture, withAlpha).save(path, "PNG"))
            return true;
        ToolError(QStringLiteral("tavrel-tool render: cannot write %1\n").arg(path));
        return false;
    }

    // Finishes a video file; without this the unfinished file is dropped.
    bool Finish()
    {
        if (!video_ || video_->Close())
            return true;
        ToolError(QStringLiteral("tavrel-tool render: %1\n").arg(video_->Error()));
        return false;
    }

private:
    QString out_;
    std::unique_ptr<CVideoWriter> video_;
};

// A script and what runs it on the renderer's virtual clock: started at
// frame 0, its first tick before frame 0 is drawn, then one tick every
// 200 ms of virtual time.
class ScriptDriver
{
public:
    ScriptDriver(CFrameSet& page, const VideoMode& mode)
        : target_(page, mode.id, [this](const CUserMessage& message) {
              ToolError(message.text + QLatin1Char('\n'));
              if (message.icon == kMessageError)
                  failed_ = true;
          })
    {
    }

    // Loads the script; page files named by relative paths are looked for in
    // the script's folder. Returns 0 or the exit status, with the reason on
    // stderr.
    int Load(const QString& path, const VideoMode& mode)
    {
        if (!script_.LoadFile(path)) {
            ToolError(ScriptString(scriptstrings::kFileOpenFailed, path) + QLatin1Char('\n'));
            return 1;
        }
        const QDir folder = QFileInfo(path).absoluteDir();
        QSet<QString> checked;
        for (CFrameScriptItem& item : script_.items) {
            if (!CFrameScriptItem::UsesPagePath(item.type))
                continue;
            if (QDir::isRelativePath(item.sdata))
                item.sdata = folder.filePath(item.sdata);
            if (checked.contains(item.sdata))
                continue;
            checked.insert(item.sdata);
            // Every page is read once before the first frame, so that a
            // missing or foreign page stops the render before anything is
            // written rather than leaving frames of half a show.
            CFrameSet scratch;
            if (const int status = LoadPageInto(item.sdata, mode, scratch))
                return status;
        }
        return 0;
    }

    void BeforeFrame(int frameIndex, int64_t virtualTimeUs)
    {
        if (frameIndex == 0)
            runner_.Start(script_, true, clock_);
        while (nextTickUs_ <= virtualTimeUs) {
            clock_.Advance(nextTickUs_ / 1000 - static_cast<int64_t>(clock_.TickCount()));
            runner_.Process(script_, target_, clock_);
            nextTickUs_ += kScriptTickUs;
        }
    }

    // A step could not read its page during the render.
    bool Failed() const { return failed_; }

private:
    CFrameScript script_;
    CPageScriptTarget target_;
    CVirtualScriptClock clock_;
    CScriptRunner runner_;
    int64_t nextTickUs_ = 0;
    bool failed_ = false;
};

int RunRender(const QStringList& arguments)
{
    PlayOptions options;
    QStringList other;
    if (!ParsePlayOptions(QStringLiteral("render"), arguments, {"--out", "--output", "--play"}, options, other))
        return kUsageError;
    QString out;
    QString output = QStringLiteral("rgba");
    QString play;
    for (int i = 0; i + 1 < other.size(); i += 2) {
        if (other[i] == QLatin1String("--out"))
            out = other[i + 1];
        else if (other[i] == QLatin1String("--output"))
            output = other[i + 1];
        else
            play = other[i + 1];
    }
    const bool script = IsScriptInput(options.input);
    if (out.isEmpty()) {
        ToolError(QStringLiteral("tavrel-tool render: --out FOLDER or --out VIDEO is required\n"));
        return kUsageError;
    }
    if (!QStringList{"rgba", "full", "limited"}.contains(output)) {
        ToolError(QStringLiteral("tavrel-tool render: --output takes rgba, full or limited\n"));
        return kUsageError;
    }
    if (!play.isEmpty() && play != QLatin1String("all") && play != QLatin1String("none")) {
        ToolError(QStringLiteral("tavrel-tool render: --play takes all or none\n"));
        return kUsageError;
    }
    if (script && !play.isEmpty()) {
        ToolError(QStringLiteral("tavrel-tool render: --play is for pages; a script plays its own objects\n"));
        return kUsageError;
    }
    if (options.device == QLatin1String("all")) {
        ToolError(QStringLiteral("tavrel-tool render: --device takes auto, cpu or gl\n"));
        return kUsageError;
    }
    // A video name the writer does not know would otherwise become a folder.
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (!suffix.isEmpty() && IsVideoExtension(QLatin1Char('.') + suffix) && !CVideoWriter::CanWrite(out)) {
        ToolError(QStringLiteral("tavrel-tool render: video files must end in .mov, .mkv or .avi\n"));
        return kUsageError;
    }

    const VideoMode& mode = *options.mode;
    CFrameSet page;
    std::unique_ptr<ScriptDriver> driver;
    if (script) {
        driver = std::make_unique<ScriptDriver>(page, mode);
        if (const int status = driver->Load(options.input, mode))
            return status;
    } else if (const int status = LoadPageInto(options.input, mode, page)) {
        return status;
    }
    int frames = options.frames;
    if (frames < 0)
        frames = static_cast<int>(std::lround((options.seconds > 0 ? options.seconds : 1.0) * 1e6 / mode.framePeriodUs));
    frames = std::max(frames, 1);

    COfflineRenderer renderer(page, mode, output == QLatin1String("full") ? 1 : 0, options.device);
    if (const int error = renderer.RenderError()) {
        ToolError(RenderErrorText(error) + QLatin1Char('\n'));
        return 1;
    }
    FrameSink sink;
    if (!sink.Open(out, mode))
        return 1;
    if (driver)
        renderer.SetBeforeFrame([&driver](int index, int64_t timeUs) { driver->BeforeFrame(index, timeUs); });
    else if (play != QLatin1String("none"))
        CPagePlayback(page).PlayAllObjects();
    const bool rgba = output == QLatin1String("rgba");
    for (int i = 0; i < frames; ++i) {
        if (renderer.RenderNext() != kFrameOk) {
            ToolError(QStringLiteral("tavrel-tool render: frame %1 failed\n").arg(i));
            return 1;
        }
        if (driver && driver->Failed()) {
            ToolError(QStringLiteral("tavrel-tool render: the script could not load a page before frame %1\n").arg(i));
            return 1;
        }
        CPicture picture;
        if (!(rgba ? renderer.ReadCanvas(&picture) : renderer.ReadOutput(&picture))) {
            ToolError(QStringLiteral("tavrel-tool render: frame %1 could not be read back\n").arg(i));
            return 1;
        }
        if (!sink.Write(i, picture, rgba))
            return 1;
    }
    return sink.Finish() ? 0 : 1;
}

const ToolCommandRegistration registration({
    QStringLiteral("render"),
    QStringLiteral("render a page or a script off-line to PNG frames or a video file"),
    QStringLiteral(
        "Usage: tavrel-tool render PAGE.tavrel|SCRIPT.script --mode NAME --out PATH\n"
        "           [--frames N] [--seconds S] [--output rgba|full|limited]\n"
        "           [--device auto|cpu|gl] [--play all|none]\n"
        "\n"
        "Plays a page, or runs a script, through the output engine on a virtual\n"
        "clock: every frame advances exactly one frame period of the mode, and\n"
        "before each frame the text of every playing object is prepared\n"
        "completely, so the frames are the same on every run and machine.\n"
        "\n"
        "A page's frame 0 is drawn at the moment its objects start (--play all,\n"
        "the default) or with nothing playing (--play none).\n"
        "\n"
        "A script starts on an empty page with the output on. Its steps run on\n"
        "ticks of 200 ms of the same virtual clock, the first tick before frame 0\n"
        "is drawn, exactly as the program's interface timer runs them: waits end\n"
        "at the first tick at or after their time, and the virtual local time\n"
        "starts at 12:00:00 on Monday, 5 January 2026. Pages named by relative\n"
        "paths are found in the script's folder. Every page the script loads is\n"
        "read before the first frame; one that cannot be read stops the render\n"
        "with the program's message before anything is written.\n"
        "\n"
        "  --out PATH     a folder: PNG files frame_00000.png, frame_00001.png, ...\n"
        "                 (made when missing); or a video file: .mov (QuickTime\n"
        "                 Animation with alpha), .mkv or .avi (FFV1 with alpha),\n"
        "                 at the mode's frame rate. A video replaces an existing\n"
        "                 file of that name only once it is complete.\n"
        "  --frames N     number of frames; or --seconds S (default 1 second)\n"
        "  --output rgba  the composed canvas as straight RGBA (default)\n"
        "  --output full|limited\n"
        "                 the output signal as the output carries it, RGB at\n"
        "                 canvas size: R = Y', G = Cb on even columns and Cr on\n"
        "                 odd ones, B = key; full or limited range\n"
        "  --device       graphics device: auto (OpenGL on a hardware driver,\n"
        "                 else the CPU device), cpu or gl\n"
        "\n"
        "Exit status: 0 written; 1 to 4 the file status of the page or of a page\n"
        "of the script (open failed, save failed, corrupt, unknown version), 1 a\n"
        "script that does not load or a failure to render or write; 5 a page made\n"
        "for another video mode; 2 wrong arguments.\n"),
    &RunRender,
});

}  // namespace
