#include "ToolRun.h"

#include "model/PageFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

QByteArray Template(const char* text)
{
    return QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}}\\pard\\f0\\fs40 ") + text + "\\par}";
}

// A page whose objects take their text from every kind of source.
class TextCommand : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString page = dir.filePath(QStringLiteral("sources.tavrel"));

    QString WriteFile(const char* name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    }

    void SetUp() override
    {
        std::vector<std::unique_ptr<CFrame>> objects;
        auto add = [&](int source, const QByteArray& richText, const QString& fileName = QString()) -> CFrame& {
            objects.push_back(std::make_unique<CFrame>());
            CFrame& o = *objects.back();
            o.rect = CRect{0, 0, 400, 100};
            o.textSource = source;
            o.richText = richText;
            o.fileName = fileName;
            return o;
        };
        add(kSourceObjectText, Template("Breaking\\par News"));
        CFrame& timer = add(kSourceTimer, Template("Run %1%"));
        timer.timerFormat = QStringLiteral("%s.%d");
        timer.timerStart = 0;
        timer.timerStop = 10;
        add(kSourceTextFile, Template("%1%"), WriteFile("lines.txt", "a\r\nb\r\nc"));
        add(kSourceRtfFile, QByteArray(), WriteFile("story.rtf", Template("From the file")));
        CFrame& csv = add(kSourceCsvFile, Template("%Name%: %Value%"), WriteFile("table.csv", "Name;Value\nTom;5\nAnn;7\n"));
        csv.firstLineIsHeader = 1;
        add(kSourceTextFile, Template("%1%"), dir.filePath(QStringLiteral("missing.txt")));

        FrameList list;
        for (const auto& o : objects)
            list.push_back(o.get());
        CPageFileContext context;
        context.rasterWidth = 1920;
        context.rasterHeight = 1080;
        context.desktopDpi = 96;
        ASSERT_EQ(WritePage(page, list, context), 1);
    }
};

TEST_F(TextCommand, PrintsWhatEachSourceShows)
{
    struct Case
    {
        QStringList arguments;
        int exitCode;
        QByteArray out;
    };
    const Case cases[] = {
        {{QStringLiteral("--object"), QStringLiteral("1")}, 0, "Breaking\nNews\n"},
        {{QStringLiteral("--object"), QStringLiteral("2"), QStringLiteral("--at-ms"), QStringLiteral("3250")}, 0,
         "Run 3.2\n"},
        {{QStringLiteral("--object"), QStringLiteral("2"), QStringLiteral("--at-ms"), QStringLiteral("12000")}, 0,
         "Run 10.0\n"},
        {{QStringLiteral("--object"), QStringLiteral("3")}, 0, "a\nb\nc\n"},
        {{QStringLiteral("--object"), QStringLiteral("4")}, 0, "From the file\n"},
        {{QStringLiteral("--object"), QStringLiteral("5")}, 0, "Tom: 5\n"},
        {{QStringLiteral("--object"), QStringLiteral("5"), QStringLiteral("--row"), QStringLiteral("2")}, 0,
         "Ann: 7\n"},
        {{QStringLiteral("--object"), QStringLiteral("5"), QStringLiteral("--row"), QStringLiteral("3")}, 1, ""},
        {{QStringLiteral("--object"), QStringLiteral("6")}, 1, ""},
        {{QStringLiteral("--object"), QStringLiteral("7")}, 2, ""},
        {{QStringLiteral("--object"), QStringLiteral("x")}, 2, ""},
        {{}, 2, ""},
    };
    for (const Case& c : cases) {
        const ToolRun run = RunTool(QStringList{QStringLiteral("text"), page} + c.arguments);
        const std::string what = c.arguments.join(u' ').toStdString();
        EXPECT_EQ(run.exitCode, c.exitCode) << what << ": " << run.error.toStdString();
        EXPECT_EQ(run.out, c.out) << what;
        if (c.exitCode != 0) {
            EXPECT_FALSE(run.error.isEmpty()) << what;
        }
    }
}

TEST_F(TextCommand, APageThatDoesNotReadExitsWithItsStatus)
{
    const QString missing = dir.filePath(QStringLiteral("missing.tavrel"));
    const ToolRun run = RunTool({QStringLiteral("text"), missing, QStringLiteral("--object"), QStringLiteral("1")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.error, QStringLiteral("Error: File open failed!\n\n%1\n").arg(missing));
}

}  // namespace
