#include "playback/Movement.h"

#include "app/Log.h"
#include "model/Frame.h"
#include "playback/FrameTimeline.h"

#include <algorithm>

namespace {

// Non-negative remainder, also for a negative dividend.
int Wrap(int value, int modulus)
{
    const int r = value % modulus;
    return r < 0 ? r + modulus : r;
}

// Keeps the movement counters far from overflow on objects that move for
// weeks: both drop by the same whole number of ring turns, which changes
// neither the window nor the free space of the ring.
constexpr int kCounterRebaseAt = 1 << 30;

}  // namespace

TextTextureGeometry TextTextureFor(int movement, int width, int height)
{
    TextTextureGeometry g{width, height, 0};
    if (movement == kMovementScroll) {
        g.width = std::min(width + width / 2, kMaxTextTextureExtent);
        g.moveLead = (g.width - width) / 2;
    } else if (movement == kMovementRoll) {
        g.height = std::min(height + height / 2, kMaxTextTextureExtent);
        g.moveLead = (g.height - height) / 2;
    }
    return g;
}

int MovementFrames(int deltaMicros, int framePeriod)
{
    if (framePeriod <= 0 || deltaMicros <= 0)
        return 1;
    int frames = deltaMicros / framePeriod;
    if (deltaMicros % framePeriod >= framePeriod / 2)
        ++frames;
    return std::max(frames, 1);
}

int MovementStep(int deltaMicros, int framePeriod, int speed)
{
    // Stored speeds are clamped when read; an object made in code could hold anything.
    const int pixelsPerFrame = std::clamp(speed, int(kSpeedSlow), int(kSpeedFast)) - (kSpeedSlow - 1);
    const long long step = static_cast<long long>(MovementFrames(deltaMicros, framePeriod)) * pixelsPerFrame;
    return static_cast<int>(std::min<long long>(step, kCounterRebaseAt));
}

FloatRect TextWindow(const FloatRect& uv, bool vertical, int extent, int ringExtent, int scrollPosition, bool reverse)
{
    FloatRect window = uv;
    if (ringExtent <= 0)
        return window;
    int c = Wrap(scrollPosition, ringExtent);
    if (reverse)
        c = Wrap(2 * ringExtent - extent - c, ringExtent);
    const float k = 1.0f / float(ringExtent);
    const float e = float(extent) / float(ringExtent);
    if (vertical) {
        window.top = uv.top * e + float(c) * k;
        window.bottom = float(extent + c) * k - e * (1.0f - uv.bottom);
    } else {
        window.left = uv.left * e + float(c) * k;
        window.right = float(extent + c) * k - e * (1.0f - uv.right);
    }
    return window;
}

void CFrameTimeline::MoveText(PresentResult& result, int deltaMicros)
{
    const bool vertical = o_.movement == kMovementRoll;
    const int extent = vertical ? o_.rect.Height() : o_.rect.Width();
    const int ringExtent = vertical ? o_.textTextureHeight : o_.textTextureWidth;
    if (ringExtent <= 0)
        return;

    if (!o_.paused.load(std::memory_order_relaxed)) {
        const int step = MovementStep(deltaMicros, o_.framePeriod, o_.speed);
        if (static_cast<long long>(o_.textCopied) - o_.scrollPosition - step >= extent) {
            if (o_.scrollPosition == 0)
                WriteLog(kLogDetail, "CFrame::PresentFrame(%08X): start moving, copied: %d", LogAddress(&o_), o_.textCopied);
            o_.scrollPosition += step;
            // The reader's mark in the ring: the writer never writes past it.
            int& consumed = vertical ? o_.textWriteRect.bottom : o_.textWriteRect.right;
            consumed = Wrap(consumed + step, ringExtent);
            if (o_.scrollPosition >= kCounterRebaseAt) {
                const int turns = (kCounterRebaseAt / 2) / ringExtent * ringExtent;
                o_.scrollPosition -= turns;
                o_.textCopied -= turns;
            }
        } else if (o_.showWhileMoving && o_.noMoreChunks.load() && o_.endTime.load() == 0) {
            // The text has run through: leave with the out effect.
            End();
        } else if (o_.scrollPosition > 0 && step > 0 && !o_.noMoreChunks.load()) {
            // More text is due but the ring has run dry.
            ++o_.textWaits;
        }
    }

    if (o_.hasText)
        result.textUV = TextWindow(result.textUV, vertical, extent, ringExtent, o_.scrollPosition, o_.reverse != 0);
}
