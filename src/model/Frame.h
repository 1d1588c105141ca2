#pragma once

#include "model/FileStamp.h"
#include "model/FrameBackground.h"
#include "model/FrameSourceData.h"
#include "model/LinkedImageHandOver.h"
#include "model/ObjectTexture.h"
#include "model/Picture.h"
#include "model/Rect.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class CUniFile;

// Stored setting values (fixed numbering: they are kept in page files).
enum BackgroundType : int { kBackgroundSolid = 0, kBackgroundPicture = 1 };
enum Movement : int { kMovementFixed = 0, kMovementScroll = 1, kMovementRoll = 2 };
enum Speed : int { kSpeedSlow = 10, kSpeedMid = 11, kSpeedFast = 12 };
enum DropShadow : int { kShadowNone = 0, kShadowOutline = 1, kShadowLow = 2, kShadowMedium = 3, kShadowHigh = 4 };
enum TextSource : int {
    kSourceObjectText = 0,
    kSourceClock = 1,
    kSourceTextFile = 2,
    kSourceRtfFile = 3,
    kSourceCsvFile = 4,
    kSourceTimer = 5,
};
enum TextEncoding : int { kEncodingAuto = 0, kEncodingAnsi = 1, kEncodingUnicode = 2, kEncodingUnicodeBe = 3, kEncodingUtf8 = 4 };
enum TimerDirection : int { kTimerUp = 0, kTimerDown = 1 };
enum CsvSeparator : int { kSeparatorSemicolon = 0, kSeparatorComma = 1 };

inline constexpr int kEffectCount = 31;       // in and out effects 0..30
inline constexpr int kMaxBackgroundFrames = 1000;
inline constexpr int kMaxSwitcherButton = 16;
inline constexpr int kMaxHotkey = 20;        // Ctrl+0..9 are 1..10, Alt+0..9 are 11..20

// The background type the operator sees, derived from the stored one.
enum class BackgroundKind { Solid, Picture, Animation };

// One object of a page: a rectangle with a background and a text, and every
// setting of how it is presented. Settings change only on the user-interface
// thread and only while the object is stopped; the run-time flags that the
// render and text threads share are atomic.
class CFrame
{
public:
    CFrame();
    // A copy with a new id that starts unlocked, unlinked and stopped.
    CFrame(const CFrame& source);
    CFrame& operator=(const CFrame&) = delete;
    virtual ~CFrame();

    // Copies the settings only: position, size, background type, frames and
    // text stay as they are.
    void CopySettings(const CFrame& source);

    BackgroundKind Kind() const;
    // showFor 0 counts as "show indefinitely".
    bool ShowsIndefinitely() const { return showIndefinitely != 0 || showFor == 0; }

    // Stops the object at once, without an out effect: clears playing and
    // paused, waits while the render thread still presents it and the text
    // thread still lays out its text, then releases its textures. Returns 1
    // when it was playing. Once it returns, the object's settings may change.
    int StopOutput();
    // StopOutput in two halves, so that many objects can be taken off the
    // air at once and waited for together: clearing playing and paused
    // (returns 1 when it was playing), then the wait and the release.
    int BeginStopOutput();
    void FinishStopOutput();
    // The render thread's stop of an object it found finished or failed,
    // after LeaveRender: as StopOutput, but without waiting for the text
    // thread, which the render thread never waits for (the text thread
    // never touches the textures). A later StopOutput waits for it.
    int StopFromRenderThread();
    // The render thread brackets its use of a playing object with these:
    // EnterRender sets inRender and returns 1 when the object is still
    // playing (0: skip it, inRender is clear again). StopOutput waits for
    // LeaveRender before it releases the textures.
    int EnterRender();
    void LeaveRender();
    // The same for the text thread's pass over the object (its text and its
    // linked image file): StopOutput waits for LeaveText.
    int EnterText();
    void LeaveText();
    // Releases the background texture alone (a linked image re-imported at
    // another size), safe against a stop on another thread.
    void ReleaseBackgroundTexture();

    // The version of the source file last read (sourceFileTime is its time).
    CFileStamp sourceFileStamp;
    // The next id a new object will take (tests).
    static int PeekNextId();

    // Page files (FrameFile.cpp): one object record; pagePath anchors the
    // paths stored relative to the page. Return 1 when the file's status is 0.
    // An object whose background frames differ in size loads without them
    // (framesDropped, when given, tells).
    int Load(CUniFile& file, const QString& pagePath, bool* framesDropped = nullptr);
    int Save(CUniFile& file, const QString& pagePath) const;
    // Background frames (FrameBackgrounds.cpp): stores the picture as the
    // next frame, or adds the duration to the last frame when the picture is
    // the same. The first frame sets the common size (at most maxWidth x
    // maxHeight, at least 16 x 16); later pictures are cropped to it. 0 when
    // the object already holds 1000 frames.
    int AddBackgroundFrame(int maxHeight, const CPicture& picture, int maxWidth, int duration);

    // Identity and bookkeeping.
    std::atomic<int> deleted{0};
    int framePeriod = 0;  // µs of one output frame of the video mode
    int id;  // undo gives a copy the id of the object it stands for

