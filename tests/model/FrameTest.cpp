#include "ChangedSettings.h"

#include "model/Frame.h"
#include "model/Transparency.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// An object with every setting away from its default.
std::unique_ptr<CFrame> Customised()
{
    auto f = ObjectWithEverySettingChanged();
    f->framePeriod = 16667;
    return f;
}

bool CopiedBy(const FrameSetting& setting, SettingCopy copy)
{
    return (setting.copies & copy) != 0;
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
    EXPECT_EQ(copy.backgroundWidth, 2);
    EXPECT_EQ(copy.backgroundHeight, 1);
    ASSERT_EQ(copy.backgroundFrames.size(), 2u);
    EXPECT_EQ(copy.backgroundFrames[1].duration, 60);
    EXPECT_TRUE(copy.backgroundFrames[1].picture.SameStoredBytes(source->backgroundFrames[1].picture));
    EXPECT_EQ(copy.Kind(), BackgroundKind::Animation);
    // Every other setting is the source's; those three are a new object's.
    EXPECT_THAT(DifferingSettings(copy, *source), UnorderedElementsAre("locked", "linkImageFile", "imageFileName"));
    const CFrame fresh;
    EXPECT_THAT(DifferingSettings(copy, fresh, [](const FrameSetting& s) { return !CopiedBy(s, kCopiedByCopy); }),
                IsEmpty());

    // The copy's frames are its own.
    const uint32_t first = copy.backgroundFrames[1].picture.pixels[0];
    source->backgroundFrames[1].picture.pixels[0] = ~first;
    EXPECT_EQ(copy.backgroundFrames[1].picture.pixels[0], first);
}

TEST(Frame, CopySettingsLeavesGeometryFramesAndTextAlone)
{
    auto source = Customised();
    auto makeTarget = [] {
        auto target = std::make_unique<CFrame>();
        target->rect = {1, 2, 3, 4};
        target->richText = "{\\rtf1 mine}";
        return target;
    };
    const auto before = makeTarget();
    auto target = makeTarget();
    const int period = target->framePeriod;
    target->CopySettings(*source);

    // Every other setting is the source's; those six stay the target's.
    EXPECT_THAT(DifferingSettings(*target, *source),
                UnorderedElementsAre("backgroundType", "rect", "backgroundWidth", "backgroundHeight", "richText",
                                     "backgroundFrames"));
    EXPECT_THAT(DifferingSettings(*target, *before,
                                  [](const FrameSetting& s) { return !CopiedBy(s, kCopiedBySettings); }),
                IsEmpty());
    EXPECT_EQ(target->locked, 1);
    EXPECT_EQ(target->linkImageFile, 1);
    EXPECT_EQ(target->imageFileName, source->imageFileName);
    EXPECT_EQ(target->rect, (CRect{1, 2, 3, 4}));
    EXPECT_EQ(target->richText, QByteArray("{\\rtf1 mine}"));
    EXPECT_EQ(target->backgroundType, kBackgroundSolid);
    EXPECT_TRUE(target->backgroundFrames.empty());
    EXPECT_EQ(target->backgroundWidth, 0);
    EXPECT_EQ(target->framePeriod, period);
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
