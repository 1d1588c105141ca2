#include "ToolRun.h"

#include "model/FrameSettings.h"
#include "model/PageFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class InfoCommand : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("page.tavrel"));
    CPicture frame{64, 32};

    void SetUp() override
    {
        for (size_t i = 0; i < frame.pixels.size(); ++i)
            frame.pixels[i] = i < 1000 ? 0u : 0xFF000000u | uint32_t(i);
        CFrame first, second;
        first.backgroundType = kBackgroundPicture;
        first.rect = CRect{1, 2, 65, 34};
        first.group = QStringLiteral("News \"A\"");
        first.imageFileName = dir.filePath(QStringLiteral("pic.png"));
        first.AddBackgroundFrame(1080, frame, 1920, 40);
        second.speed = kSpeedMid;
        second.richText = "{\\rtf1 x}";
        CPageFileContext context;
        context.rasterWidth = 1920;
        context.rasterHeight = 1080;
        context.desktopDpi = 96;
        ASSERT_EQ(WritePage(path, FrameList{&first, &second}, context), 1);
    }
};

TEST_F(InfoCommand, PrintsEverySettingAndFrameHashes)
{
    const ToolRun run = RunTool({QStringLiteral("info"), path});
    ASSERT_EQ(run.exitCode, 0) << run.error.toStdString();
    QJsonParseError parseError;
    const QJsonObject json = QJsonDocument::fromJson(run.out, &parseError).object();
    ASSERT_EQ(parseError.error, QJsonParseError::NoError) << run.out.toStdString();
    const QJsonObject header = json[QStringLiteral("header")].toObject();
    EXPECT_EQ(header[QStringLiteral("magic")].toString(), QStringLiteral("QLPF"));
    EXPECT_EQ(header[QStringLiteral("objectCount")].toInt(), 2);
    EXPECT_EQ(header[QStringLiteral("width")].toInt(), 1920);
    EXPECT_EQ(header[QStringLiteral("thumbOffset")].toInt(), 0);

    const QJsonArray objects = json[QStringLiteral("objects")].toArray();
    ASSERT_EQ(objects.size(), 2);
    const QJsonObject first = objects[0].toObject();
    EXPECT_EQ(first[QStringLiteral("group")].toString(), QStringLiteral("News \"A\""));
    EXPECT_EQ(first[QStringLiteral("imageFileName")].toString(), dir.filePath(QStringLiteral("pic.png")));
    EXPECT_EQ(first[QStringLiteral("rect")].toArray(), (QJsonArray{1, 2, 65, 34}));
    EXPECT_EQ(first[QStringLiteral("backgroundColor")].toDouble(), double(0x1A000000u));
    EXPECT_EQ(first[QStringLiteral("timerStop")].toInt(), 3600);
    EXPECT_EQ(first[QStringLiteral("clockFormat")].toString(), QStringLiteral("%H:%M"));
    const QJsonObject frameJson = first[QStringLiteral("frames")].toArray().at(0).toObject();
    EXPECT_EQ(frameJson[QStringLiteral("width")].toInt(), 64);
    EXPECT_EQ(frameJson[QStringLiteral("duration")].toInt(), 40);
    const QByteArray pixels(reinterpret_cast<const char*>(frame.pixels.data()), qsizetype(frame.RawSize()));
    EXPECT_EQ(frameJson[QStringLiteral("sha256")].toString(),
              QString::fromLatin1(QCryptographicHash::hash(pixels, QCryptographicHash::Sha256).toHex()));
    EXPECT_GT(frameJson[QStringLiteral("compressedSize")].toInt(), 0);

    const QJsonObject second = objects[1].toObject();
    EXPECT_EQ(second[QStringLiteral("speed")].toInt(), kSpeedMid);
    EXPECT_EQ(second[QStringLiteral("richTextSize")].toInt(), 9);
    EXPECT_EQ(second[QStringLiteral("text")].toString(), QStringLiteral("x"));
    EXPECT_EQ(first[QStringLiteral("text")].toString(), QString()) << "no rich text";
    EXPECT_TRUE(second[QStringLiteral("frames")].toArray().isEmpty());
    // Every stored setting is there by its member name.
    for (const char* key : {"backgroundType", "locked", "movement", "loop", "showWhileMoving", "reverse",
                            "startFromEdge", "textAlpha", "dropShadow", "backgroundWidth", "backgroundHeight",
                            "loopAnimation", "linkImageFile", "text", "textSource", "fileName", "encoding",
                            "firstLineIsHeader", "monitorFile", "separator", "timerFormat", "timerStart",
                            "timerDirection", "barGraph", "showFor", "showIndefinitely", "startDelay", "inEffect",
                            "inDuration", "fadeIn", "outEffect", "outDuration", "fadeOut", "repeat",
                            "switcherButton", "hotkey"})
        EXPECT_TRUE(second.contains(QLatin1String(key))) << key;
}

