#include "PresentedObject.h"

#include "playback/EffectGeometry.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct GeometryCase
{
    int effect;
    float progress;
    CRect rect;
    FloatRect dest;
    FloatRect uv;
};

std::ostream& operator<<(std::ostream& out, const GeometryCase& c)
{
    return out << "effect " << c.effect << " at " << c.progress;
}

// The 400 x 100 object at (100, 50): at progress 0.25 a side grows by 100
// (25 vertically) pixels; from the centre it keeps 0.75 of the half extent
// (150, and 37.5 vertically, rounded to 38 and 37 at the two edges) away.
constexpr CRect kObject{100, 50, 500, 150};

const GeometryCase kQuarterWay[] = {
    {0, 0.25f, kObject, {100, 50, 500, 150}, {0, 0, 1, 1}},
    // Slides: the picture moves in, its far part shows first.
    {1, 0.25f, kObject, {100, 50, 200, 150}, {0.75f, 0, 1, 1}},
    {2, 0.25f, kObject, {400, 50, 500, 150}, {0, 0, 0.25f, 1}},
    {3, 0.25f, kObject, {100, 50, 500, 75}, {0, 0.75f, 1, 1}},
    {4, 0.25f, kObject, {100, 125, 500, 150}, {0, 0, 1, 0.25f}},
    {5, 0.25f, kObject, {100, 50, 200, 75}, {0.75f, 0.75f, 1, 1}},
    {6, 0.25f, kObject, {400, 50, 500, 75}, {0, 0.75f, 0.25f, 1}},
    {7, 0.25f, kObject, {100, 125, 200, 150}, {0.75f, 0, 1, 0.25f}},
    {8, 0.25f, kObject, {400, 125, 500, 150}, {0, 0, 0.25f, 0.25f}},
    // Stretches: the whole picture squeezed into the same rectangles.
    {9, 0.25f, kObject, {100, 50, 200, 150}, {0, 0, 1, 1}},
    {10, 0.25f, kObject, {400, 50, 500, 150}, {0, 0, 1, 1}},
    {11, 0.25f, kObject, {100, 50, 500, 75}, {0, 0, 1, 1}},
    {12, 0.25f, kObject, {100, 125, 500, 150}, {0, 0, 1, 1}},
    {13, 0.25f, kObject, {100, 50, 200, 75}, {0, 0, 1, 1}},
    {14, 0.25f, kObject, {400, 50, 500, 75}, {0, 0, 1, 1}},
    {15, 0.25f, kObject, {100, 125, 200, 150}, {0, 0, 1, 1}},
    {16, 0.25f, kObject, {400, 125, 500, 150}, {0, 0, 1, 1}},
    {17, 0.25f, kObject, {250, 50, 350, 150}, {0, 0, 1, 1}},
    {18, 0.25f, kObject, {100, 88, 500, 113}, {0, 0, 1, 1}},
    {19, 0.25f, kObject, {250, 88, 350, 113}, {0, 0, 1, 1}},
    // Reveals: the picture stays in place, its near part shows first.
    {20, 0.25f, kObject, {100, 50, 200, 150}, {0, 0, 0.25f, 1}},
    {21, 0.25f, kObject, {400, 50, 500, 150}, {0.75f, 0, 1, 1}},
    {22, 0.25f, kObject, {100, 50, 500, 75}, {0, 0, 1, 0.25f}},
    {23, 0.25f, kObject, {100, 125, 500, 150}, {0, 0.75f, 1, 1}},
    {24, 0.25f, kObject, {100, 50, 200, 75}, {0, 0, 0.25f, 0.25f}},
    {25, 0.25f, kObject, {400, 50, 500, 75}, {0.75f, 0, 1, 0.25f}},
    {26, 0.25f, kObject, {100, 125, 200, 150}, {0, 0.75f, 0.25f, 1}},
    {27, 0.25f, kObject, {400, 125, 500, 150}, {0.75f, 0.75f, 1, 1}},
    {28, 0.25f, kObject, {250, 50, 350, 150}, {0.375f, 0, 0.625f, 1}},
    {29, 0.25f, kObject, {100, 88, 500, 113}, {0, 0.375f, 1, 0.625f}},
    {30, 0.25f, kObject, {250, 88, 350, 113}, {0.375f, 0.375f, 0.625f, 0.625f}},
};

const GeometryCase kOtherProgress[] = {
    // Every effect shows the whole object at 1 and nothing at 0.
    {1, 1.0f, kObject, {100, 50, 500, 150}, {0, 0, 1, 1}},
    {8, 1.0f, kObject, {100, 50, 500, 150}, {0, 0, 1, 1}},
    {19, 1.0f, kObject, {100, 50, 500, 150}, {0, 0, 1, 1}},
    {30, 1.0f, kObject, {100, 50, 500, 150}, {0, 0, 1, 1}},
    {20, 0.0f, kObject, {100, 50, 100, 150}, {0, 0, 0, 1}},  // "Hide to Left side" ends at the left edge
    {27, 0.0f, kObject, {500, 150, 500, 150}, {1, 1, 1, 1}},
    {1, 0.5f, kObject, {100, 50, 300, 150}, {0.5f, 0, 1, 1}},
    {4, 0.5f, kObject, {100, 100, 500, 150}, {0, 0, 1, 0.5f}},
    // An odd width: the half extent is 50, so the centre stretch starts from a one-pixel column.
    {17, 0.0f, {0, 0, 101, 20}, {50, 0, 51, 20}, {0, 0, 1, 1}},
    {17, 0.5f, {0, 0, 101, 20}, {25, 0, 76, 20}, {0, 0, 1, 1}},
    // Destination edges round half up: 0.3 of 45 is 13.5.
    {9, 0.3f, {10, 0, 55, 10}, {10, 0, 24, 10}, {0, 0, 1, 1}},
};

class EffectGeometryTable : public testing::TestWithParam<GeometryCase>
{
};

TEST_P(EffectGeometryTable, DestinationAndSourceWindow)
{
    const GeometryCase& c = GetParam();
    FloatRect dest;
    FloatRect uv;
    ASSERT_TRUE(EffectGeometry(c.effect, c.progress, c.rect, dest, uv));
    EXPECT_EQ(dest, c.dest);
    EXPECT_FLOAT_EQ(uv.left, c.uv.left) << uv;
    EXPECT_FLOAT_EQ(uv.top, c.uv.top) << uv;
    EXPECT_FLOAT_EQ(uv.right, c.uv.right) << uv;
    EXPECT_FLOAT_EQ(uv.bottom, c.uv.bottom) << uv;
}

INSTANTIATE_TEST_SUITE_P(QuarterWay, EffectGeometryTable, testing::ValuesIn(kQuarterWay));
INSTANTIATE_TEST_SUITE_P(OtherProgress, EffectGeometryTable, testing::ValuesIn(kOtherProgress));

TEST(EffectGeometry, NumbersOutsideTheTableDrawNothing)
{
    for (const int effect : {-1, 31, 1000, -2147483647}) {
        FloatRect dest{1, 2, 3, 4};
        FloatRect uv{1, 2, 3, 4};
        EXPECT_FALSE(EffectGeometry(effect, 0.5f, kObject, dest, uv)) << effect;
        EXPECT_EQ(dest, FloatRect{}) << effect;
        EXPECT_EQ(uv, FloatRect{}) << effect;
    }
}

}  // namespace
