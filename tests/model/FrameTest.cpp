#include "model/Frame.h"
#include "model/Transparency.h"

#include <gtest/gtest.h>

namespace {

// An object with every setting away from its default.
std::unique_ptr<CFrame> Customised()
{
    auto f = std::make_unique<CFrame>();
    f->framePeriod = 16667;
    f->backgroundType = kBackgroundPicture;
    f->rect = {10, 20, 110, 220};
    f->locked = 1;
    f->movement = kMovementRoll;
    f->speed = kSpeedFast;
    f->loop = 0;
    f->showWhileMoving = 1;
    f->reverse = 1;
    f->startFromEdge = 1;
    f->backgroundColor = 0x80123456u;
    f->textAlpha = 100;
    f->dropShadow = kShadowHigh;
    f->backgroundWidth = 2;
    f->backgroundHeight = 1;
    CFrameBackground frame;
    frame.picture.SetRaw(2, 1, {0x04030201u, 0x08070605u});
    frame.duration = 40;
    f->backgroundFrames = {frame, frame};
    f->loopAnimation = 0;
    f->linkImageFile = 1;
    f->imageFileName = QStringLiteral("/pics/logo.png");
    f->richText = QByteArray("{\\rtf1 hello}");
    f->textSource = kSourceCsvFile;
    f->fileName = QStringLiteral("/data/results.csv");
    f->encoding = kEncodingUtf8;
    f->firstLineIsHeader = 1;
    f->clockFormat = QStringLiteral("%X");
    f->monitorFile = 1;
    f->separator = kSeparatorComma;
    f->timerFormat = QStringLiteral("%s.%d");
    f->timerStart = 5;
    f->timerStop = 60;
    f->timerDirection = kTimerDown;
    f->barGraph = 1;
    f->showFor = 5000;
    f->showIndefinitely = 0;
    f->startDelay = 2000;
    f->inEffect = 30;
    f->inDuration = 500;
    f->fadeIn = 1;
    f->outEffect = 17;
    f->outDuration = 750;
    f->fadeOut = 1;
    f->repeat = 1;
    f->switcherButton = 16;
    f->group = QStringLiteral("Lower thirds");
    f->hotkey = 20;
    return f;
}

void ExpectSameSettingsExceptLinkAndLock(const CFrame& a, const CFrame& b)
{
    EXPECT_EQ(a.movement, b.movement);
    EXPECT_EQ(a.speed, b.speed);
    EXPECT_EQ(a.loop, b.loop);
    EXPECT_EQ(a.showWhileMoving, b.showWhileMoving);
    EXPECT_EQ(a.reverse, b.reverse);
    EXPECT_EQ(a.startFromEdge, b.startFromEdge);
    EXPECT_EQ(a.backgroundColor, b.backgroundColor);
    EXPECT_EQ(a.textAlpha, b.textAlpha);
    EXPECT_EQ(a.dropShadow, b.dropShadow);
    EXPECT_EQ(a.loopAnimation, b.loopAnimation);
    EXPECT_EQ(a.textSource, b.textSource);
    EXPECT_EQ(a.fileName, b.fileName);
    EXPECT_EQ(a.encoding, b.encoding);
    EXPECT_EQ(a.firstLineIsHeader, b.firstLineIsHeader);
    EXPECT_EQ(a.clockFormat, b.clockFormat);
    EXPECT_EQ(a.monitorFile, b.monitorFile);
    EXPECT_EQ(a.separator, b.separator);
    EXPECT_EQ(a.timerFormat, b.timerFormat);
    EXPECT_EQ(a.timerStart, b.timerStart);
    EXPECT_EQ(a.timerStop, b.timerStop);
    EXPECT_EQ(a.timerDirection, b.timerDirection);
    EXPECT_EQ(a.barGraph, b.barGraph);
    EXPECT_EQ(a.showFor, b.showFor);
    EXPECT_EQ(a.showIndefinitely, b.showIndefinitely);
    EXPECT_EQ(a.startDelay, b.startDelay);
    EXPECT_EQ(a.inEffect, b.inEffect);
    EXPECT_EQ(a.inDuration, b.inDuration);
    EXPECT_EQ(a.fadeIn, b.fadeIn);
    EXPECT_EQ(a.outEffect, b.outEffect);
    EXPECT_EQ(a.outDuration, b.outDuration);
    EXPECT_EQ(a.fadeOut, b.fadeOut);
    EXPECT_EQ(a.repeat, b.repeat);
    EXPECT_EQ(a.switcherButton, b.switcherButton);
    EXPECT_EQ(a.group, b.group);
    EXPECT_EQ(a.hotkey, b.hotkey);
}

TEST(Frame, NewObjectDefaults)
{
    const CFrame f;
    EXPECT_EQ(f.backgroundType, kBackgroundSolid);
    EXPECT_EQ(f.rect, CRect{});
    EXPECT_EQ(f.speed, 10);
    EXPECT_EQ(f.loop, 1);
    EXPECT_EQ(f.showIndefinitely, 1);
    EXPECT_EQ(f.loopAnimation, 1);
    EXPECT_EQ(f.clockFormat, QStringLiteral("%H:%M"));
    EXPECT_EQ(f.timerFormat, QStringLiteral("%H:%M:%S"));
    EXPECT_EQ(f.timerStop, 3600);
    EXPECT_EQ(f.backgroundColor, 0x1A000000u);
    EXPECT_EQ(AlphaToPercent(static_cast<int>(f.backgroundColor >> 24)), 89);
    EXPECT_EQ(f.textAlpha, 255);
    EXPECT_EQ(f.framePeriod, 0);
    EXPECT_EQ(f.animationFrame, -1);
    EXPECT_TRUE(f.richText.isEmpty());
    EXPECT_EQ(f.Kind(), BackgroundKind::Solid);
    EXPECT_EQ(f.playing.load(), 0);
}

TEST(Frame, IdsComeFromOneCounter)
{
    const CFrame a;
    const CFrame b;
    EXPECT_EQ(b.id, a.id + 1);
    const CFrame copy(b);
    EXPECT_EQ(copy.id, b.id + 1);
    EXPECT_EQ(CFrame::PeekNextId(), copy.id + 1);
}

TEST(Frame, CopyStartsUnlockedUnlinkedAndStopped)
{
    auto source = Customised();
    source->playing = 1;
    source->elapsed = 1234;
    source->previewBackgroundValid = 1;
    const CFrame copy(*source);

    EXPECT_NE(copy.id, source->id);
    EXPECT_EQ(copy.locked, 0);
    EXPECT_EQ(copy.linkImageFile, 0);
    EXPECT_TRUE(copy.imageFileName.isEmpty());
    EXPECT_EQ(copy.playing.load(), 0);
    EXPECT_EQ(copy.elapsed, 0);
    EXPECT_EQ(copy.previewBackgroundValid, 0);

    EXPECT_EQ(copy.framePeriod, 16667);
    EXPECT_EQ(copy.backgroundType, source->backgroundType);
    EXPECT_EQ(copy.rect, source->rect);
    EXPECT_EQ(copy.backgroundWidth, 2);
    EXPECT_EQ(copy.backgroundHeight, 1);
    ASSERT_EQ(copy.backgroundFrames.size(), 2u);
    EXPECT_EQ(copy.backgroundFrames[1].duration, 40);
    EXPECT_TRUE(copy.backgroundFrames[1].picture.SameStoredBytes(source->backgroundFrames[1].picture));
    EXPECT_EQ(copy.richText, source->richText);
    EXPECT_EQ(copy.Kind(), BackgroundKind::Animation);
    ExpectSameSettingsExceptLinkAndLock(copy, *source);

    // The copy's frames are its own.
    source->backgroundFrames[1].picture.pixels[0] = 0xFFFFFFFFu;
    EXPECT_EQ(copy.backgroundFrames[1].picture.pixels[0], 0x04030201u);
}

TEST(Frame, CopySettingsLeavesGeometryFramesAndTextAlone)
{
    auto source = Customised();
    CFrame target;
    target.rect = {1, 2, 3, 4};
    target.richText = "{\\rtf1 mine}";
    const int period = target.framePeriod;
    target.CopySettings(*source);

    ExpectSameSettingsExceptLinkAndLock(target, *source);
    EXPECT_EQ(target.locked, 1);
    EXPECT_EQ(target.linkImageFile, 1);
    EXPECT_EQ(target.imageFileName, source->imageFileName);
    EXPECT_EQ(target.rect, (CRect{1, 2, 3, 4}));
    EXPECT_EQ(target.richText, QByteArray("{\\rtf1 mine}"));
    EXPECT_EQ(target.backgroundType, kBackgroundSolid);
    EXPECT_TRUE(target.backgroundFrames.empty());
    EXPECT_EQ(target.backgroundWidth, 0);
    EXPECT_EQ(target.framePeriod, period);
}

TEST(Frame, DerivedBackgroundKind)
{
    CFrame f;
    f.backgroundType = kBackgroundPicture;
    EXPECT_EQ(f.Kind(), BackgroundKind::Picture);  // no frame yet
    f.backgroundFrames.resize(1);
    EXPECT_EQ(f.Kind(), BackgroundKind::Picture);
    f.backgroundFrames.resize(2);
    EXPECT_EQ(f.Kind(), BackgroundKind::Animation);
}

TEST(Frame, ShowForZeroMeansIndefinitely)
{
    CFrame f;
    f.showIndefinitely = 0;
    EXPECT_TRUE(f.ShowsIndefinitely());
    f.showFor = 1;
    EXPECT_FALSE(f.ShowsIndefinitely());
}

TEST(Frame, StopOutputReportsWhetherItPlayed)
{
    CFrame f;
    EXPECT_EQ(f.StopOutput(), 0);
    f.playing = 1;
    f.paused = 1;
    EXPECT_EQ(f.StopOutput(), 1);
    EXPECT_EQ(f.playing.load(), 0);
    EXPECT_EQ(f.paused.load(), 0);
}

TEST(Transparency, PercentAndAlpha)
{
    struct Case
    {
        int percent;
        int alpha;
    };
    // Percent to alpha.
    for (const Case c : {Case{0, 255}, Case{100, 0}, Case{50, 127}, Case{89, 27}, Case{1, 252}, Case{99, 2}})
        EXPECT_EQ(PercentToAlpha(c.percent), c.alpha) << c.percent << " %";
    // Alpha to percent.
    for (const Case c : {Case{0, 255}, Case{100, 0}, Case{50, 127}, Case{89, 26}, Case{99, 1}, Case{0, 254}})
        EXPECT_EQ(AlphaToPercent(c.alpha), c.percent) << "alpha " << c.alpha;
    // Every percentage survives the round trip the property grid makes.
    for (int percent = 0; percent <= 100; ++percent)
        EXPECT_EQ(AlphaToPercent(PercentToAlpha(percent)), percent) << percent << " %";
}

TEST(CloneOffset, StaysOnTheRaster)
{
    struct Case
    {
        CRect rect;
        CRect expected;
    };
    const Case cases[] = {
        {{32, 32, 288, 160}, {48, 48, 304, 176}},          // room right and below
        {{1700, 900, 1904, 1064}, {1716, 916, 1920, 1080}}, // exactly touching the edge is still inside
        {{1700, 900, 1905, 1065}, {1684, 884, 1889, 1049}}, // no room: left and up
        {{0, 0, 1920, 1080}, {-16, -16, 1904, 1064}},       // full-raster object goes left and up
        {{0, 0, 1915, 16}, {-16, 16, 1899, 32}},
        {{0, 0, 16, 1075}, {16, -16, 32, 1059}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CloneOffsetRect(c.rect, 1920, 1080), c.expected) << c.rect.left << "," << c.rect.top;
    // A small raster where neither way fits leaves the object in place.
    EXPECT_EQ(CloneOffsetRect({0, 0, 16, 16}, 20, 20), (CRect{0, 0, 16, 16}));
}

}  // namespace
