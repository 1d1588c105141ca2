#include "ToolRun.h"

#include "model/PageFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray FolderHash(const QString& folder)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
        QFile file(QDir(folder).filePath(name));
        if (file.open(QIODevice::ReadOnly))
            hash.addData(file.readAll());
    }
    return hash.result();
}

// A 720p page with two solid objects, one fading in.
class RenderCommand : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString page = dir.filePath(QStringLiteral("page.tavrel"));

    void SetUp() override
    {
        ASSERT_EQ(WriteFadeInTestPage(page, CRect{0, 0, 640, 360}, CRect{100, 100, 500, 300}), 1);
    }
};

TEST_F(RenderCommand, WritesTheSameFramesOnEveryRun)
{
    const QString first = dir.filePath(QStringLiteral("first"));
    const QString second = dir.filePath(QStringLiteral("second"));
    for (const QString& out : {first, second}) {
        const ToolRun run = RunTool({"render", page, "--mode", "720p50", "--out", out, "--frames", "4", "--output",
                              "limited", "--device", "cpu"});
        ASSERT_EQ(run.exitCode, 0) << run.error.toStdString();
    }
    EXPECT_EQ(QDir(first).entryList(QDir::Files, QDir::Name),
              (QStringList{"frame_00000.png", "frame_00001.png", "frame_00002.png", "frame_00003.png"}));
    EXPECT_EQ(FolderHash(first), FolderHash(second));
    const QImage frame(QDir(first).filePath(QStringLiteral("frame_00000.png")));
    ASSERT_EQ(frame.size(), QSize(1280, 720)) << "the output signal at canvas size";
    // Where nothing lies: Y' 0, chroma 128, key 0 in limited range.
    EXPECT_EQ(frame.pixel(1200, 700) & 0xFFFFFFu, 0x008000u);
}

TEST_F(RenderCommand, RefusesWhatItCannotDo)
{
    const QString out = dir.filePath(QStringLiteral("out"));
    QFile script(dir.filePath(QStringLiteral("show.script")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.close();
    const struct
    {
        QStringList arguments;
        int exitCode;
        const char* message;
    } cases[] = {
        {{"render", script.fileName(), "--mode", "720p50", "--out", out}, 1, "File open failed"},
        {{"render", dir.filePath(QStringLiteral("missing.script")), "--mode", "720p50", "--out", out}, 1,
         "File open failed"},
        {{"render", script.fileName(), "--mode", "720p50", "--out", out, "--play", "all"}, 2, "--play"},
        {{"render", page, "--mode", "720p50", "--out", dir.filePath(QStringLiteral("page.tavrel/show.mov"))}, 1,
         "cannot write"},
        {{"render", page, "--mode", "720p50", "--out", dir.filePath(QStringLiteral("show.mp4"))}, 2, ".mov"},
        {{"render", page, "--mode", "720p50"}, 2, "--out"},
        {{"render", page, "--mode", "999p", "--out", out}, 2, "--mode"},
        {{"render", page, "--mode", "720p50", "--out", out, "--output", "yuv"}, 2, "--output"},
        {{"render", page, "--mode", "1080p50", "--out", out}, 5, "1280x720"},
        {{"render", dir.filePath(QStringLiteral("missing.tavrel")), "--mode", "720p50", "--out", out}, 1,
         "File open failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const ToolRun run = RunTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.error.contains(QString::fromLatin1(c.message))) << run.error.toStdString();
    }
}

TEST_F(RenderCommand, BenchReportsEachDeviceAndAVerdict)
{
    const ToolRun run = RunTool({"bench", page, "--mode", "720p50", "--seconds", "0.5", "--device", "cpu"});
    ASSERT_EQ(run.exitCode, 0) << run.error.toStdString();
    const QString out = QString::fromUtf8(run.out);
    EXPECT_TRUE(out.contains(QStringLiteral("frames rendered: "))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("99th percentile: ")));
    EXPECT_TRUE(out.contains(QStringLiteral("text thread's busiest chunk time: ")));
    // Work done by each thread, from its own clock: the CPU device's band
    // workers are counted too.
    const QRegularExpressionMatch processor =
        QRegularExpression(QStringLiteral("\n  processor time per frame: render thread (\\d+\\.\\d{3}) ms, band "
                                          "workers (\\d+\\.\\d{3}) ms, text thread (\\d+\\.\\d{3}) ms\n"))
            .match(out);
    ASSERT_TRUE(processor.hasMatch()) << out.toStdString();
    EXPECT_GT(processor.captured(1).toDouble(), 0.0) << out.toStdString();
    const QStringList lines = out.trimmed().split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.last() == QStringLiteral("realtime: yes") || lines.last() == QStringLiteral("realtime: no"))
        << lines.last().toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("missed deadlines"))) << "only a paced run has deadlines";
}

// Paced, frames come no faster than the mode's rate, and every frame that
// missed its deadline is given one cause.
TEST_F(RenderCommand, PacedBenchCountsMissedDeadlinesByCause)
{
    QElapsedTimer clock;
    clock.start();
    const ToolRun run =
        RunTool({"bench", page, "--mode", "720p50", "--seconds", "0.5", "--device", "cpu", "--paced"});
    const qint64 runMs = clock.elapsed();
    ASSERT_EQ(run.exitCode, 0) << run.error.toStdString();
    const QString out = QString::fromUtf8(run.out);
    const QRegularExpression frames(QStringLiteral("frames rendered: (\\d+)\n"));
    const QRegularExpression missed(QStringLiteral("  missed deadlines: (\\d+) of (\\d+) frames.*\n"
                                                   "  late by the render thread: (\\d+); by the text thread: "
                                                   "(\\d+); by the machine: (\\d+)\n"));
    const QRegularExpressionMatch f = frames.match(out);
    const QRegularExpressionMatch m = missed.match(out);
    ASSERT_TRUE(f.hasMatch() && m.hasMatch()) << out.toStdString();
    // No more than one frame per 20 ms the program ran (and the first);
    // unpaced this page draws hundreds a second.
    EXPECT_LE(f.captured(1).toInt(), runMs / 20 + 2) << out.toStdString();
    EXPECT_EQ(m.captured(2), f.captured(1));
    EXPECT_EQ(m.captured(3).toInt() + m.captured(4).toInt() + m.captured(5).toInt(), m.captured(1).toInt());
    const QStringList lines = out.trimmed().split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.last() == QStringLiteral("realtime: yes") || lines.last() == QStringLiteral("realtime: no"))
        << lines.last().toStdString();

    EXPECT_EQ(RunTool({"bench", page, "--mode", "720p50", "--paced", "--frames", "3"}).exitCode, 2);
}

}  // namespace
