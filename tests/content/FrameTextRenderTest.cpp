#include "TextPlayout.h"

#include "content/FramePreview.h"
#include "content/FrameTextLayout.h"
#include "content/RichEditTextRenderer.h"
#include "model/Frame.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

uint32_t Alpha(uint32_t pixel)
{
    return pixel >> 24;
}

int RowsWithInk(const CPicture& picture, int fromRow, int toRow)
{
    int rows = 0;
    for (int y = fromRow; y < toRow; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (Alpha(picture.Row(y)[x]) != 0) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

QStringList NumberedLines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("Line %1 of the roll, Wg").arg(i);
    return lines;
}

// The whole text of `object` laid out at once, as a fixed object as tall as
// the text would show it.
CPicture WholeText(const CFrame& like, int height)
{
    CFrame object;
    object.richText = like.richText;
    object.textAlpha = like.textAlpha;
    object.rect = CRect{0, 0, like.rect.Width(), height};
    object.movement = like.movement == kMovementRoll ? kMovementFixed : like.movement;
    object.leadDone = 1;
    CRichEditTextRenderer renderer;
    CPicture picture;
    int position = 0, total = 0, width = 0, textHeight = 0;
    EXPECT_EQ(CFrameTextLayout(object).RenderTextChunk(picture, position, renderer, false, total, width, textHeight), 1);
    EXPECT_EQ(picture.height, textHeight);
    return picture;
}

}  // namespace

TEST(FrameTextRender, FixedTextTallerThanTheObjectIsCutWithAPartlyVisibleLastLine)
{
    TextPlayout playout;
    playout.object.richText = RtfOfParagraphs(NumberedLines(10));
    // 20 pt lines are about 30 pixels: 100 pixels hold three and a part.
    playout.Play(CRect{0, 0, 300, 100}, kMovementFixed);
    playout.TextThread();
    const CFrame& object = playout.object;
    ASSERT_EQ(object.chunkReady.load(), 1);
    EXPECT_EQ(object.chunkRect, (CRect{0, 0, 300, 100}));
    EXPECT_EQ(object.chunkPicture.height, 100);
    EXPECT_GT(RowsWithInk(object.chunkPicture, 90, 100), 0) << "the fourth line shows, cut at the bottom";
    EXPECT_EQ(object.noMoreChunks.load(), 1);

    ASSERT_EQ(playout.Frame(), 1);
    const CMemoryTexture* texture = playout.TextTexture();
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->Width(), 300);
    EXPECT_EQ(texture->Height(), 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 300; x += 7)
            ASSERT_EQ(texture->Texel(x, y), object.chunkPicture.Row(y)[x]) << x << ", " << y;
}

// Edges over transparency keep the text's colour, and textAlpha scales the
// coverage; the glyphs come from the font engine or are filled as outlines.
void ExpectGreyEdges(bool outlines)
{
    CRichEditExCtrl::ForceGlyphOutlines(outlines);
    CPicture full;
    CPicture half;
    for (int alpha : {255, 128}) {
        TextPlayout playout;
        playout.object.richText = RtfOfParagraphs({QStringLiteral("Wag ohm")}, 60);
        playout.object.textAlpha = alpha;
        playout.Play(CRect{0, 0, 300, 60}, kMovementFixed);
        playout.TextThread();
        (alpha == 255 ? full : half) = playout.object.chunkPicture;
    }
    CRichEditExCtrl::ForceGlyphOutlines(false);
    ASSERT_EQ(full.PixelCount(), half.PixelCount());
    int partial = 0;
    int covered = 0;
    for (size_t i = 0; i < full.PixelCount(); ++i) {
        const uint32_t pixel = full.pixels[i];
        const uint32_t alpha = Alpha(pixel);
        if (alpha == 0)
            continue;
        ++covered;
        if (alpha < 255)
            ++partial;
        // White text: every covered pixel is grey (greyscale coverage, no
        // colour fringe) and, where it shows, all but white (the combination
        // darkens only the faintest edge pixels a little).
        const uint32_t blue = pixel & 0xFFu, green = (pixel >> 8) & 0xFFu, red = (pixel >> 16) & 0xFFu;
        EXPECT_TRUE(blue == green && green == red) << "pixel " << i << std::hex << " " << pixel;
        if (alpha >= 64) {
            EXPECT_GE(blue, 245u) << "pixel " << i << std::hex << " " << pixel;
        }
        EXPECT_EQ(Alpha(half.pixels[i]), alpha * 128 / 255) << "pixel " << i;
    }
    EXPECT_GT(covered, 500) << "the text is there";
    EXPECT_GT(partial, 20) << "antialiased edges";
}

