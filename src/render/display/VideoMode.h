#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The output's video modes. Ids are stored in the settings ("Mode"); the
// list the operator picks from has its own fixed order.
struct VideoMode
{
    int id;
    const char* name;
    int canvasWidth;
    int canvasHeight;
    int displayWidth;
    int displayHeight;
    int refreshRate;      // Hz as requested from the display; below 50 means interlaced
    int framePeriodUs;    // one output frame

    bool Interlaced() const { return refreshRate < 50; }
};

inline constexpr int kVideoModeCount = 13;

// Mode ids in table order 0..12.
const std::array<VideoMode, kVideoModeCount>& VideoModes();

// The mode with this id, or null for an id outside 0..12.
const VideoMode* VideoModeById(int id);
// The mode with this name ("1080i50"), or null.
const VideoMode* VideoModeByName(const QString& name);

// The id at a position of the operator's list (0..12), or -1.
int ModeIdAtListPosition(int position);
// The list position of a mode id; an id not in the list selects position 0.
int ListPositionOfMode(int id);
// The names in list order.
QStringList VideoModeListNames();

// µs of one output frame: 20000 at 50 Hz, 16667 at 60 and 59.94 Hz. An id
// above 12 gives 1 (and zero sizes from the other accessors).
int FramePeriodOfMode(int id);
// Canvas size of the mode, 0 x 0 for an unknown id.
int CanvasWidthOfMode(int id);
int CanvasHeightOfMode(int id);
