#include "tool/PlainText.h"
#include "tool/ScriptInfo.h"
#include "tool/ToolCommand.h"

#include "model/CompressedPicture.h"
#include "model/FrameSettings.h"
#include "model/PageFile.h"
#include "render/display/VideoMode.h"
#include "tool/JsonText.h"

#include <QCryptographicHash>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace {

constexpr int kModeMismatchExit = 5;

QString FrameJson(const CFrameBackground& frame)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    frame.picture.DecompressSpans([&hash](const uint8_t* bytes, size_t count) {
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(bytes), qsizetype(count)));
    });
    CJsonObjectText json;
    json.Add("width", frame.picture.width);
    json.Add("height", frame.picture.height);
    json.Add("duration", frame.duration);
    json.Add("compressedSize", frame.picture.compressedSize);
    json.Add("sha256", QString::fromLatin1(hash.result().toHex()));
    return json.Text();
}

// Every stored setting by its member name, in the register's order; the
// rich text shows as its size and its plain text, the frames as "frames".
QString ObjectJson(const CFrame& o)
{
    CJsonObjectText json;
    for (const FrameSetting& setting : FrameSettings()) {
        const char* name = setting.name;
        switch (setting.Kind()) {
        case SettingKind::Int:
            json.Add(name, o.*std::get<int CFrame::*>(setting.member));
            break;
        case SettingKind::Colour:
            json.Add(name, int64_t(o.*std::get<uint32_t CFrame::*>(setting.member)));
            break;
        case SettingKind::Rect: {
            const CRect& r = o.*std::get<CRect CFrame::*>(setting.member);
            json.AddJson(name, QStringLiteral("[%1, %2, %3, %4]").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom));
            break;
        }
        case SettingKind::String:
            json.Add(name, o.*std::get<QString CFrame::*>(setting.member));
            break;
        case SettingKind::RichText: {
            const QByteArray& rtf = o.*std::get<QByteArray CFrame::*>(setting.member);
            json.Add("richTextSize", rtf.size());
            json.Add("text", PlainTextOfRtf(rtf));
            break;
        }
        case SettingKind::Frames: {
            QStringList frames;
            for (const CFrameBackground& frame : o.*std::get<std::vector<CFrameBackground> CFrame::*>(setting.member))
                frames.append(FrameJson(frame));
            json.AddJson("frames", JsonArray(frames, QStringLiteral("     ")));
            break;
        }
        }
    }
    return json.Text();
}

QString HeaderJson(const CPageHeader& h)
{
    CJsonObjectText json;
    json.Add("magic", QString::fromLatin1(h.magic, 4));
    json.Add("version", int64_t(h.version));
    json.Add("legacyHd", h.legacyHd);
    json.Add("objectCount", h.objectCount);
    json.Add("dpi", h.dpi);
    json.Add("width", h.width);
    json.Add("height", h.height);
    json.Add("thumbWidth", h.thumbWidth);
    json.Add("thumbHeight", h.thumbHeight);
    json.Add("thumbOffset", h.thumbOffset);
    return json.Text();
}

int DesktopDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? int(std::lround(screen->logicalDotsPerInchX())) : 96;
}

int PageInfo(const QString& path, const VideoMode* mode)
{
    CPageFileContext context;
    if (mode) {
        context.rasterWidth = mode->canvasWidth;
        context.rasterHeight = mode->canvasHeight;
        context.framePeriod = mode->framePeriodUs;
        context.desktopDpi = DesktopDpi();
    }
    context.message = [](const CUserMessage& message) { ToolError(message.text + QLatin1Char('\n')); };
    OwnedFrameList objects;
    if (!ReadPage(path, objects, 0, context))
        return context.modeMismatch ? kModeMismatchExit : context.status;

    QStringList objectTexts;
    for (const auto& object : objects)
        objectTexts.append(ObjectJson(*object));
    ToolOut(QStringLiteral("{\"header\": ") + HeaderJson(context.header) + QStringLiteral(",\n \"objects\": ")
            + JsonArray(objectTexts, QStringLiteral("  ")) + QStringLiteral("}\n"));
    return 0;
}

int RunInfo(const QStringList& arguments)
{
    QString path;
    const VideoMode* mode = nullptr;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--mode")) {
            if (i + 1 >= arguments.size() || !(mode = VideoModeByName(arguments[i + 1]))) {
                ToolError(QStringLiteral("tavrel-tool info: --mode needs a video mode name (see tavrel-tool modes)\n"));
                return kUsageError;
            }
            ++i;
        } else if (path.isEmpty() && !argument.startsWith(QLatin1String("--"))) {
            path = argument;
        } else {
            ToolError(QStringLiteral("tavrel-tool info: unexpected argument \"%1\"; see tavrel-tool info --help\n").arg(argument));
            return kUsageError;
        }
    }
    if (path.isEmpty()) {
        ToolError(QStringLiteral("tavrel-tool info: which file? see tavrel-tool info --help\n"));
        return kUsageError;
    }
    if (path.endsWith(QLatin1String(".tavrel"), Qt::CaseInsensitive))
        return PageInfo(path, mode);
    if (path.endsWith(QLatin1String(".script"), Qt::CaseInsensitive))
        return RunScriptInfo(path);
    ToolError(QStringLiteral("tavrel-tool info: FILE must be a page (.tavrel) or a script (.script)\n"));
    return kUsageError;
}

const ToolCommandRegistration registration({
    QStringLiteral("info"),
    QStringLiteral("show what a page or script file holds, as JSON"),
    QStringLiteral(
        "Usage: tavrel-tool info FILE.tavrel [--mode NAME]\n"
        "       tavrel-tool info FILE.script\n"
        "\n"
        "Reads a page file as the program does and prints JSON: the header as\n"
        "stored, and every object with each setting by its member name (values\n"
        "after the reader's rules: speed clamped, old timer records converted,\n"
        "\"+\" paths expanded), its rectangle, the size of its rich text and its\n"
        "plain text (\"text\", one line per paragraph), and its background\n"
        "frames with the SHA-256 of their pixels (B, G, R, A bytes, rows\n"
        "top-down).\n"
        "\n"
        "  --mode NAME  read as in that video mode (see tavrel-tool modes): the\n"
        "               mode check and the font size check apply. Without it\n"
        "               neither does.\n"
        "\n"
        "Exit status: 0 read; 1 open failed; 3 corrupt; 4 unknown version; 5 made\n"
        "for another video mode; 2 wrong arguments. The program's message text\n"
        "goes to stderr (the font size warning too, without failing).\n"
        "\n"
        "A script file prints {\"loop\": 0, \"items\": [{\"type\": 2, \"sdata\": \"\",\n"
        "\"idata\": 0, \"text\": \"Play all objects\"}, ...]}; one that does not load\n"
        "exits 1 with \"Error: File open failed!\" and the path on stderr.\n"),
    &RunInfo,
});

}  // namespace
