// The editor canvas's geometry, decided without a window.
#include "document/CanvasGeometry.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable failures for rectangles.
inline std::ostream& operator<<(std::ostream& out, const CRect& r)
{
    return out << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace {

TEST(CanvasZoom, TableSettingsAndBox)
{
    const double factors[] = {1.0, 0.75, 0.66, 0.5, 0.33, 0.25};
    const char* texts[] = {"100%", "75%", "66%", "50%", "33%", "25%"};
    for (int level = 0; level < kZoomLevelCount; ++level) {
        EXPECT_DOUBLE_EQ(ZoomFactorOf(level), factors[level]) << level;
        EXPECT_EQ(ZoomBoxText(level), QLatin1String(texts[level])) << level;
    }
    struct Case
    {
        int stored;
        int level;
    };
    // A stored level out of range opens at 25 %, not at the nearest level.
    const Case settings[] = {{0, 0}, {3, 3}, {5, 5}, {6, 5}, {9, 5}, {-1, 5}, {-100, 5}};
    for (const Case& c : settings)
        EXPECT_EQ(ZoomLevelFromSetting(c.stored), c.level) << c.stored;
    EXPECT_EQ(ZoomLevelFromBox(-1), 0);  // no entry chosen
    EXPECT_EQ(ZoomLevelFromBox(4), 4);
}

TEST(CanvasLayout, PageCentredWithAtLeastTheBorders)
{
    struct Case
    {
        double factor;
        QSize client;
        QSize extent;
        QPoint origin;
    };
    const Case cases[] = {
        {0.5, {1200, 800}, {994, 574}, {103, 113}},  // room to spare
        {0.66, {1400, 900}, {1301, 746}, {49, 77}},  // 1267.2 x 712.8 truncated
        {1.0, {800, 600}, {1954, 1114}, {17, 17}},   // page larger than the view: the border
        {0.25, {514, 304}, {514, 304}, {17, 17}},    // exactly fits
        {0.25, {601, 400}, {514, 304}, {43, 48}},    // an odd pixel left over goes right
    };
    for (const Case& c : cases) {
        const CPageLayout layout = PageLayout(1920, 1080, c.factor, c.client, 17, 17);
        EXPECT_EQ(layout.scrollExtent, c.extent) << c.factor;
        EXPECT_EQ(layout.origin, c.origin) << c.factor;
    }
}

TEST(CanvasLayout, PageAndViewConversionsTruncate)
{
    const QPoint origin(10, 20);
    EXPECT_EQ(PageToView({32, 32, 288, 160}, origin, 0.66), (CRect{31, 41, 200, 125}));
    EXPECT_EQ(PageToView({32, 32, 288, 160}, origin, 1.0), (CRect{42, 52, 298, 180}));
    EXPECT_EQ(ViewToPage({110, 120, 254, 184}, origin, 0.5), (CRect{200, 200, 488, 328}));
    // Back from 66 % loses what the way there truncated.
    EXPECT_EQ(ViewToPage({31, 41, 200, 125}, origin, 0.66), (CRect{31, 31, 287, 159}));
    // Left of the page truncates towards zero.
    EXPECT_EQ(ViewToPage({5, 15, 50, 60}, origin, 0.33), (CRect{-15, -15, 121, 121}));
}

class CanvasHitTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        lower.rect = {100, 100, 300, 300};  // view [60, 160) at 50 %, origin (10, 10)
        upper.rect = {200, 200, 400, 400};  // view [110, 210)
        live = {&lower, &upper};
    }
    CFrame* Hit(int x, int y) const { return HitTestObject(QPoint(x, y), QPoint(10, 10), 0.5, live); }

    CFrame lower;
    CFrame upper;
    FrameList live;
};