TEST(FrameTextRender, EdgesOverTransparencyKeepTheTextColourAndTextAlphaScalesCoverage)
{
    ExpectGreyEdges(false);
}

TEST(FrameTextRender, GlyphsFilledAsOutlinesHaveGreyEdgesToo)
{
    ExpectGreyEdges(true);
}

// A desktop whose font configuration turns antialiasing off and asks for
// colour subpixels does not change the text pictures: the same checks in a
// process that starts with such a configuration.
TEST(FrameTextRender, DesktopFontSettingsDoNotChangeTextPictures)
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("fonts.conf"));
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n"
               "<include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>\n"
               "<match target=\"font\"><edit name=\"antialias\" mode=\"assign\"><bool>false</bool></edit>"
               "<edit name=\"rgba\" mode=\"assign\"><const>rgb</const></edit>"
               "<edit name=\"hintstyle\" mode=\"assign\"><const>hintfull</const></edit></match>\n"
               "</fontconfig>\n");
    file.close();
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FONTCONFIG_FILE"), config);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=FrameTextRender.EdgesOverTransparency*")});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray output = child.readAllStandardOutput();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

TEST(FrameTextRender, EmptyTextRendersNothingAndShowsNoText)
{
    TextPlayout playout;
    playout.object.richText = RtfOfParagraphs({QString()});
    playout.Play(CRect{0, 0, 200, 60}, kMovementScroll);
    playout.Frame();
    EXPECT_EQ(playout.object.hasText, 0);
    EXPECT_EQ(playout.object.noMoreChunks.load(), 1);
    EXPECT_EQ(playout.object.chunkReady.load(), 0);
    EXPECT_EQ(playout.result.textTexture, nullptr);
}

// A crawl through several turns of the ring shows, frame by frame, exactly
// the columns of the text picture that have moved into the object: none
// torn, skipped or shown twice.
struct CrawlCase
{
    int reverse;
    int loop;
    int startFromEdge;
};

class FrameTextCrawl : public ::testing::TestWithParam<CrawlCase>
{
};

