// layers, contact-sheet and soak: the commands behind the demo and the
// benchmark scripts.

#include "ToolRun.h"

#include "model/PageFile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// A 720p page: a half-transparent plate and a smaller object fading in over it.
class PageMeasureCommands : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString page = dir.filePath(QStringLiteral("page.tavrel"));

    void SetUp() override
    {
        ASSERT_EQ(WriteFadeInTestPage(page, CRect{40, 20, 640, 360}, CRect{300, 200, 700, 400}), 1);
    }

    QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }
};

// The comparison script relies on this: the layers laid over each other at
// their positions give the frame the renderer composes at that moment.
TEST_F(PageMeasureCommands, LayersStackedAtTheirPositionsGiveTheComposedFrame)
{
    const ToolRun layers = RunTool({"layers", page, "--mode", "720p50", "--out", Path("layers"), "--at-ms", "100",
                                    "--device", "cpu"});
    ASSERT_EQ(layers.exitCode, 0) << layers.error.toStdString();
    // Frame 5 of the virtual clock is 100 ms after the start at 50 Hz.
    const ToolRun render = RunTool({"render", page, "--mode", "720p50", "--out", Path("frames"), "--frames", "6",
                                    "--device", "cpu"});
    ASSERT_EQ(render.exitCode, 0) << render.error.toStdString();

    QFile jsonFile(QDir(Path("layers")).filePath(QStringLiteral("layers.json")));
    ASSERT_TRUE(jsonFile.open(QIODevice::ReadOnly));
    const QJsonObject json = QJsonDocument::fromJson(jsonFile.readAll()).object();
    EXPECT_EQ(json.value("width").toInt(), 1280);
    EXPECT_EQ(json.value("height").toInt(), 720);
    const QJsonArray entries = json.value("layers").toArray();
    ASSERT_EQ(entries.size(), 2);

    QImage stacked(1280, 720, QImage::Format_ARGB32_Premultiplied);
    stacked.fill(Qt::transparent);
    QPainter painter(&stacked);
    for (const QJsonValue& value : entries) {
        const QJsonObject entry = value.toObject();
        const QImage layer(QDir(Path("layers")).filePath(entry.value("file").toString()));
        ASSERT_FALSE(layer.isNull());
        EXPECT_EQ(layer.width(), entry.value("width").toInt());
        painter.drawImage(entry.value("x").toInt(), entry.value("y").toInt(), layer);
    }
    painter.end();
    // Straight RGBA in the frame files as in the layers.
    const QImage composed = stacked.convertToFormat(QImage::Format_ARGB32);
    const QImage frame = QImage(QDir(Path("frames")).filePath(QStringLiteral("frame_00005.png"))).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(frame.size(), composed.size());
    int worst = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb a = frame.pixel(x, y);
            const QRgb b = composed.pixel(x, y);
            worst = std::max({worst, std::abs(qAlpha(a) - qAlpha(b)),
                              qAlpha(a) ? std::abs(qRed(a) - qRed(b)) : 0, qAlpha(a) ? std::abs(qGreen(a) - qGreen(b)) : 0,
                              qAlpha(a) ? std::abs(qBlue(a) - qBlue(b)) : 0});
        }
    }
    EXPECT_LE(worst, 3);
}

TEST_F(PageMeasureCommands, ContactSheetLaysOutEvenlyPickedFrames)
{
    ASSERT_EQ(RunTool({"render", page, "--mode", "720p50", "--out", Path("frames"), "--frames", "7"}).exitCode, 0);
    const ToolRun sheet = RunTool({"contact-sheet", Path("frames"), "--out", Path("sheet.png"), "--count", "4",
                                   "--columns", "3", "--width", "160"});
    ASSERT_EQ(sheet.exitCode, 0) << sheet.error.toStdString();
    EXPECT_TRUE(sheet.out.contains("4 of 7 frames"));
    // Tiles of 160 x 90 with 8-pixel gaps: three in the first row, one in the second.
    const QImage image(Path("sheet.png"));
    EXPECT_EQ(image.size(), QSize(8 + 3 * 168, 8 + 2 * 98));
    // The first tile is frame 0, before the green object fades in; the
    // last is frame 6, with the object well on its way.
    const QRgb firstTile = image.pixel(8 + 160 * 500 / 1280, 8 + 90 * 380 / 720);
    const QRgb lastTile = image.pixel(8 + 160 * 500 / 1280, 8 + 98 + 90 * 380 / 720);
    EXPECT_LT(qGreen(firstTile), 120);
    EXPECT_GT(qGreen(lastTile), qGreen(firstTile) + 50);

    struct Case
    {
        QStringList arguments;
        int exitCode;
    } cases[] = {
        {{"contact-sheet", Path("frames")}, 2},
        {{"contact-sheet", Path("frames"), "--out", Path("s.png"), "--columns", "0"}, 2},
        {{"contact-sheet", Path("frames"), "--out", Path("s.png"), "--width", "x"}, 2},
        {{"contact-sheet", dir.path(), "--out", Path("s.png")}, 1},  // no frames there
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunTool(c.arguments).exitCode, c.exitCode) << c.arguments.join(' ').toStdString();

    // A frame of another size is refused, not stretched into the grid.
    QImage(64, 64, QImage::Format_ARGB32).save(QDir(Path("frames")).filePath(QStringLiteral("frame_00003.png")));
    const ToolRun mixed = RunTool({"contact-sheet", Path("frames"), "--out", Path("s.png"), "--count", "7"});
    EXPECT_EQ(mixed.exitCode, 1);
    EXPECT_TRUE(mixed.error.contains(QStringLiteral("frame_00003.png"))) << mixed.error.toStdString();
}