TEST_F(CanvasHitTest, UpperObjectWinsAndUnlockedObjectsTakeFourPixelsMore)
{
    EXPECT_EQ(Hit(135, 135), &upper);  // inside both
    EXPECT_EQ(Hit(100, 100), &lower);
    EXPECT_EQ(Hit(213, 150), &upper);  // 4 pixels right of the upper one (right is exclusive)
    EXPECT_EQ(Hit(214, 150), nullptr);
    EXPECT_EQ(Hit(56, 56), &lower);  // 4 pixels left of and above the lower one
    EXPECT_EQ(Hit(55, 100), nullptr);
    EXPECT_EQ(Hit(100, 55), nullptr);
    EXPECT_EQ(Hit(163, 100), &lower);
    EXPECT_EQ(Hit(108, 108), &upper);  // the upper one's slack overlaps the lower one
    EXPECT_EQ(HitTestObject(QPoint(100, 100), QPoint(10, 10), 0.5, {}), nullptr);
}

TEST_F(CanvasHitTest, LockedObjectsTakeOnlyTheirOwnPixels)
{
    upper.locked = 1;
    EXPECT_EQ(Hit(210, 150), nullptr);
    EXPECT_EQ(Hit(209, 150), &upper);
    EXPECT_EQ(Hit(135, 135), &upper);  // still selectable, and still on top
    EXPECT_EQ(Hit(108, 108), &lower);  // no slack over the lower object
    EXPECT_EQ(Hit(110, 110), &upper);
}

TEST(CanvasSnapping, NearestMultipleHalfStepDown)
{
    struct Case
    {
        int c;
        int step;
        int snapped;
    };
    const Case cases[] = {
        {12, 8, 8},   {13, 8, 16}, {16, 8, 16}, {0, 8, 0},    {10, 7, 7},  {11, 7, 14}, {3, 7, 0},
        {-3, 8, 0},   {-4, 8, 0},  {-9, 8, -8}, // the remainder keeps the sign: negatives go towards zero
        {-12, 8, -8}, {-13, 8, -8}, {-15, 8, -8}, {-16, 8, -16},
        {5, 1, 5},    {5, 0, 5},   {5, -8, 5},  // no grid: no division by zero
    };
    for (const Case& c : cases)
        EXPECT_EQ(SnapToGrid(c.c, c.step), c.snapped) << c.c << " at step " << c.step;
}