TEST_P(FrameTextCrawl, ShowsTheTextColumnByColumnThroughRingWraps)
{
    const CrawlCase c = GetParam();
    TextPlayout playout;
    CFrame& object = playout.object;
    object.richText = RtfOfParagraphs(
        {QStringLiteral("The quick brown fox jumps over the lazy dog, then turns back and does it again: 0123456789 "
                        "and once more at the end of the line. Wind from the west, 12 knots, gusting 20; visibility "
                        "good, sea state moderate, and the next bulletin follows at six.")});
    object.speed = kSpeedFast;
    object.reverse = c.reverse;
    object.loop = c.loop;
    object.startFromEdge = c.startFromEdge;
    const int width = 320;
    const int height = 50;
    playout.Play(CRect{0, 0, width, height}, kMovementScroll);
    ASSERT_EQ(object.textTextureWidth, 480);

    // The stream of columns as they enter the object: lead, text, padding.
    CFrame reference;
    reference.richText = object.richText;
    reference.rect = object.rect;
    reference.movement = kMovementScroll;
    reference.leadDone = 1;
    CRichEditTextRenderer renderer;
    CPicture text;
    int position = 0, total = 0, textWidth = 0, textHeight = 0;
    ASSERT_EQ(CFrameTextLayout(reference).RenderTextChunk(text, position, renderer, false, total, textWidth, textHeight), 1);
    ASSERT_GT(textWidth, 4 * object.textTextureWidth) << "several turns of the ring";
    const int lead = c.startFromEdge ? width : 0;
    const int period = lead + textWidth;
    auto streamColumn = [&](long long k, int y) -> uint32_t {
        if (c.loop)
            k %= period;
        if (k < lead || k >= period || y >= textHeight)
            return 0;
        const int x = static_cast<int>(k - lead);
        return text.Row(y)[c.reverse ? textWidth - 1 - x : x];
    };

    int shownFrames = 0;
    int lastPosition = -1;
    int still = 0;
    for (int frame = 0; frame < 3000 && still < 20; ++frame) {
        ASSERT_EQ(playout.Frame(), 1);
        if (!playout.result.textTexture)
            continue;
        ++shownFrames;
        const int p = object.scrollPosition;
        still = p == lastPosition ? still + 1 : 0;
        lastPosition = p;
        for (int x = 0; x < width; ++x) {
            const long long k = c.reverse ? p + (width - 1 - x) : p + x;
            for (int y = 0; y < height; y += 3)
                ASSERT_EQ(playout.Shown(x, y), streamColumn(k, y))
                    << "frame " << frame << ", position " << p << ", column " << x << ", row " << y;
        }
    }
    EXPECT_GT(shownFrames, 0);
    if (c.loop) {
        EXPECT_GT(lastPosition, 2 * period) << "the text came round again";
    } else {
        EXPECT_GE(lastPosition + width + 3, period) << "the whole text went through";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FrameTextCrawl,
                         ::testing::Values(CrawlCase{0, 0, 1}, CrawlCase{1, 0, 1}, CrawlCase{0, 1, 0},
                                           CrawlCase{1, 1, 1}, CrawlCase{0, 0, 0}));

// A roll of a text several chunks tall, compared with the same text laid
// out at once: the chunks stitch together and the ring hands every row over
// exactly once.
class FrameTextRoll : public ::testing::TestWithParam<int>
{
};

TEST_P(FrameTextRoll, ShowsTheWholeTextRowByRowThroughChunksAndRingWraps)
{
    const int reverse = GetParam();
    TextPlayout playout;
    CFrame& object = playout.object;
    object.richText = RtfOfParagraphs(NumberedLines(170));
    object.speed = kSpeedFast;
    object.reverse = reverse;
    object.loop = 0;
    object.startFromEdge = 1;
    const int width = 260;
    const int height = 120;
    playout.Play(CRect{0, 0, width, height}, kMovementRoll);

    const CPicture whole = WholeText(object, 32000);
    ASSERT_GT(whole.height, 2 * 2048) << "three chunks or more";
    const int lead = height;
    const int period = lead + whole.height;
    auto streamRow = [&](long long k, int x) -> uint32_t {
        if (k < lead || k >= period || x >= whole.width)
            return 0;
        const int y = static_cast<int>(k - lead);
        return whole.Row(reverse ? whole.height - 1 - y : y)[x];
    };

    int maxChunkHeight = 0;
    int lastPosition = -1;
    int still = 0;
    for (int frame = 0; frame < 4000 && still < 20; ++frame) {
        playout.TextThread();
        if (object.chunkReady.load())
            maxChunkHeight = std::max(maxChunkHeight, object.chunkRect.Height());
        ASSERT_EQ(playout.Frame(), 1);
        if (!playout.result.textTexture)
            continue;
        const int p = object.scrollPosition;
        still = p == lastPosition ? still + 1 : 0;
        lastPosition = p;
        for (int y = 0; y < height; ++y) {
            const long long k = reverse ? p + (height - 1 - y) : p + y;
            for (int x = 0; x < width; x += 5)
                ASSERT_EQ(playout.Shown(x, y), streamRow(k, x))
                    << "frame " << frame << ", position " << p << ", row " << y << ", column " << x;
        }
    }
    EXPECT_GE(lastPosition + height + 3, period) << "the whole text went through";
    if (!reverse) {
        EXPECT_LE(maxChunkHeight, 2048 + lead);
    }
    EXPECT_GE(object.chunksRendered.load(), reverse ? 1 : 3);
}

INSTANTIATE_TEST_SUITE_P(Directions, FrameTextRoll, ::testing::Values(0, 1));

TEST(FrameTextRender, CsvRowsFollowOneAnotherAsChunks)
{
    TextPlayout playout;
    CFrame& object = playout.object;
    object.textSource = kSourceCsvFile;
    object.fileName = playout.WriteFile("rows.csv", "Name;Value\nTom;5\nAnn;7\n");
    object.firstLineIsHeader = 1;
    object.richText = RtfOfParagraphs({QStringLiteral("%Name%: %Value%")});
    playout.Play(CRect{0, 0, 300, 400}, kMovementRoll);

    for (int i = 0; i < 3; ++i) {
        playout.TextThread();
        ASSERT_EQ(object.chunkReady.load(), 1) << "row " << i;
        // What the control shows is the row substituted into the template.
        const QString shown = playout.renderer.multiLineControl.Text();
        EXPECT_EQ(shown, i == 1 ? QStringLiteral("Ann: 7") : QStringLiteral("Tom: 5")) << "chunk " << i;
        // The render thread takes the chunk.
        object.chunkReady.exchange(0);
        if (i == 1) {
            EXPECT_EQ(object.noMoreChunks.load(), 1) << "the rows are through";
            // The ring writer's end of a looping text: the source is checked
            // and the rows start over.
            object.sourceCheckDue.exchange(1);
            object.noMoreChunks.store(0);
            object.chunkPosition.store(0);
        }
    }
}

TEST(FrameTextRender, EditorPictureAndCaption)
{
    struct Case
    {
        QString text;
        QString caption;
    };
    const Case cases[] = {
        {QStringLiteral("Twenty-five characters!!!"), QStringLiteral("Twenty-five characte...")},
        {QStringLiteral("Exactly twenty chars"), QStringLiteral("Exactly twenty chars")},
    };
    for (const Case& c : cases) {
        CFrame object;
        object.richText = RtfOfParagraphs({c.text});
        object.rect = CRect{0, 0, 400, 80};
        CRichEditTextRenderer renderer;
        const CPicture& picture = CFramePreview(object).GetTextPreview(renderer);
        EXPECT_EQ(object.caption, c.caption);
        EXPECT_EQ(picture.width, 400);
        EXPECT_EQ(picture.height, 80);
        EXPECT_GT(RowsWithInk(picture, 0, 80), 10);
        EXPECT_EQ(object.previewTextValid, 1);
    }
}

TEST(FrameTextRender, ReverseTickerPictureIsRightAligned)
{
    CFrame object;
    object.richText = RtfOfParagraphs({QStringLiteral("short")});
    object.rect = CRect{0, 0, 400, 60};
    object.movement = kMovementScroll;
    object.reverse = 1;
    CRichEditTextRenderer renderer;
    const CPicture& picture = CFramePreview(object).GetTextPreview(renderer);
    auto columnHasInk = [&](int x) {
        for (int y = 0; y < picture.height; ++y)
            if (Alpha(picture.Row(y)[x]))
                return true;
        return false;
    };
    EXPECT_FALSE(columnHasInk(5));
    bool inkNearRight = false;
    for (int x = 380; x < 400; ++x)
        inkNearRight = inkNearRight || columnHasInk(x);
    EXPECT_TRUE(inkNearRight);
}

TEST(FrameTextRender, FailingSourceIsReportedAndShowsNothing)
{
    TextPlayout playout;
    CFrame& object = playout.object;
    object.textSource = kSourceRtfFile;
    object.fileName = QStringLiteral("/nonexistent/folder/text.rtf");
    playout.Play(CRect{0, 0, 200, 60}, kMovementFixed);
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(playout.Frame(), 1);
    EXPECT_EQ(object.sourceError.load(), 1);
    EXPECT_EQ(object.sourceReady.load(), 0);
    EXPECT_EQ(playout.result.textTexture, nullptr);
    // Tried again on every pass, but not as work: the text thread rests
    // between passes instead of spinning a core while the file is missing.
    EXPECT_EQ(CFrameTextLayout(object).InvokeRender(playout.renderer), 0);
    EXPECT_EQ(object.sourceError.load(), 1);

    CRichEditTextRenderer renderer;
    CFramePreview(object).GetTextPreview(renderer);
    EXPECT_EQ(object.sourceError.load(), 1);
}

// The operator edits a monitored text file while a fixed object is on air.
TEST(FrameTextRender, MonitoredTextFileChangeShowsWithinASecond)
{
    TextPlayout playout;
    CFrame& object = playout.object;
    object.textSource = kSourceTextFile;
    object.fileName = playout.WriteFile("news.txt", "First");
    object.monitorFile = 1;
    object.richText = RtfOfParagraphs({QStringLiteral("%1%")});
    playout.Play(CRect{0, 0, 300, 60}, kMovementFixed);
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(playout.Frame(), 1);
    ASSERT_NE(playout.TextTexture(), nullptr);
    const std::vector<uint32_t> before = playout.TextTexture()->Texels();

    playout.WriteFile("news.txt", "Second and longer");
    int frames = 0;
    while (frames < 100 && playout.TextTexture()->Texels() == before) {
        ASSERT_EQ(playout.Frame(), 1);
        ++frames;
    }
    EXPECT_LE(frames, 55) << "one second of frames and a little";
    EXPECT_EQ(playout.renderer.multiLineControl.Text(), QStringLiteral("Second and longer"));
}

// The text sources substitute into the real rich text engine: the
// placeholder's format becomes the text's, the rest of the template stays.
TEST(FrameTextRender, SourcesSubstituteIntoTheRichTextEngine)
{
    TextPlayout playout;
    CFrame& object = playout.object;
    object.textSource = kSourceTimer;
    object.timerFormat = QStringLiteral("%s.%d");
    object.timerStop = 0;
    object.richText = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}"
                      "\\pard\\f0\\fs40 Time: {\\b\\cf1 %1%}\\par}";
    playout.Play(CRect{0, 0, 300, 60}, kMovementFixed);
    playout.TextThread();
    CRichEditExCtrl& control = playout.renderer.multiLineControl;
    EXPECT_EQ(control.Text(), QStringLiteral("Time: 0.0"));
    control.SetSelection(6, 9);
    const CCharFormat format = control.GetSelectionCharFormat();
    EXPECT_TRUE(format.effects & kCfeBold);
    EXPECT_EQ(format.textColor, 0x0000FFu);
    control.SetSelection(0, 4);
    EXPECT_FALSE(control.GetSelectionCharFormat().effects & kCfeBold);
}

