#include "render/display/VideoMode.h"

#include <gtest/gtest.h>

namespace {

TEST(VideoModes, TableRows)
{
    struct Row
    {
        int id;
        const char* name;
        int canvasW, canvasH, displayW, displayH, rate;
        bool interlaced;
        int periodUs;
    };
    const Row rows[] = {
        {0, "1080i50", 1920, 1080, 1920, 1080, 25, true, 20000},
        {1, "1080p50", 1920, 1080, 1920, 1080, 50, false, 20000},
        {2, "1080i60", 1920, 1080, 1920, 1080, 30, true, 16667},
        {3, "1080i59", 1920, 1080, 1920, 1080, 30, true, 16667},
        {4, "1080p60", 1920, 1080, 1920, 1080, 60, false, 16667},
        {5, "720p50", 1280, 720, 1280, 720, 50, false, 20000},
        {6, "720p60", 1280, 720, 1280, 720, 60, false, 16667},
        {7, "720p59", 1280, 720, 1280, 720, 60, false, 16667},
        {8, "576i50", 720, 576, 1920, 1080, 25, true, 20000},
        {9, "576p50", 720, 576, 1920, 1080, 50, false, 20000},
        {10, "480i60", 720, 488, 1920, 1080, 30, true, 16667},
        {11, "480p60", 720, 488, 1920, 1080, 60, false, 16667},
        {12, "1080p59", 1920, 1080, 1920, 1080, 60, false, 16667},
    };
    for (const Row& r : rows) {
        const VideoMode* m = VideoModeById(r.id);
        ASSERT_NE(m, nullptr) << r.id;
        EXPECT_STREQ(m->name, r.name);
        EXPECT_EQ(VideoModeByName(QString::fromLatin1(r.name)), m);
        EXPECT_EQ(m->canvasWidth, r.canvasW) << r.name;
        EXPECT_EQ(m->canvasHeight, r.canvasH) << r.name;
        EXPECT_EQ(m->displayWidth, r.displayW) << r.name;
        EXPECT_EQ(m->displayHeight, r.displayH) << r.name;
        EXPECT_EQ(m->refreshRate, r.rate) << r.name;
        EXPECT_EQ(m->Interlaced(), r.interlaced) << r.name;
        EXPECT_EQ(FramePeriodOfMode(r.id), r.periodUs) << r.name;
        EXPECT_EQ(CanvasWidthOfMode(r.id), r.canvasW);
        EXPECT_EQ(CanvasHeightOfMode(r.id), r.canvasH);
    }
}

TEST(VideoModes, ListOrderAndPositions)
{
    const QStringList expected{"1080i50", "1080i59", "1080i60", "1080p50", "1080p59", "1080p60", "720p50",
                               "720p59",  "720p60",  "576i50",  "576p50",  "480i60",  "480p60"};
    EXPECT_EQ(VideoModeListNames(), expected);
    const int ids[] = {0, 3, 2, 1, 12, 4, 5, 7, 6, 8, 9, 10, 11};
    for (int position = 0; position < kVideoModeCount; ++position) {
        EXPECT_EQ(ModeIdAtListPosition(position), ids[position]);
        EXPECT_EQ(ListPositionOfMode(ids[position]), position);
    }
    EXPECT_EQ(ModeIdAtListPosition(13), -1);
    EXPECT_EQ(ListPositionOfMode(13), 0) << "an unknown id selects the first entry";
    EXPECT_EQ(ListPositionOfMode(-1), 0);
}

TEST(VideoModes, UnknownIdsGiveZeroSizesAndOneMicrosecond)
{
    for (int id : {13, 100, -1}) {
        EXPECT_EQ(VideoModeById(id), nullptr);
        EXPECT_EQ(FramePeriodOfMode(id), 1);
        EXPECT_EQ(CanvasWidthOfMode(id), 0);
        EXPECT_EQ(CanvasHeightOfMode(id), 0);
    }
    EXPECT_EQ(VideoModeByName(QStringLiteral("1080I50")), nullptr);
}

}  // namespace
