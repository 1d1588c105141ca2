#pragma once

#include "model/DeviceTexture.h"
#include "model/FileStamp.h"
#include "model/FrameBackground.h"
#include "model/FrameSourceData.h"
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

class CTextureDevice;
struct PresentResult;
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

class ISourceTextControl;
class CRichEditTextRenderer;

// What the source steps of the text thread did for an object.
enum SourceStepResult : int {
    kSourceIdle = 0,       // ready and no check due: go on rendering chunks
    kSourceChecked = 1,    // checked and unchanged; next check scheduled
    kSourceRestarted = 2,  // (re)read: render the text again from its beginning
    kSourceFailed = 3,     // could not be read; retried on the next pass
};

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
    // paused, waits while the render thread still presents it, then releases
    // its textures. Returns 1 when it was playing.
    int StopOutput();
    // StopOutput in two halves, so that many objects can be taken off the
    // air at once and waited for together: clearing playing and paused
    // (returns 1 when it was playing), then the wait and the release.
    int BeginStopOutput();
    void FinishStopOutput();

    // Text sources (playback/FrameTextSource.cpp). All but BuildDefaultText
    // run on the text thread; the control is the text renderer's control for
    // the object's movement.
    int InitSource(ISourceTextControl& control);
    int IsSourceChanged();
    int LoadContent(ISourceTextControl& control);
    int SubstituteText(ISourceTextControl& control, const QString& text);
    QString FormatClock() const;
    QString FormatTimer() const;
    QString CsvField(int i) const;
    // Steps 1 to 3 of each text thread pass: check, (re)read, schedule.
    SourceStepResult RunSourceSteps(ISourceTextControl& control);
    // One text thread pass for a playing object: keeps the source up to date
    // and renders the next chunk of text (content/FrameTextRender.cpp).
    // Returns 1 when it did any work.
    int InvokeRender(CRichEditTextRenderer& textRenderer);
    // A white bold template with the source's placeholders for a new source
    // (user-interface thread, after a settings change); keeps a non-empty one.
    void BuildDefaultText();
    // The version of the source file last read (sourceFileTime is its time).
    CFileStamp sourceFileStamp;

    // The next id a new object will take (tests).
    static int PeekNextId();

    // Page files (FrameFile.cpp): one object record; pagePath anchors the
    // paths stored relative to the page. Return 1 when the file's status is 0.
    int Load(CUniFile& file, const QString& pagePath);
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
    std::atomic<int> inRender{0};
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

    // Editor caches, cleared whenever the object's text, geometry or settings change.
    int previewBackgroundValid = 0;
    int previewTextValid = 0;
    QString caption;

    void InvalidatePreview()
    {
        previewBackgroundValid = 0;
        previewTextValid = 0;
    }

    // Playback: the timeline, effects and movement (defined under playback/).
    // Play, End, TogglePause and StopOutput run on the user-interface thread;
    // PresentFrame, EnterRender and LeaveRender on the render thread.
    //
    // Starts the object (1), or resumes a paused one, or makes a playing
    // repeating one start over at the next frame (0).
    int Play();
    // Schedules the out effect (after the in effect at the earliest); returns
    // 1 only when it resumed a paused object.
    int End();
    // Freezes or resumes a playing object's clock, movement and animation.
    int TogglePause();
    void ResetTimeline();
    // One output frame: advances the clock by `deltaMicros` and describes
    // what to draw in `result`. Returns 0 when the object has finished (the
    // caller then stops it), else 1. Allocation-free once the textures exist.
    int PresentFrame(PresentResult& result, CTextureDevice* device, int deltaMicros);
    // The render thread brackets PresentFrame with these: EnterRender sets
    // inRender and returns 1 when the object is still playing (0: skip it,
    // inRender is clear again). StopOutput waits for LeaveRender.
    int EnterRender();
    void LeaveRender();
    // Texture steps of PresentFrame; 0 = failure, the object stops.
    int InitBackground();
    int PrepareBackgroundTexture(CTextureDevice* device);
    int PrepareTextTexture(CTextureDevice* device);

    std::unique_ptr<CDeviceTexture> backgroundTexture;
    std::unique_ptr<CDeviceTexture> textTexture;

    // Backgrounds and pictures (content/FrameBackgroundFile.cpp).
    // A texture of exactly width x height, or null (logged) when the device
    // cannot make one or makes one of another size.
    static std::unique_ptr<CDeviceTexture> CreateTexture(CTextureDevice* device, int width, int height);
    // The editor's picture of the background at the object's size; kept
    // until previewBackgroundValid is cleared. A linked image is re-imported
    // here only while the object is not playing (the render thread owns the
    // frames then).
    const CPicture& GetBackgroundPreview();
    CPicture previewBackground;
    // The version of the linked image last imported (imageFileTime is its time).
    CFileStamp imageFileStamp;
    // Hand-over of rendered text chunks from the text thread and the ring's
    // marks (left/top: write position, right/bottom: consumed by the movement).
    std::atomic<int> chunkReady{0};
    std::atomic<int> noMoreChunks{0};
    std::atomic<int> chunkPosition{0};
    std::atomic<int> chunksRendered{0};
    CRect textWriteRect;

    // Text rendering (content/FrameTextRender.cpp). The text thread lays
    // out the next chunk of the text into chunkPicture and hands it over
    // with chunkReady; the render thread uploads chunkRect of it and moves
    // its leading edge (left for scroll, top for roll) as it goes.
    CPicture chunkPicture;
    CRect chunkRect;
    // Lays the text out from `position` into `target` (straight BGRA, with
    // textAlpha); whole-text mode is the editor's picture of the object.
    // Returns 1 and advances `position` when something was rendered.
    int RenderTextChunk(CPicture& target, int& position, CRichEditTextRenderer& textRenderer, bool wholeText,
                        int& totalChars, int& renderedWidth, int& renderedHeight);
    // The editor's picture of the text at the object's size, cached until
    // previewTextValid is cleared; sets caption (user-interface thread).
    // While the object plays it is not made (the text thread owns the
    // source): the last picture, or a transparent one, stands.
    const CPicture& GetTextPreview(CRichEditTextRenderer& textRenderer);
    CPicture previewText;

private:
    void ReleaseTextures();
    std::mutex textureReleaseLock_;
    // Playback helpers (playback/).
    void SizeTextTexture();
    void Restart();
    void AdvanceClock(int deltaMicros);
    bool EnoughTextToStartDisplay() const;
    void ComposeResult(PresentResult& result, int t, int end) const;
    void MoveText(PresentResult& result, int deltaMicros);
    int WriteTextPiece(CTextureDevice& device, int destStart, int count, int sourceStart);
    int ReadSource(ISourceTextControl& control);  // InitSource by source
};

// Where a clone goes: 16 pixels right (or left, or not at all) and 16 down
// (or up, or not at all), so that it stays on a raster of the given size.
CRect CloneOffsetRect(const CRect& rect, int rasterWidth, int rasterHeight);
