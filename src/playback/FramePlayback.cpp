// The object's timeline: play, end, pause and the per-frame presentation.
#include "model/Frame.h"

#include "app/Log.h"
#include "playback/EffectGeometry.h"
#include "playback/Movement.h"
#include "playback/PresentResult.h"
#include "playback/TimelinePhase.h"

#include <algorithm>
#include <climits>

namespace {

// An object that shows indefinitely keeps its clock below this: after about
// twelve days on air the clock drops by kClockRebaseStep, so that it never
// overflows (it would wrap to a negative time and hide the object).
constexpr int kClockRebaseAt = 1 << 30;
constexpr int kClockRebaseStep = 1 << 29;

bool IsMoving(int movement)
{
    return movement == kMovementScroll || movement == kMovementRoll;
}

int ClampToInt(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace

int CFrame::Play()
{
    if (playing.load()) {
        if (paused.load()) {
            paused.exchange(0);
            return 0;
        }
        // A repeating object starts over at the next output frame.
        if (repeat)
            endTime.store(1);
        return 0;
    }
    ResetTimeline();
    // An End() whose presentation was stopped before it finished must not
    // end the next one.
    ending.store(0);
    SizeTextTexture();
    WriteLog(kLogDetail, "CFrame::Play(%08X), rect: %d:%d - %d:%d (%dx%d), text: %dx%d, move: %d", LogAddress(this),
             rect.left, rect.top, rect.right, rect.bottom, rect.Width(), rect.Height(), textTextureWidth,
             textTextureHeight, moveLead);
    animationFrame = -1;
    textWaits = 0;
    InitBackground();  // a failure surfaces at the first output frame
    sourceReady.exchange(0);
    sourceCheckDue.exchange(0);
    sourceCheckCountdown.exchange(0);
    currentText.clear();
    inRender.exchange(0);
    paused.exchange(0);
    // Last: the render and text threads take the object from here on.
    playing.exchange(1);
    return 1;
}

int CFrame::End()
{
    if (!playing.load())
        return 0;
    const int t = elapsed.load();
    const int end = endTime.load();
    if (end != 0 && static_cast<long long>(end) - t <= outDuration)
        return 0;  // the out effect is already running or due
    ending.store(1);
    const long long outStart = std::max(static_cast<long long>(startDelay) + inDuration, static_cast<long long>(t));
    // Never 0, which would mean an open end.
    endTime.store(std::max(ClampToInt(outStart + outDuration), 1));
    if (paused.load()) {
        paused.exchange(0);
        return 1;
    }
    return 0;
}

int CFrame::TogglePause()
{
    if (!playing.load())
        return 0;
    paused.fetch_xor(1);
    return 1;
}

void CFrame::ResetTimeline()
{
    const bool openEnd = showIndefinitely || (IsMoving(movement) && showWhileMoving);
    endTime.store(openEnd ? 0 : showFor);
    elapsed.store(0);
    elapsedMicros = 0;
    animationFrameStart = 0;
    scrollPosition = 0;
    textCopied = 0;
    hasText = 0;
    displayStarted = 0;
    chunkReady.exchange(0);
    noMoreChunks.store(0);
    chunkPosition.store(0);
    chunksRendered.exchange(0);
    backgroundError.exchange(0);
    leadDone = IsMoving(movement) && startFromEdge ? 0 : 1;
}

void CFrame::SizeTextTexture()
{
    const TextTextureGeometry g = TextTextureFor(movement, rect.Width(), rect.Height());
    textTextureWidth = g.width;
    textTextureHeight = g.height;
    moveLead = g.moveLead;
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

void CFrame::Restart()
{
    ResetTimeline();
    if (sourceReady.load())
        sourceCheckDue.exchange(1);
    InitBackground();
    if (backgroundType == kBackgroundPicture && backgroundFrames.size() >= 2)
        animationFrame = -1;
    // The text is prepared again from its start.
    textTexture.reset();
}

bool CFrame::EnoughTextToStartDisplay() const
{
    if (movement == kMovementScroll)
        return textCopied >= rect.Width() + (noMoreChunks.load() ? 0 : moveLead);
    if (movement == kMovementRoll)
        return textCopied >= rect.Height() + (noMoreChunks.load() ? 0 : moveLead);
    return textCopied > 0;
}

void CFrame::ComposeResult(PresentResult& result, int t, int end) const
{
    PhaseState phase = DeterminePhase(*this, t, end);
    float progress = phase.progress;
    int effect = phase.effect;
    if (barGraph) {
        // A bar graph always draws its bar with the in effect (a reveal from
        // the bottom or the left for Simple cut, which could not show a
        // part), cut to the fraction of its area that the source gives.
        effect = inEffect != kEffectCut ? inEffect
                 : rect.Width() < rect.Height() ? int(kEffectRevealBottom)
                                                 : int(kEffectRevealLeft);
        const int bar = std::clamp(barValue.load(std::memory_order_relaxed) - 1, 0, 100);
        progress *= float(bar) / 100.0f;
    }
    if (!EffectGeometry(effect, progress, rect, result.destRect, result.backgroundUV))
        return;  // a damaged effect number draws nothing
    // The fade follows the phase, not the bar's length.
    result.alpha = phase.fade ? int(phase.progress * 255.0f) : 255;
    if (result.alpha <= 0)
        return;
    const bool clearSolid = backgroundType == kBackgroundSolid && (backgroundColor >> 24) == 0;
    if (!clearSolid)
        result.backgroundTexture = backgroundTexture.get();
    if (hasText) {
        result.textUV = result.backgroundUV;
        result.textTexture = textTexture.get();
    }
}

void CFrame::AdvanceClock(int deltaMicros)
{
    if (deltaMicros <= 0)
        return;
    long long t = static_cast<long long>(elapsed.load(std::memory_order_relaxed)) + deltaMicros / 1000;
    elapsedMicros += deltaMicros % 1000;
    if (elapsedMicros >= 1000) {
        ++t;
        elapsedMicros -= 1000;
    }
    if (t >= kClockRebaseAt && endTime.load() == 0 &&
        t - kClockRebaseStep >= static_cast<long long>(startDelay) + inDuration) {
        // Deep in an open-ended show phase: nothing but the animation looks
        // at the absolute time, and it keeps its distance.
        t -= kClockRebaseStep;
        animationFrameStart -= kClockRebaseStep;
        elapsed.store(ClampToInt(t));
        // An End() that read the clock just before the rebase scheduled its
        // end a rebase step too late.
        int end = endTime.load();
        while (end != 0 && static_cast<long long>(end) - t > static_cast<long long>(outDuration) &&
               !endTime.compare_exchange_weak(end, ClampToInt(static_cast<long long>(end) - kClockRebaseStep)))
        {
        }
        return;
    }
    elapsed.store(ClampToInt(t), std::memory_order_relaxed);
}

int CFrame::PresentFrame(PresentResult& result, CTextureDevice* device, int deltaMicros)
{
    int t = elapsed.load(std::memory_order_relaxed);
    int end = endTime.load();
    if (end != 0 && t >= end) {
        if (!repeat || ending.load()) {
            ending.store(0);
            return 0;
        }
        Restart();
        t = 0;
        end = endTime.load();
    }
    if (!PrepareBackgroundTexture(device))
        return 0;
    result = PresentResult{};
    // Nothing is drawn and the clock waits until the text thread has looked
    // at the text once (even when it found none).
    if (chunksRendered.load(std::memory_order_relaxed) == 0)
        return 1;
    if (hasText && !PrepareTextTexture(device))
        return 0;
    if (t >= startDelay) {
        if (hasText && !displayStarted) {
            if (!EnoughTextToStartDisplay())
                return 1;  // the clock waits for the text
            displayStarted = 1;
            WriteLog(kLogDetail, "CFrame::PresentFrame(%08X): start display", LogAddress(this));
        }
        ComposeResult(result, t, end);
        if (IsMoving(movement))
            MoveText(result, deltaMicros);
    }
    if (!paused.load(std::memory_order_relaxed))
        AdvanceClock(deltaMicros);
    return 1;
}