// Sources that are damaged, huge or not text: the object shows what it can
// or nothing, the failure is reported, and the text thread always comes back.
TEST(FrameTextRender, BadSourcesShowWhatTheyCanOrNothing)
{
    QTemporaryDir dir;
    auto write = [&](const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    };
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 7919) >> 3);
    QByteArray rows = "Name;Value\n";
    for (int i = 0; i < 50000; ++i)
        rows += "Row " + QByteArray::number(i) + ";" + QByteArray::number(i * 3) + "\n";
    const QByteArray longLine = "Head;" + QByteArray(10 * 1024 * 1024, 'x') + "\nTom;5\n";
    const QString hugeRtf = dir.filePath(QStringLiteral("huge.rtf"));
    {
        QFile file(hugeRtf);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(100LL * 1024 * 1024));  // sparse: 100 MB of zero bytes
    }

    struct Case
    {
        const char* what;
        int source;
        QString path;
        int movement;
        int failing;  // sourceError expected
    };
    const Case cases[] = {
        {"binary text file", kSourceTextFile, write("binary.txt", binary), kMovementFixed, 0},
        {"binary scroll text", kSourceTextFile, dir.filePath(QStringLiteral("binary.txt")), kMovementScroll, 0},
        {"binary RTF file", kSourceRtfFile, write("binary.rtf", binary), kMovementFixed, 0},
        {"one-byte RTF file", kSourceRtfFile, write("one.rtf", "{"), kMovementFixed, 1},
        {"100 MB RTF file", kSourceRtfFile, hugeRtf, kMovementFixed, 1},
        {"50 000 CSV rows", kSourceCsvFile, write("rows.csv", rows), kMovementFixed, 0},
        {"10 MB CSV line", kSourceCsvFile, write("long.csv", longLine), kMovementRoll, 0},
        {"vanished file", kSourceTextFile, dir.filePath(QStringLiteral("gone.txt")), kMovementFixed, 1},
        {"a folder", kSourceCsvFile, dir.path(), kMovementFixed, 1},
    };
    for (const Case& c : cases) {
        TextPlayout playout;
        CFrame& object = playout.object;
        object.textSource = c.source;
        object.fileName = c.path;
        object.firstLineIsHeader = 1;
        object.richText = RtfOfParagraphs({c.source == kSourceCsvFile ? QStringLiteral("%Name%: %Value%")
                                                                      : QStringLiteral("%1%")});
        playout.Play(CRect{0, 0, 400, 80}, c.movement);
        for (int frame = 0; frame < 3; ++frame)
            ASSERT_EQ(playout.Frame(), 1) << c.what;
        EXPECT_EQ(object.sourceError.load(), c.failing) << c.what;
        if (c.failing) {
            EXPECT_EQ(playout.result.textTexture, nullptr) << c.what;
        }
    }
}

