#include "PlainTextControl.h"
#include "TextFiles.h"

#include "model/Frame.h"
#include "playback/DefaultText.h"
#include "playback/FrameTextSource.h"
#include "playback/TextFileSource.h"

#include <QDateTime>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// Moves a file's last-write time, as an editor saving it a moment later would.
void Touch(const QString& path, int secondsLater)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QDateTime time = file.fileTime(QFileDevice::FileModificationTime).addSecs(secondsLater);
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
}

}  // namespace

TEST(FrameTextSource, TextFileJoinedByMovement)
{
    CTextFiles files;
    const QString path = files.Write(QStringLiteral("abc.txt"), "a\nb\r\nc");
    const struct {
        int movement;
        const char* text;
    } cases[] = {{kMovementFixed, "a\r\nb\r\nc"}, {kMovementRoll, "a\r\nb\r\nc"}, {kMovementScroll, "abc"}};
    for (const auto& c : cases) {
        QString text;
        ASSERT_EQ(ReadTextFile(path, kEncodingAuto, c.movement, text), 1);
        EXPECT_EQ(text, QString::fromLatin1(c.text)) << c.movement;
    }

    CFrame frame;
    frame.textSource = kSourceTextFile;
    frame.fileName = path;
    frame.richText = "News: %1%";
    CPlainTextControl control;
    ASSERT_EQ(CFrameTextSource(frame).InitSource(control), 1);
    EXPECT_EQ(frame.preparedRtf, QByteArray("News: a\r\nb\r\nc"));
    EXPECT_TRUE(frame.sourceFileTime.isValid());

    frame.fileName = files.Path(QStringLiteral("missing.txt"));
    EXPECT_EQ(CFrameTextSource(frame).InitSource(control), 0);
    EXPECT_TRUE(frame.preparedRtf.isEmpty());
}

TEST(FrameTextSource, BarGraphValue)
{
    const struct {
        const char* text;
        int value;
    } cases[] = {{"150", 101}, {"-5", 1},  {"42%", 43},  {"  7\r\n", 8}, {"+3", 4},
                 {"abc", 1},   {"", 1},    {"0", 1},     {"100", 101},   {"99999999999999999999", 101}};
    for (const auto& c : cases)
        EXPECT_EQ(BarGraphValue(QString::fromLatin1(c.text)), c.value) << c.text;

    CTextFiles files;
    CFrame frame;
    frame.textSource = kSourceTextFile;
    frame.barGraph = 1;
    frame.richText = "{\\rtf1 bar}";
    frame.fileName = files.Write(QStringLiteral("bar.txt"), "42\n");
    CPlainTextControl control;
    ASSERT_EQ(CFrameTextSource(frame).InitSource(control), 1);
    EXPECT_EQ(frame.barValue.load(), 43);
    EXPECT_EQ(CFrameTextSource(frame).LoadContent(control), 1);
    EXPECT_EQ(control.text, QStringLiteral("{\\rtf1 bar}"));  // the template itself is drawn
}

TEST(FrameTextSource, RtfFileNeedsEightBytes)
{
    CTextFiles files;
    CFrame frame;
    frame.textSource = kSourceRtfFile;
    CPlainTextControl control;
    frame.fileName = files.Write(QStringLiteral("short.rtf"), "{\\rtf1}");
    EXPECT_EQ(CFrameTextSource(frame).InitSource(control), 0);
    frame.fileName = files.Write(QStringLiteral("ok.rtf"), "{\\rtf1 x}");
    ASSERT_EQ(CFrameTextSource(frame).InitSource(control), 1);
    EXPECT_EQ(frame.preparedRtf, QByteArray("{\\rtf1 x}"));
    frame.fileName = QStringLiteral("/dev/zero");
    EXPECT_EQ(CFrameTextSource(frame).InitSource(control), 0);
}

TEST(FrameTextSource, ClockAndTimerSubstituteTheirText)
{
    CPlainTextControl control;
    CFrame clock;
    clock.textSource = kSourceClock;
    clock.clockFormat = QStringLiteral("fixed");
    clock.richText = "Time: %1% (%1%)";
    ASSERT_EQ(CFrameTextSource(clock).InitSource(control), 1);
    EXPECT_EQ(clock.currentText, QStringLiteral("fixed"));
    EXPECT_EQ(clock.preparedRtf, QByteArray("Time: fixed (%1%)"));  // only the first placeholder
    EXPECT_EQ(CFrameTextSource(clock).IsSourceChanged(), 0);

    CFrame timer;
    timer.textSource = kSourceTimer;
    timer.timerFormat = QStringLiteral("%s");
    timer.richText = "no placeholder";
    ASSERT_EQ(CFrameTextSource(timer).InitSource(control), 1);
    EXPECT_EQ(timer.preparedRtf, QByteArray("0"));  // the whole text is replaced
    timer.playing = 1;
    timer.elapsed = 2000;
    EXPECT_EQ(CFrameTextSource(timer).IsSourceChanged(), 1);
    timer.playing = 0;
}

