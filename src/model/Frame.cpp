#include "model/Frame.h"

#include "model/FrameSettings.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

namespace {

std::atomic<int> nextId{1};

int TakeId()
{
    return nextId.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

CFrame::CFrame()
    : id(TakeId())
{
}

CFrame::CFrame(const CFrame& s)
    : framePeriod(s.framePeriod),
      id(TakeId())
{
    // Not locked, linkImageFile nor imageFileName: a copy starts unlocked
    // and unlinked. No run-time state is copied.
    CopyFrameSettings(*this, s, kCopiedByCopy);
}

CFrame::~CFrame()
{
    ReleaseTextures();
}

void CFrame::CopySettings(const CFrame& s)
{
    CopyFrameSettings(*this, s, kCopiedBySettings);
}

BackgroundKind CFrame::Kind() const
{
    if (backgroundType == kBackgroundSolid)
        return BackgroundKind::Solid;
    return backgroundFrames.size() < 2 ? BackgroundKind::Picture : BackgroundKind::Animation;
}

int CFrame::StopOutput()
{
    const int wasPlaying = BeginStopOutput();
    FinishStopOutput();
    return wasPlaying;
}

int CFrame::BeginStopOutput()
{
    const int wasPlaying = playing.exchange(0);
    paused.exchange(0);
    return wasPlaying;
}

void CFrame::FinishStopOutput()
{
    // The render thread may be presenting this object right now (its
    // textures must outlive that frame), and the text thread may be laying
    // out its text (tens of ms for a roll's chunk) from the settings the
    // caller is about to change. Neither takes the object again once
    // playing is clear, so the wait lasts one frame or one chunk at most.
    // Short polls first, for the usual case of a frame about to end; then
    // longer ones, so that a long layout costs few wake-ups.
    auto step = std::chrono::microseconds(50);
    constexpr auto kLongestStep = std::chrono::milliseconds(2);
    while (inRender.load() || inText.load()) {
        std::this_thread::sleep_for(step);
        step = std::min<std::chrono::microseconds>(step * 2, kLongestStep);
    }
    ReleaseTextures();
}

int CFrame::StopFromRenderThread()
{
    const int wasPlaying = BeginStopOutput();
    ReleaseTextures();
    return wasPlaying;
}

int CFrame::EnterRender()
{
    if (!playing.load())
        return 0;
    inRender.exchange(1);
    // Checked again after inRender is visible: a StopOutput that cleared
    // playing meanwhile either sees inRender and waits, or is seen here.
    if (!playing.load()) {
        inRender.exchange(0);
        return 0;
    }
    return 1;
}

void CFrame::LeaveRender()
{
    inRender.exchange(0);
}

int CFrame::EnterText()
{
    if (!playing.load())
        return 0;
    inText.exchange(1);
    // As in EnterRender: a stop that cleared playing meanwhile either sees
    // inText and waits, or is seen here.
    if (!playing.load()) {
        inText.exchange(0);
        return 0;
    }
    return 1;
}

void CFrame::LeaveText()
{
    inText.exchange(0);
}

void CFrame::ReleaseBackgroundTexture()
{
    std::unique_ptr<IObjectTexture> released;
    std::lock_guard guard(textureReleaseLock_);
    released = std::move(backgroundTexture);
}

void CFrame::ReleaseTextures()
{
    // The render thread stops a finished object while the user-interface
    // thread may be stopping the same one: only one of them may free.
    std::unique_ptr<IObjectTexture> background;
    std::unique_ptr<IObjectTexture> text;
    {
        std::lock_guard guard(textureReleaseLock_);
        background = std::move(backgroundTexture);
        text = std::move(textTexture);
    }
}

int CFrame::PeekNextId()
{
    return nextId.load(std::memory_order_relaxed);
}

CRect CloneOffsetRect(const CRect& rect, int rasterWidth, int rasterHeight)
{
    constexpr int kStep = 16;
    auto offset = [](int farEdge, int extent) {
        if (farEdge + kStep <= extent)
            return kStep;
        if (farEdge >= kStep + 1)
            return -kStep;
        return 0;
    };
    CRect moved = rect;
    moved.Offset(offset(rect.right, rasterWidth), offset(rect.bottom, rasterHeight));
    return moved;
}