// A file that is rewritten between the reads of the text thread: every read
// sees one version or the other, and the object keeps playing.
TEST(FrameTextRender, FileRewrittenWhilePlayingKeepsPlaying)
{
    TextPlayout playout;
    const QString path = playout.files.filePath(QStringLiteral("ticker.csv"));
    CFrame& object = playout.object;
    object.textSource = kSourceCsvFile;
    object.fileName = path;
    object.richText = RtfOfParagraphs({QStringLiteral("%1% %2%")});
    object.loop = 1;
    object.speed = kSpeedFast;
    playout.Play(CRect{0, 0, 200, 40}, kMovementScroll);
    for (int frame = 0; frame < 400; ++frame) {
        if (frame % 7 == 0) {
            if (frame % 21 == 0)
                QFile::remove(path);
            else
                playout.WriteFile("ticker.csv", "Item " + QByteArray::number(frame) + ";" + QByteArray(frame % 50, 'z'));
        }
        ASSERT_EQ(playout.Frame(), 1) << frame;
    }
    EXPECT_GT(object.chunksRendered.load(), 1);
}

// A device that cannot make the text texture stops the object.
TEST(FrameTextRender, TextTextureTheDeviceCannotMakeStopsTheObject)
{
    TextPlayout playout;
    playout.device = CMemoryTextureDevice(256);
    playout.object.richText = RtfOfParagraphs({QStringLiteral("Too wide")});
    playout.Play(CRect{0, 0, 400, 60}, kMovementScroll);  // a 600-pixel ring
    EXPECT_EQ(playout.Frame(), 0);
    EXPECT_EQ(playout.object.textTexture, nullptr);
}

// The editor asks for the picture of an object that is on air: the text
// thread owns its source, so the picture waits until the object stops.
TEST(FrameTextRender, EditorPictureOfAPlayingObjectWaitsUntilItStops)
{
    TextPlayout playout;
    CFrame& object = playout.object;
    object.textSource = kSourceClock;
    object.richText = RtfOfParagraphs({QStringLiteral("%1%")});
    playout.Play(CRect{0, 0, 200, 50}, kMovementFixed);
    playout.Frame();
    const QByteArray prepared = object.preparedRtf;
    ASSERT_FALSE(prepared.isEmpty());

    CRichEditTextRenderer editor;
    const CPicture& playing = CFramePreview(object).GetTextPreview(editor);
    EXPECT_EQ(playing.width, 200);
    EXPECT_EQ(playing.height, 50);
    EXPECT_EQ(RowsWithInk(playing, 0, 50), 0);
    EXPECT_EQ(object.previewTextValid, 0);
    EXPECT_EQ(object.preparedRtf, prepared) << "the text thread's text is left alone";

    object.StopOutput();
    EXPECT_GT(RowsWithInk(CFramePreview(object).GetTextPreview(editor), 0, 50), 5);
    EXPECT_EQ(object.previewTextValid, 1);
}