TEST(FrameTextSource, CsvRowsThroughLoadContent)
{
    CTextFiles files;
    CFrame frame;
    frame.textSource = kSourceCsvFile;
    frame.firstLineIsHeader = 1;
    frame.fileName = files.Write(QStringLiteral("t.csv"), "Name;Value\nTom;5\n\"Ann\";\"7\"\n;\n");
    frame.richText = "%Name%: %Value%";
    CPlainTextControl control;
    ASSERT_EQ(CFrameTextSource(frame).InitSource(control), 1);
    QStringList shown;
    while (CFrameTextSource(frame).LoadContent(control)) {
        shown.append(control.text);
        ++frame.csvData.currentRow;
    }
    EXPECT_EQ(shown, (QStringList{"Tom: 5", "Ann: 7", " "}));

    // A template the engine cannot read is drawn as it is.
    frame.csvData.currentRow = 0;
    control.failStreamIn = true;
    EXPECT_EQ(CFrameTextSource(frame).LoadContent(control), 1);
    EXPECT_EQ(control.text, QStringLiteral("%Name%: %Value%"));
}

TEST(FrameTextSource, FileChangesAreNoticed)
{
    CTextFiles files;
    for (const int source : {kSourceTextFile, kSourceRtfFile, kSourceCsvFile}) {
        const QString path = files.Write(QStringLiteral("watched"), "{\\rtf1 first}");
        CFrame frame;
        frame.textSource = source;
        frame.fileName = path;
        CPlainTextControl control;
        ASSERT_EQ(CFrameTextSource(frame).InitSource(control), 1) << source;
        EXPECT_EQ(CFrameTextSource(frame).IsSourceChanged(), 0) << source;
        Touch(path, 2);
        EXPECT_EQ(CFrameTextSource(frame).IsSourceChanged(), 1) << source;
        ASSERT_TRUE(QFile::remove(path));
        EXPECT_EQ(CFrameTextSource(frame).IsSourceChanged(), 1) << source;
    }
    CFrame text;
    EXPECT_EQ(CFrameTextSource(text).IsSourceChanged(), 0);
}

// A feed that truncates its file and writes it again within one millisecond
// leaves the same last-write time; the new content must still be read.
TEST(FrameTextSource, RewriteWithinTheSameMillisecondIsNoticed)
{
    CTextFiles files;
    const QDateTime fixed = QDateTime::fromMSecsSinceEpoch(1'700'000'000'123, Qt::UTC);
    auto writeAt = [&](const QByteArray& bytes) {
        const QString path = files.Write(QStringLiteral("score.txt"), bytes);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadWrite));
        EXPECT_TRUE(file.setFileTime(fixed, QFileDevice::FileModificationTime));
        return path;
    };
    CFrame frame;
    frame.textSource = kSourceTextFile;
    frame.fileName = writeAt("");
    CPlainTextControl control;
    ASSERT_EQ(CFrameTextSource(frame).InitSource(control), 1);
    EXPECT_EQ(frame.sourceFileTime, fixed);
    writeAt("2:1");
    EXPECT_EQ(CFrameTextSource(frame).IsSourceChanged(), 1);
}

