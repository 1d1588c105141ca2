#include "ToolRun.h"

#include "content/VideoFile.h"
#include "model/PageFile.h"
#include "scripts/FrameScript.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// A 576-line show folder: a page with two opaque objects in groups "a" (red,
// top left) and "b" (green, lower right), and a script that loads it by its
// relative path, plays it, stops group b after a second and deletes
// everything a second later.
class RenderScript : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString show = dir.filePath(QStringLiteral("show"));
    QString page = show + QStringLiteral("/news.tavrel");
    QString script = show + QStringLiteral("/news.script");
    static constexpr QPoint kInA{100, 100};
    static constexpr QPoint kInB{400, 400};
    static constexpr QPoint kOutside{650, 50};

    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(show));
        CFrame a, b;
        a.rect = CRect{0, 0, 200, 200};
        a.backgroundColor = 0xFF0000FFu;  // COLORREF with alpha: opaque red
        a.group = QStringLiteral("a");
        b.rect = CRect{300, 300, 500, 500};
        b.backgroundColor = 0xFF00FF00u;
        b.group = QStringLiteral("b");
        CPageFileContext context;
        context.rasterWidth = 720;
        context.rasterHeight = 576;
        context.desktopDpi = 96;
        ASSERT_EQ(WritePage(page, FrameList{&a, &b}, context), 1);

        CFrameScript steps;
        steps.Append({CFrameScriptItem::kLoadPage, page, 0});
        steps.Append({CFrameScriptItem::kPlay, QString(), 0});
        steps.Append({CFrameScriptItem::kWaitPeriod, QString(), 1});
        steps.Append({CFrameScriptItem::kStop, QStringLiteral("b"), 0});
        steps.Append({CFrameScriptItem::kWaitPeriod, QString(), 1});
        steps.Append({CFrameScriptItem::kDelete, QString(), 0});
        ASSERT_TRUE(steps.SaveFile(script));
    }

    // Moves the show folder: the script must find its page relative to itself.
    void MoveShow()
    {
        const QString moved = dir.filePath(QStringLiteral("moved"));
        ASSERT_TRUE(QDir().rename(show, moved));
        script = moved + QStringLiteral("/news.script");
    }
};

TEST_F(RenderScript, ObjectsAppearAndLeaveOnTheScriptsTicks)
{
    MoveShow();
    const QString out = dir.filePath(QStringLiteral("frames"));
    const ToolRun run =
        RunTool({"render", script, "--mode", "576p50", "--out", out, "--frames", "102", "--device", "cpu"});
    ASSERT_EQ(run.exitCode, 0) << run.error.toStdString();
    // 20 ms frames, a tick every 10th frame: the waits end on the ticks at
    // 1000 ms (frame 50) and 2000 ms (frame 100).
    const struct
    {
        int frame;
        bool a;
        bool b;
    } cases[] = {{0, true, true}, {49, true, true}, {50, true, false}, {99, true, false}, {100, false, false},
                 {101, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame);
        const QImage frame(QDir(out).filePath(QStringLiteral("frame_%1.png").arg(c.frame, 5, 10, QLatin1Char('0'))));
        ASSERT_EQ(frame.size(), QSize(720, 576));
        EXPECT_EQ(frame.pixel(kInA), c.a ? 0xFFFF0000u : 0u);
        EXPECT_EQ(frame.pixel(kInB), c.b ? 0xFF00FF00u : 0u);
        EXPECT_EQ(qAlpha(frame.pixel(kOutside)), 0);
    }
}

bool Near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance && std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

// Every container and output kind: the video holds the frames the PNG
// rendering of the same run holds.
TEST_F(RenderScript, VideoFilesHoldTheSameFramesAsPngs)
{
    const struct
    {
        const char* file;
        const char* output;
    } cases[] = {{"show.mov", "rgba"}, {"show.mkv", "limited"}, {"show.avi", "full"}};
    constexpr int kFrames = 3;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString video = dir.filePath(QString::fromLatin1(c.file));
        const QString pngs = dir.filePath(QStringLiteral("png-") + QString::fromLatin1(c.output));
        for (const QString& out : {video, pngs}) {
            const ToolRun run = RunTool({"render", script, "--mode", "576p50", "--out", out, "--frames",
                                         QString::number(kFrames), "--output", c.output, "--device", "cpu"});
            ASSERT_EQ(run.exitCode, 0) << run.error.toStdString();
        }
        EXPECT_FALSE(QFile::exists(video + QStringLiteral(".part")));
        CVideoFile file;
        ASSERT_EQ(file.Open(video, int64_t{1} << 22), CVideoFile::kOpened);
        EXPECT_EQ(file.width, 720);
        EXPECT_EQ(file.height, 576);
        EXPECT_EQ(file.FrameDurationMs(), 20);
        int frames = 0;
        CPicture picture;
        while (file.ReadFrame(picture) == 1) {
            SCOPED_TRACE(frames);
            ASSERT_LT(frames, kFrames);
            const QImage expected(QDir(pngs).filePath(QStringLiteral("frame_%1.png").arg(frames, 5, 10, QLatin1Char('0'))));
            ASSERT_EQ(expected.size(), QSize(picture.width, picture.height));
            int off = 0;
            for (int y = 0; y < picture.height; ++y)
                for (int x = 0; x < picture.width; ++x)
                    off += !Near(picture.Row(y)[x], expected.pixel(x, y), 2);
            EXPECT_EQ(off, 0);
            ++frames;
        }
        EXPECT_EQ(frames, kFrames);
    }
}

TEST_F(RenderScript, PageFailuresStopBeforeAnythingIsWritten)
{
    const QString video = dir.filePath(QStringLiteral("show.mov"));
    QFile old(video);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("the older show");
    old.close();
    const struct
    {
        const char* what;
        QString missing;
        QString mode;
        int exitCode;
        QString message;
    } cases[] = {
        {"page missing", page, QStringLiteral("576p50"), 1, QStringLiteral("File open failed!\n\n") + page},
        {"page of another mode", QString(), QStringLiteral("720p50"), 5, QStringLiteral("720x576")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.missing.isEmpty()) {
            ASSERT_TRUE(QFile::rename(c.missing, c.missing + QStringLiteral(".away")));
        }
        const ToolRun run = RunTool({"render", script, "--mode", c.mode, "--out", video, "--device", "cpu"});
        if (!c.missing.isEmpty()) {
            ASSERT_TRUE(QFile::rename(c.missing + QStringLiteral(".away"), c.missing));
        }
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.error.contains(c.message)) << run.error.toStdString();
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), QByteArray("the older show"));
        old.close();
        EXPECT_FALSE(QFile::exists(video + QStringLiteral(".part")));
    }
}

}  // namespace
