// The object's timeline: play, end, pause, and its clock and effects frame by frame.
#include "playback/FrameTimeline.h"

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

int ClampToInt(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace

int CFrameTimeline::Play()
{
    if (o_.playing.load()) {
        if (o_.paused.load()) {
            o_.paused.exchange(0);
            return 0;
        }
        // A repeating object starts over at the next output frame.
        if (o_.repeat)
            o_.endTime.store(1);
        return 0;
    }
    ResetTimeline();
    // An End() whose presentation was stopped before it finished must not
    // end the next one.
    o_.ending.store(0);
    SizeTextTexture();
    WriteLog(kLogDetail, "CFrame::Play(%08X), rect: %d:%d - %d:%d (%dx%d), text: %dx%d, move: %d", LogAddress(&o_),
             o_.rect.left, o_.rect.top, o_.rect.right, o_.rect.bottom, o_.rect.Width(), o_.rect.Height(), o_.textTextureWidth,
             o_.textTextureHeight, o_.moveLead);
    o_.animationFrame = -1;
    o_.textWaits = 0;
    o_.sourceReady.exchange(0);
    o_.sourceCheckDue.exchange(0);
    o_.sourceCheckCountdown.exchange(0);
    o_.currentText.clear();
    // inRender and inText are left alone: they are the render and text
    // threads' own, and either may have set its flag just now, on its way
    // to find the object playing again.
    o_.paused.exchange(0);
    // Last: the render and text threads take the object from here on.
    o_.playing.exchange(1);
    return 1;
}

int CFrameTimeline::End()
{
    if (!o_.playing.load())
        return 0;
    const int t = o_.elapsed.load();
    const int end = o_.endTime.load();
    if (end != 0 && static_cast<long long>(end) - t <= o_.outDuration)
        return 0;  // the out effect is already running or due
    o_.ending.store(1);
    const long long outStart = std::max(static_cast<long long>(o_.startDelay) + o_.inDuration, static_cast<long long>(t));
    // Never 0, which would mean an open end.
    o_.endTime.store(std::max(ClampToInt(outStart + o_.outDuration), 1));
    if (o_.paused.load()) {
        o_.paused.exchange(0);
        return 1;
    }
    return 0;
}

int CFrameTimeline::TogglePause()
{
    if (!o_.playing.load())
        return 0;
    o_.paused.fetch_xor(1);
    return 1;
}

void CFrameTimeline::ResetTimeline()
{
    const bool openEnd = o_.showIndefinitely || (IsMoving(o_.movement) && o_.showWhileMoving);
    o_.endTime.store(openEnd ? 0 : o_.showFor);
    o_.elapsed.store(0);
    o_.elapsedMicros = 0;
    o_.animationFrameStart = 0;
    o_.scrollPosition = 0;
    o_.textCopied = 0;
    o_.hasText = 0;
    o_.displayStarted = 0;
    o_.chunkReady.exchange(0);
    o_.noMoreChunks.store(0);
    o_.chunkPosition.store(0);
    o_.chunksRendered.exchange(0);
    o_.backgroundError.exchange(0);
    o_.leadDone = IsMoving(o_.movement) && o_.startFromEdge ? 0 : 1;
}

void CFrameTimeline::SizeTextTexture()
{
    const TextTextureGeometry g = TextTextureFor(o_.movement, o_.rect.Width(), o_.rect.Height());
    o_.textTextureWidth = g.width;
    o_.textTextureHeight = g.height;
    o_.moveLead = g.moveLead;
}

bool CFrameTimeline::EnoughTextToStartDisplay() const
{
    if (o_.movement == kMovementScroll)
        return o_.textCopied >= o_.rect.Width() + (o_.noMoreChunks.load() ? 0 : o_.moveLead);
    if (o_.movement == kMovementRoll)
        return o_.textCopied >= o_.rect.Height() + (o_.noMoreChunks.load() ? 0 : o_.moveLead);
    return o_.textCopied > 0;
}

void CFrameTimeline::ComposeResult(PresentResult& result, int t, int end) const
{
    PhaseState phase = DeterminePhase(o_, t, end);
    float progress = phase.progress;
    int effect = phase.effect;
    // Only a text file gives a bar's value; the flag stays set when the
    // source changes and then means nothing.
    if (o_.barGraph && o_.textSource == kSourceTextFile) {
        // A bar graph always draws its bar with the in effect (a reveal from
        // the bottom or the left for Simple cut, which could not show a
        // part), cut to the fraction of its area that the source gives.
        effect = o_.inEffect != kEffectCut ? o_.inEffect
                 : o_.rect.Width() < o_.rect.Height() ? int(kEffectRevealBottom)
                                                 : int(kEffectRevealLeft);
        const int bar = std::clamp(o_.barValue.load(std::memory_order_relaxed) - 1, 0, 100);
        progress *= float(bar) / 100.0f;
    }
    if (!EffectGeometry(effect, progress, o_.rect, result.destRect, result.backgroundUV))
        return;  // a damaged effect number draws nothing
    // The fade follows the phase, not the bar's length.
    result.alpha = phase.fade ? int(phase.progress * 255.0f) : 255;
    if (result.alpha <= 0)
        return;
    const bool clearSolid = o_.backgroundType == kBackgroundSolid && (o_.backgroundColor >> 24) == 0;
    if (!clearSolid)
        result.backgroundTexture = o_.backgroundTexture.get();
    if (o_.hasText) {
        result.textUV = result.backgroundUV;
        result.textTexture = o_.textTexture.get();
    }
}

void CFrameTimeline::AdvanceClock(int deltaMicros)
{
    if (deltaMicros <= 0)
        return;
    long long t = static_cast<long long>(o_.elapsed.load(std::memory_order_relaxed)) + deltaMicros / 1000;
    o_.elapsedMicros += deltaMicros % 1000;
    if (o_.elapsedMicros >= 1000) {
        ++t;
        o_.elapsedMicros -= 1000;
    }
    if (t >= kClockRebaseAt && o_.endTime.load() == 0 &&
        t - kClockRebaseStep >= static_cast<long long>(o_.startDelay) + o_.inDuration) {
        // Deep in an open-ended show phase: nothing but the animation looks
        // at the absolute time, and it keeps its distance.
        t -= kClockRebaseStep;
        o_.animationFrameStart -= kClockRebaseStep;
        o_.elapsed.store(ClampToInt(t));
        // An End() that read the clock just before the rebase scheduled its
        // end a rebase step too late.
        int end = o_.endTime.load();
        while (end != 0 && static_cast<long long>(end) - t > static_cast<long long>(o_.outDuration) &&
               !o_.endTime.compare_exchange_weak(end, ClampToInt(static_cast<long long>(end) - kClockRebaseStep)))
        {
        }
        return;
    }
    o_.elapsed.store(ClampToInt(t), std::memory_order_relaxed);
}