    // Settings, stored in page files.
    int backgroundType = kBackgroundSolid;
    CRect rect;
    int locked = 0;
    int movement = kMovementFixed;
    int speed = kSpeedSlow;
    int loop = 1;
    int showWhileMoving = 0;
    int reverse = 0;
    int startFromEdge = 0;
    uint32_t backgroundColor = 0x1A000000u;  // COLORREF in bits 0-23, alpha on top: black, 89 % transparent
    int textAlpha = 255;
    int dropShadow = kShadowNone;
    int backgroundWidth = 0;
    int backgroundHeight = 0;
    std::vector<CFrameBackground> backgroundFrames;
    int loopAnimation = 1;
    int linkImageFile = 0;
    QString imageFileName;
    QByteArray richText;  // RTF bytes; empty = none
    int textSource = kSourceObjectText;
    QString fileName;
    int encoding = kEncodingAuto;
    int firstLineIsHeader = 0;
    QString clockFormat = QStringLiteral("%H:%M");
    int monitorFile = 0;
    int separator = kSeparatorSemicolon;
    QString timerFormat = QStringLiteral("%H:%M:%S");
    int timerStart = 0;     // seconds
    int timerStop = 3600;   // seconds
    int timerDirection = kTimerUp;
    int barGraph = 0;
    int showFor = 0;        // ms
    int showIndefinitely = 1;
    int startDelay = 0;     // ms
    int inEffect = 0;
    int inDuration = 0;     // ms
    int fadeIn = 0;
    int outEffect = 0;
    int outDuration = 0;    // ms
    int fadeOut = 0;
    int repeat = 0;
    int switcherButton = 0;
    QString group;
    int hotkey = 0;

    // Run-time state, never stored; shared flags are atomic.
    std::atomic<int> playing{0};
    std::atomic<int> paused{0};
    std::atomic<int> inRender{0};  // set and cleared by the render thread alone
    std::atomic<int> inText{0};    // set and cleared by the text thread alone
    // The clock and the end time are read by End() on the user-interface thread.
    std::atomic<int> endTime{0};
    std::atomic<int> elapsed{0};
    std::atomic<int> elapsedMicros{0};  // the text thread reads it for timers
    std::atomic<int> ending{0};
    int animationFrame = -1;
    int animationFrameStart = 0;
    CPicture framePicture;  // the render thread's decompression buffer
    std::atomic<int> barValue{0};  // bar graph value + 1; 0 = not read yet
    std::atomic<int> sourceReady{0};
    std::atomic<int> sourceError{0};
    std::atomic<int> sourceCheckDue{0};
    std::atomic<int> sourceCheckCountdown{0};
    QByteArray preparedRtf;
    CFrameSourceData csvData;
    QDateTime sourceFileTime;
    QDateTime imageFileTime;
    QString currentText;
    int scrollPosition = 0;
    int textCopied = 0;
    // Frames a started scroll or roll stood still because the text thread
    // had not laid out its next text yet; counted over the whole play.
    int textWaits = 0;
    std::atomic<int> hasText{0};  // the text thread sets it, a restart on the render thread clears it
    int displayStarted = 0;
    int textTextureWidth = 0;
    int textTextureHeight = 0;
    int moveLead = 0;
    std::atomic<int> leadDone{0};  // a restart on the render thread clears it, the text thread sets it
    std::atomic<int> backgroundError{0};

    // Editor caches, cleared whenever the object's text, geometry or
    // settings change. The render thread clears previewBackgroundValid too,
    // when it swaps in a changed linked image.
    std::atomic<int> previewBackgroundValid{0};
    int previewTextValid = 0;
    QString caption;

    void InvalidatePreview()
    {
        previewBackgroundValid.store(0);
        previewTextValid = 0;
    }

    // A changed linked image file is imported away from the render thread
    // and waits here until the render thread swaps it in where the object
    // starts over (content/FrameLinkedImage.h). Shared with an import that
    // may outlive the object.
    const std::shared_ptr<CLinkedImageHandOver> linkedImage = std::make_shared<CLinkedImageHandOver>();
    // The render thread's own: a swap that found the hand-over busy is
    // tried again at the next frame.
    int backgroundSwapDue = 0;

    // The textures the object draws with on the output, made on the render
    // thread and released by the stop (content/FrameTextures.h).
    std::unique_ptr<IObjectTexture> backgroundTexture;
    std::unique_ptr<IObjectTexture> textTexture;

    // The editor's pictures of the background and the text (content/FramePreview.h).
    CPicture previewBackground;
    CPicture previewText;
    // The version of the linked image last imported (imageFileTime is its time).
    CFileStamp imageFileStamp;
    // Hand-over of rendered text chunks from the text thread and the ring's
    // marks (left/top: write position, right/bottom: consumed by the movement).
    std::atomic<int> chunkReady{0};
    std::atomic<int> noMoreChunks{0};
    std::atomic<int> chunkPosition{0};
    std::atomic<int> chunksRendered{0};
    CRect textWriteRect;

    // The text thread lays out the next chunk of the text into chunkPicture
    // and hands it over with chunkReady (content/FrameTextLayout.h); the
    // render thread uploads chunkRect of it and moves its leading edge (left
    // for scroll, top for roll) as it goes.
    CPicture chunkPicture;
    CRect chunkRect;

private:
    void ReleaseTextures();
    std::mutex textureReleaseLock_;
};

// Where a clone goes: 16 pixels right (or left, or not at all) and 16 down
// (or up, or not at all), so that it stays on a raster of the given size.
CRect CloneOffsetRect(const CRect& rect, int rasterWidth, int rasterHeight);