TEST_F(PageMeasureCommands, SoakReportsMemoryAndLateFramesInItsShortForm)
{
    const ToolRun soak = RunTool({"soak", page, "--mode", "720p50", "--frames", "300", "--device", "cpu"});
    ASSERT_EQ(soak.exitCode, 0) << soak.error.toStdString();
    const QString out = QString::fromUtf8(soak.out);
    EXPECT_TRUE(out.contains(QStringLiteral("frames rendered: "))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("resident memory: "))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral(" 0.0 MiB at the end"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("frames over the 20.000 ms budget: "))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("moving text waited for it in "))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("frames over budget while the text thread laid out text: ")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("frames over budget by no more than the text thread ran in them: ")))
        << out.toStdString();
    const QString verdict = out.section(QLatin1Char('\n'), -2, -2);
    EXPECT_TRUE(QStringList({"soak: clean", "soak: frames over budget, none by the text thread", "soak: text late",
                             "soak: frames over budget by the text thread"})
                    .contains(verdict))
        << out.toStdString();

    EXPECT_FALSE(out.contains(QStringLiteral("missed deadlines"))) << "only a paced run has deadlines";

    // The threads' own processor time, and the render thread's heaviest
    // frames with the object whose steps took longest.
    const QRegularExpressionMatch processor =
        QRegularExpression(QStringLiteral("\nprocessor time per frame: render thread (\\d+\\.\\d{3}) ms, band "
                                          "workers (\\d+\\.\\d{3}) ms, text thread (\\d+\\.\\d{3}) ms\n"))
            .match(out);
    ASSERT_TRUE(processor.hasMatch()) << out.toStdString();
    EXPECT_GT(processor.captured(1).toDouble(), 0.0);
    const QRegularExpressionMatch own = QRegularExpression(
        QStringLiteral("\nrender thread's own processor time: longest (\\d+\\.\\d{3}) ms \\(frame (\\d+)\\); "
                       "over half the frame period in (\\d+) frames\nheaviest: (\\d+) \\(at \\d+\\.\\d{3} s: ([^;]+); drawing [^;]+; objects' steps "
                       // The longest object is named when the objects' steps took a measurable time.
                       "[^,)]+(, longest object \\d+ \\([^)]*\\) |\\))"))
        .match(out);
    ASSERT_TRUE(own.hasMatch()) << out.toStdString();
    EXPECT_EQ(own.captured(2), own.captured(4)) << "the longest frame is the first of the heaviest";

    struct Case
    {
        QStringList arguments;
        int exitCode;
    } cases[] = {
        {{"soak", page, "--mode", "720p50", "--device", "all"}, 2},
        {{"soak", page, "--mode", "720p50", "--device", "all", "--paced"}, 2},
        {{"soak", page}, 2},
        {{"soak", Path("missing.tavrel"), "--mode", "720p50"}, 1},
        {{"soak", page, "--mode", "1080p50", "--frames", "10"}, 5},  // made for 720-line modes
        {{"layers", page, "--mode", "720p50"}, 2},                     // no --out
        {{"layers", page, "--mode", "720p50", "--out", Path("l"), "--at-ms", "-1"}, 2},
        {{"layers", page, "--mode", "720p50", "--out", Path("l"), "--frames", "3"}, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunTool(c.arguments).exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
}

// Paced, the soak says which frames missed their deadline and why, just
// before its verdict, and the verdict speaks of those frames.
TEST_F(PageMeasureCommands, PacedSoakReportsMissedDeadlinesBeforeItsVerdict)
{
    const ToolRun soak =
        RunTool({"soak", page, "--mode", "720p50", "--frames", "40", "--device", "cpu", "--paced"});
    ASSERT_EQ(soak.exitCode, 0) << soak.error.toStdString();
    const QString out = QString::fromUtf8(soak.out);
    EXPECT_TRUE(out.contains(QStringLiteral("paced: presentation waits for each frame's deadline, every 20.000 ms\n")))
        << out.toStdString();
    const QStringList lines = out.trimmed().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 3);
    const QRegularExpressionMatch missed =
        QRegularExpression(QStringLiteral("^missed deadlines: (\\d+) of (\\d+) frames")).match(lines[lines.size() - 3]);
    const QRegularExpressionMatch causes =
        QRegularExpression(QStringLiteral("^late by the render thread: (\\d+); by the text thread: (\\d+); by the machine: (\\d+)$"))
            .match(lines[lines.size() - 2]);
    ASSERT_TRUE(missed.hasMatch() && causes.hasMatch()) << out.toStdString();
    EXPECT_GE(missed.captured(2).toInt(), 40);
    EXPECT_EQ(causes.captured(1).toInt() + causes.captured(2).toInt() + causes.captured(3).toInt(),
              missed.captured(1).toInt());
    const QString verdict = lines.last();
    if (missed.captured(1).toInt() == 0)
        EXPECT_TRUE(verdict == QStringLiteral("soak: clean") || verdict == QStringLiteral("soak: text late")) << out.toStdString();
    else if (causes.captured(2).toInt() > 0)
        EXPECT_EQ(verdict, QStringLiteral("soak: frames over budget by the text thread")) << out.toStdString();
    else
        EXPECT_TRUE(verdict == QStringLiteral("soak: frames over budget, none by the text thread") ||
                    verdict == QStringLiteral("soak: text late")) << out.toStdString();
}

}  // namespace