TEST(FrameTextSource, SourceStepsScheduleChecksAndRetries)
{
    CTextFiles files;
    CFrame frame;
    frame.framePeriod = 20000;
    frame.textSource = kSourceTextFile;
    frame.monitorFile = 1;
    frame.richText = "%1%";
    frame.fileName = files.Path(QStringLiteral("later.txt"));
    CPlainTextControl control;

    // Missing file: failed, retried on every pass.
    EXPECT_EQ(CFrameTextSource(frame).RunSourceSteps(control), kSourceFailed);
    EXPECT_EQ(frame.sourceError.load(), 1);
    EXPECT_EQ(frame.sourceCheckCountdown.load(), 50);
    EXPECT_EQ(CFrameTextSource(frame).RunSourceSteps(control), kSourceFailed);

    files.Write(QStringLiteral("later.txt"), "one");
    EXPECT_EQ(CFrameTextSource(frame).RunSourceSteps(control), kSourceRestarted);
    EXPECT_EQ(frame.sourceReady.load(), 1);
    EXPECT_EQ(frame.sourceError.load(), 0);
    EXPECT_EQ(frame.sourceCheckCountdown.load(), 50);  // monitored, fixed: once a second
    EXPECT_EQ(CFrameTextSource(frame).RunSourceSteps(control), kSourceIdle);

    frame.sourceCheckDue = 1;
    EXPECT_EQ(CFrameTextSource(frame).RunSourceSteps(control), kSourceChecked);
    EXPECT_EQ(frame.sourceCheckDue.load(), 0);

    files.Write(QStringLiteral("later.txt"), "two");
    Touch(frame.fileName, 2);
    frame.sourceCheckDue = 1;
    EXPECT_EQ(CFrameTextSource(frame).RunSourceSteps(control), kSourceRestarted);
    EXPECT_EQ(frame.preparedRtf, QByteArray("two"));

    // A moving object does not look again until it is played again.
    frame.movement = kMovementRoll;
    frame.sourceCheckCountdown = 0;
    frame.sourceReady = 0;
    EXPECT_EQ(CFrameTextSource(frame).RunSourceSteps(control), kSourceRestarted);
    EXPECT_EQ(frame.sourceCheckCountdown.load(), 0);

    CFrame clock;
    clock.framePeriod = 16667;
    clock.textSource = kSourceClock;
    EXPECT_EQ(CFrameTextSource(clock).RunSourceSteps(control), kSourceRestarted);
    EXPECT_EQ(clock.sourceCheckCountdown.load(), 5);  // 0.1 s

    // Rows exhausted: the next check starts them again.
    CFrame csv;
    csv.textSource = kSourceCsvFile;
    csv.fileName = files.Write(QStringLiteral("r.csv"), "a\nb\n");
    EXPECT_EQ(CFrameTextSource(csv).RunSourceSteps(control), kSourceRestarted);
    csv.csvData.currentRow = 2;
    csv.sourceCheckDue = 1;
    EXPECT_EQ(CFrameTextSource(csv).RunSourceSteps(control), kSourceChecked);
    EXPECT_EQ(csv.csvData.currentRow, 0);
}

TEST(FrameTextSource, DefaultTemplate)
{
    const QByteArray rtf = BuildDefaultRtf(QStringLiteral("%1%"));
    EXPECT_EQ(rtf.size(), 3 + 230);
    EXPECT_EQ(rtf,
              QByteArray("{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
                         "{\\f1\\fnil\\fcharset204{\\*\\fname Arial;}Arial CYR;}}\r\n"
                         "{\\colortbl ;\\red255\\green255\\blue255;}\r\n"
                         "\\viewkind4\\uc1\\pard\\cf1\\lang1033\\b\\fs56 %1%\\lang1049\\f1\\par\r\n}\r\n"));
    // Text outside ASCII is written as Unicode escapes; RTF's own characters are escaped.
    const QByteArray escaped = BuildDefaultRtf(QString::fromUtf16(u"%Имя% {a\\b} %Straße%"));
    EXPECT_TRUE(escaped.contains("\\fs56 %\\u1048?\\u1084?\\u1103?% \\{a\\\\b\\} %Stra\\u223?e%\\lang1049"))
        << escaped.constData();

    CTextFiles files;
    CFrame csv;
    csv.textSource = kSourceCsvFile;
    csv.firstLineIsHeader = 1;
    csv.fileName = files.Write(QStringLiteral("h.csv"), "Name;Value\n1;2\n");
    CFrameTextSource(csv).BuildDefaultText();
    EXPECT_TRUE(csv.richText.contains("\\fs56 %Name% %Value%\\lang1049"));
    CFrameTextSource(csv).BuildDefaultText();  // a template is never replaced
    EXPECT_EQ(csv.richText.count("%Name%"), 1);

    CFrame missing;
    missing.textSource = kSourceCsvFile;
    missing.fileName = files.Path(QStringLiteral("none.csv"));
    CFrameTextSource(missing).BuildDefaultText();
    EXPECT_EQ(missing.richText, rtf);

    for (const int source : {kSourceObjectText, kSourceRtfFile}) {
        CFrame none;
        none.textSource = source;
        CFrameTextSource(none).BuildDefaultText();
        EXPECT_TRUE(none.richText.isEmpty());
    }
}