TEST_F(InfoCommand, FailuresExitWithTheFileStatusAndTheMessageText)
{
    struct Case
    {
        QStringList arguments;
        int exitCode;
        QString error;
    };
    const QString corrupt = dir.filePath(QStringLiteral("corrupt.tavrel"));
    QFile file(corrupt);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("QLPX");
    file.close();
    const QString missing = dir.filePath(QStringLiteral("missing.tavrel"));
    const Case cases[] = {
        {{path, QStringLiteral("--mode"), QStringLiteral("1080i50")}, 0, QString()},
        {{path, QStringLiteral("--mode"), QStringLiteral("720p50")}, 5,
         QStringLiteral("Error: This file was created for 1920x1080 mode!\n\n%1\n").arg(path)},
        {{corrupt}, 3, QStringLiteral("Error: File is corrupt!\n\n%1\n").arg(corrupt)},
        {{missing}, 1, QStringLiteral("Error: File open failed!\n\n%1\n").arg(missing)},
        {{path, QStringLiteral("--mode"), QStringLiteral("nope")}, 2, QString()},
    };
    for (const Case& c : cases) {
        const ToolRun run = RunTool(QStringList{QStringLiteral("info")} + c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(u' ').toStdString();
        if (!c.error.isEmpty()) {
            EXPECT_EQ(run.error, c.error);
        }
    }
}

}  // namespace

namespace {

// The keys of a JSON text in the order they are written.
QStringList KeysInOrder(const QByteArray& json)
{
    QStringList keys;
    static const QRegularExpression key(QStringLiteral("\"(\\w+)\": "));
    for (const QRegularExpressionMatch& match : key.globalMatch(QString::fromUtf8(json)))
        keys.append(match.captured(1));
    return keys;
}

// A JSON value as text, for readable failures.
std::string JsonValueText(const QJsonValue& value)
{
    return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString();
}

// A page stored by earlier versions (a distinct value in every field of the
// settings block) prints what it always printed, keys in the same order, and
// every setting of the register in the register's order.
TEST(InfoCommandStoredPage, PrintsAsBeforeInTheRegistersOrder)
{
    const QString folder = QStringLiteral(TAVREL_FIXTURES_DIR "/pages");
    const ToolRun run = RunTool({QStringLiteral("info"), QStringLiteral("every-field.tavrel")}, 60000, folder);
    ASSERT_EQ(run.exitCode, 0) << run.error.toStdString();
    QFile file(folder + QStringLiteral("/every-field.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();

    const QJsonObject printed = QJsonDocument::fromJson(run.out).object();
    const QJsonObject expected = QJsonDocument::fromJson(before).object();
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(JsonValueText(printed[QStringLiteral("header")]), JsonValueText(expected[QStringLiteral("header")]));
    const QJsonObject object = printed[QStringLiteral("objects")].toArray().at(0).toObject();
    const QJsonObject expectedObject = expected[QStringLiteral("objects")].toArray().at(0).toObject();
    for (auto it = expectedObject.begin(); it != expectedObject.end(); ++it)
        EXPECT_EQ(JsonValueText(object[it.key()]), JsonValueText(it.value())) << it.key().toStdString();

    // New keys may come in between, but the known ones keep their order.
    const QStringList keys = KeysInOrder(run.out);
    qsizetype at = 0;
    for (const QString& key : KeysInOrder(before)) {
        const qsizetype found = keys.indexOf(key, at);
        EXPECT_GE(found, 0) << key.toStdString() << " missing or out of order";
        at = found < 0 ? at : found + 1;
    }
    at = 0;
    for (const FrameSetting& setting : FrameSettings()) {
        QStringList printedAs{QString::fromLatin1(setting.name)};
        if (setting.Kind() == SettingKind::RichText)
            printedAs = {QStringLiteral("richTextSize"), QStringLiteral("text")};
        else if (setting.Kind() == SettingKind::Frames)
            printedAs = {QStringLiteral("frames")};
        for (const QString& key : printedAs) {
            const qsizetype found = keys.indexOf(key, at);
            EXPECT_GE(found, 0) << key.toStdString() << " missing or out of the register's order";
            at = found < 0 ? at : found + 1;
        }
    }
}

}  // namespace

namespace {

TEST(InfoCommandScripts, PrintsTheStepsOrFailsToOpen)
{
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("show.script"));
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<script loop=\"1\">\r\n"
               "<item type=\"2\" sdata=\"\" idata=\"0\"/>\r\n"
               "<item type=\"0\" sdata=\"+pages\\news.tavrel\" idata=\"0\"/>\r\n</script>\r\n");
    file.close();

    const ToolRun run = RunTool({QStringLiteral("info"), script});
    ASSERT_EQ(run.exitCode, 0) << run.error.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(json.value(QStringLiteral("loop")).toInt(), 1);
    const QJsonArray items = json.value(QStringLiteral("items")).toArray();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].toObject().value(QStringLiteral("type")).toInt(), 2);
    EXPECT_EQ(items[0].toObject().value(QStringLiteral("text")).toString(), QStringLiteral("Play all objects"));
    EXPECT_EQ(items[1].toObject().value(QStringLiteral("sdata")).toString(),
              dir.path() + QStringLiteral("/pages/news.tavrel"));

    const QString missing = dir.filePath(QStringLiteral("missing.script"));
    const ToolRun failed = RunTool({QStringLiteral("info"), missing});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.error.startsWith(QStringLiteral("Error: File open failed!\n\n") + missing))
        << failed.error.toStdString();
}

}  // namespace