TEST(CanvasSnapping, PlacedRectangleIsSnappedThenKeptOnThePage)
{
    struct Case
    {
        const char* what;
        CRect rect;
        int step;
        bool keepWidth;
        bool keepHeight;
        CRect placed;
    };
    const Case cases[] = {
        {"inside", {32, 32, 288, 160}, 0, true, true, {32, 32, 288, 160}},
        {"moved past the right edge", {1800, 100, 2000, 200}, 0, true, true, {1720, 100, 1920, 200}},
        {"resized past the right edge", {1800, 100, 2000, 200}, 0, false, true, {1800, 100, 1920, 200}},
        {"moved past the left edge", {-30, 10, 170, 110}, 0, true, true, {0, 10, 200, 110}},
        {"resized past the left edge", {-30, 10, 170, 110}, 0, false, true, {0, 10, 170, 110}},
        {"moved past the bottom", {10, 1000, 110, 1100}, 0, true, true, {10, 980, 110, 1080}},
        {"resized past the top", {10, -5, 110, 95}, 0, true, false, {10, 0, 110, 95}},
        {"snapped", {13, 12, 293, 165}, 8, true, true, {16, 8, 296, 168}},
        {"snapped past the right edge, moved", {1813, 12, 1925, 100}, 8, true, true, {1808, 8, 1920, 96}},
        {"snapped past the right edge, resized", {1813, 12, 1925, 100}, 8, false, true, {1816, 8, 1920, 96}},
        {"snapped left of the page", {-13, -12, 100, 100}, 8, true, true, {0, 0, 104, 104}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceObjectRect(c.rect, c.step, 1920, 1080, c.keepWidth, c.keepHeight), c.placed) << c.what;
}

TEST(CanvasSnapping, HintCoversBothPlacesAndTheHandles)
{
    EXPECT_EQ(HintRect({32, 32, 288, 160}, {48, 48, 304, 176}), (CRect{26, 26, 310, 182}));
    EXPECT_EQ(HintRect({500, 10, 600, 20}, {32, 32, 288, 160}), (CRect{26, 4, 606, 166}));
    EXPECT_EQ(HintRect({}, {32, 32, 288, 160}), (CRect{26, 26, 294, 166}));
}

TEST(CanvasArrowKeys, MoveOrResizeByAStep)
{
    struct Case
    {
        CRect rect;
        ArrowKey key;
        bool shift;
        int step;
        std::optional<CRect> result;
        bool keepWidth;
        bool keepHeight;
    };
    const CRect r{100, 100, 200, 200};
    const Case cases[] = {
        {r, ArrowKey::Left, false, 1, CRect{99, 100, 199, 200}, true, true},
        {r, ArrowKey::Right, false, 8, CRect{108, 100, 208, 200}, true, true},
        {r, ArrowKey::Up, false, 8, CRect{100, 92, 200, 192}, true, true},
        {r, ArrowKey::Down, false, 1, CRect{100, 101, 200, 201}, true, true},
        {r, ArrowKey::Left, true, 1, CRect{100, 100, 199, 200}, false, true},
        {r, ArrowKey::Right, true, 8, CRect{100, 100, 208, 200}, false, true},
        {r, ArrowKey::Up, true, 8, CRect{100, 100, 200, 192}, true, false},
        {r, ArrowKey::Down, true, 1, CRect{100, 100, 200, 201}, true, false},
        // Never below 16 x 16.
        {{0, 0, 16, 50}, ArrowKey::Left, true, 1, std::nullopt, false, false},
        {{0, 0, 50, 16}, ArrowKey::Up, true, 1, std::nullopt, false, false},
        {{0, 0, 20, 50}, ArrowKey::Left, true, 8, std::nullopt, false, false},
        {{0, 0, 17, 50}, ArrowKey::Left, true, 1, CRect{0, 0, 16, 50}, false, true},
        {{0, 0, 16, 16}, ArrowKey::Left, false, 1, CRect{-1, 0, 15, 16}, true, true},  // the page clamps later
    };
    for (const Case& c : cases) {
        const auto change = ArrowKeyRect(c.rect, c.key, c.shift, c.step);
        ASSERT_EQ(change.has_value(), c.result.has_value()) << c.rect << " key " << int(c.key);
        if (!change)
            continue;
        EXPECT_EQ(change->rect, *c.result) << c.rect << " key " << int(c.key);
        EXPECT_EQ(change->keepWidth, c.keepWidth) << c.rect << " key " << int(c.key);
        EXPECT_EQ(change->keepHeight, c.keepHeight) << c.rect << " key " << int(c.key);
    }
}

TEST(CanvasTab, WrapsBothWays)
{
    CFrame a;
    CFrame b;
    CFrame c;
    CFrame stranger;
    const FrameList live{&a, &b, &c};
    struct Case
    {
        const CFrame* selection;
        bool backwards;
        const CFrame* next;
    };
    const Case cases[] = {
        {&a, false, &b},       {&c, false, &a},      {&a, true, &c},     {&b, true, &a},
        {nullptr, false, &a},  {nullptr, true, &c},  // no selection: bottom, or top backwards
        {&stranger, false, &a}, {&stranger, true, &c},  // a selection no longer on the page
    };
    for (const Case& k : cases)
        EXPECT_EQ(NextByTab(live, k.selection, k.backwards), k.next);
    EXPECT_EQ(NextByTab({}, nullptr, false), nullptr);
    EXPECT_EQ(NextByTab({&a}, &a, true), &a);
}

TEST(CanvasBackground, CheckerboardStartsDark)
{
    const QImage image = BuildCanvasBackground(64, 48, false, 0, 0, 0);
    ASSERT_EQ(image.size(), QSize(64, 48));
    EXPECT_EQ(image.format(), QImage::Format_ARGB32);
    struct Case
    {
        int x;
        int y;
        QRgb pixel;
    };
    const Case cases[] = {
        {0, 0, kCheckerDark},   {15, 15, kCheckerDark},  {16, 0, kCheckerLight}, {0, 16, kCheckerLight},
        {16, 16, kCheckerDark}, {63, 47, kCheckerLight}, {32, 47, kCheckerDark},
    };
    for (const Case& c : cases)
        EXPECT_EQ(image.pixel(c.x, c.y), c.pixel) << c.x << "," << c.y;
}

TEST(CanvasBackground, MarginBandsChangeEachPixelOnce)
{
    // 200 x 100 with 10 % margins: side bands 20 wide, top and bottom 10 high.
    struct Case
    {
        const char* what;
        bool solid;
        QRgb colour;
        int marginH;
        int marginV;
        int x;
        int y;
        QRgb pixel;
    };
    const Case cases[] = {
        {"corner", false, 0, 10, 10, 0, 0, qRgb(72, 72, 72)},
        {"side band", false, 0, 10, 10, 19, 40, qRgb(120, 120, 120)},
        {"top band", false, 0, 10, 10, 20, 0, qRgb(120, 120, 120)},
        {"below the top band", false, 0, 10, 10, 20, 10, kCheckerLight},
        {"far corner", false, 0, 10, 10, 199, 99, qRgb(72, 72, 72)},
        {"bottom band", false, 0, 10, 10, 100, 95, qRgb(120, 120, 120)},
        {"middle", false, 0, 10, 10, 100, 50, kCheckerLight},
        {"top band alone spans the width", false, 0, 0, 10, 0, 0, qRgb(72, 72, 72)},
        {"solid, opaque", true, qRgba(10, 200, 30, 0), 10, 10, 100, 50, qRgb(10, 200, 30)},
        {"solid corner, clamped", true, qRgb(10, 200, 30), 10, 10, 0, 0, qRgb(0, 160, 0)},
        {"solid bottom band", true, qRgb(10, 200, 30), 10, 10, 100, 99, qRgb(0, 160, 0)},
        {"black brightens", true, qRgb(0, 0, 0), 10, 10, 199, 0, qRgb(160, 160, 160)},
        {"50 %: no side band", false, 0, 50, 10, 0, 50, kCheckerLight},
        {"50 %: no top band either", false, 0, 50, 10, 100, 0, kCheckerDark},
        {"49 %: side bands", false, 0, 49, 0, 97, 0, qRgb(72, 72, 72)},
        {"negative side margin: the top band spans the width", false, 0, -10, 10, 0, 0, qRgb(72, 72, 72)},
        {"negative side margin: no side band", false, 0, -10, 10, 0, 50, kCheckerLight},
    };
    for (const Case& c : cases) {
        const QImage image = BuildCanvasBackground(200, 100, c.solid, c.colour, c.marginH, c.marginV);
        EXPECT_EQ(image.pixel(c.x, c.y), c.pixel) << c.what;
    }
    // Margins of half the page draw nothing at all.
    EXPECT_EQ(BuildCanvasBackground(200, 100, false, 0, 50, 50), BuildCanvasBackground(200, 100, false, 0, 0, 0));
    EXPECT_TRUE(BuildCanvasBackground(0, 100, false, 0, 10, 10).isNull());
}

TEST(CanvasStatus, GeometryTextOfTheSelection)
{
    CFrame object;
    object.rect = {32, 32, 288, 160};
    EXPECT_EQ(SelectionGeometryText(&object, 3), QStringLiteral(" 3: 32,32 - 288,160 (256x128)"));
    object.rect = {-16, 0, 1904, 1080};
    EXPECT_EQ(SelectionGeometryText(&object, 12), QStringLiteral(" 12: -16,0 - 1904,1080 (1920x1080)"));
    EXPECT_EQ(SelectionGeometryText(nullptr, 0), QString());
}

TEST(PreviewTarget, ThePagesProportionsCentredInThePane)
{
    struct Case
    {
        QSize client;
        int pageWidth, pageHeight;
        QRect target;
    };
    const Case cases[] = {
        {{400, 400}, 720, 576, {0, 50, 400, 300}},      // 4:3 from pixels 0.9375 wide
        {{400, 400}, 1920, 1080, {0, 87, 400, 225}},
        {{1000, 300}, 1920, 1080, {233, 0, 533, 299}},  // heights truncate
        {{50, 40}, 1920, 1080, {-25, -8, 100, 56}},     // at least 100 pixels a side
        {{0, 300}, 1920, 1080, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PreviewTargetRect(c.client, c.pageWidth, c.pageHeight), c.target) << c.client.width();
    EXPECT_EQ(PixelAspectOfPage(488), 1.125);
}

}  // namespace
