#include "render/display/VideoMode.h"

#include <QStringList>

namespace {

// The 576- and 480-line modes put their canvas at the top-left of a 1080-line
// output frame; the 480-line canvas is 488 lines high. The 59 variants ask
// the display for the same settings as the 60 ones.
constexpr std::array<VideoMode, kVideoModeCount> kModes{{
    {0, "1080i50", 1920, 1080, 1920, 1080, 25, 20000},
    {1, "1080p50", 1920, 1080, 1920, 1080, 50, 20000},
    {2, "1080i60", 1920, 1080, 1920, 1080, 30, 16667},
    {3, "1080i59", 1920, 1080, 1920, 1080, 30, 16667},
    {4, "1080p60", 1920, 1080, 1920, 1080, 60, 16667},
    {5, "720p50", 1280, 720, 1280, 720, 50, 20000},
    {6, "720p60", 1280, 720, 1280, 720, 60, 16667},
    {7, "720p59", 1280, 720, 1280, 720, 60, 16667},
    {8, "576i50", 720, 576, 1920, 1080, 25, 20000},
    {9, "576p50", 720, 576, 1920, 1080, 50, 20000},
    {10, "480i60", 720, 488, 1920, 1080, 30, 16667},
    {11, "480p60", 720, 488, 1920, 1080, 60, 16667},
    {12, "1080p59", 1920, 1080, 1920, 1080, 60, 16667},
}};

constexpr std::array<int, kVideoModeCount> kListOrder{0, 3, 2, 1, 12, 4, 5, 7, 6, 8, 9, 10, 11};

}  // namespace

const std::array<VideoMode, kVideoModeCount>& VideoModes()
{
    return kModes;
}

const VideoMode* VideoModeById(int id)
{
    return id >= 0 && id < kVideoModeCount ? &kModes[static_cast<size_t>(id)] : nullptr;
}

const VideoMode* VideoModeByName(const QString& name)
{
    for (const VideoMode& mode : kModes) {
        if (name == QLatin1String(mode.name))
            return &mode;
    }
    return nullptr;
}

int ModeIdAtListPosition(int position)
{
    return position >= 0 && position < kVideoModeCount ? kListOrder[static_cast<size_t>(position)] : -1;
}

int ListPositionOfMode(int id)
{
    for (int position = 0; position < kVideoModeCount; ++position) {
        if (kListOrder[static_cast<size_t>(position)] == id)
            return position;
    }
    return 0;
}

QStringList VideoModeListNames()
{
    QStringList names;
    for (int id : kListOrder)
        names.append(QLatin1String(kModes[static_cast<size_t>(id)].name));
    return names;
}

int FramePeriodOfMode(int id)
{
    const VideoMode* mode = VideoModeById(id);
    return mode ? mode->framePeriodUs : 1;
}

int CanvasWidthOfMode(int id)
{
    const VideoMode* mode = VideoModeById(id);
    return mode ? mode->canvasWidth : 0;
}

int CanvasHeightOfMode(int id)
{
    const VideoMode* mode = VideoModeById(id);
    return mode ? mode->canvasHeight : 0;
}
