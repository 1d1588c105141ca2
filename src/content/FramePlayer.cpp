// An object on air: play, end and pause, and one output frame at a time.
#include "content/FramePlayer.h"

#include "app/Log.h"
#include "content/FrameLinkedImage.h"
#include "content/FrameTextures.h"
#include "content/PictureImport.h"
#include "playback/FrameTimeline.h"

int CFramePlayer::Play()
{
    // Before the threads take the object: the frames are the render
    // thread's once it plays.
    if (!o_.playing.load())
        InitBackground(o_);
    return CFrameTimeline(o_).Play();
}

int CFramePlayer::End()
{
    return CFrameTimeline(o_).End();
}

int CFramePlayer::TogglePause()
{
    return CFrameTimeline(o_).TogglePause();
}

void CFramePlayer::Restart()
{
    CFrameTimeline(o_).ResetTimeline();
    if (o_.sourceReady.load())
        o_.sourceCheckDue.exchange(1);
    // A changed linked file was imported meanwhile, away from this thread:
    // its frames go on air now.
    if (o_.linkImageFile && CFrameLinkedImage(o_).SwapIn() < 0)
        o_.backgroundSwapDue = 1;
    if (o_.backgroundType == kBackgroundPicture && o_.backgroundFrames.size() >= 2)
        o_.animationFrame = -1;
    // The text is prepared again from its start.
    o_.textTexture.reset();
}

int CFramePlayer::PresentFrame(PresentResult& result, ITextureDevice* device, int deltaMicros)
{
    CFrameTimeline timeline(o_);
    CFrameTextures textures(o_);
    int t = o_.elapsed.load(std::memory_order_relaxed);
    int end = o_.endTime.load();
    if (end != 0 && t >= end) {
        if (!o_.repeat || o_.ending.load()) {
            o_.ending.store(0);
            return 0;
        }
        Restart();
        t = 0;
        end = o_.endTime.load();
    }
    if (!textures.PrepareBackgroundTexture(device))
        return 0;
    result = PresentResult{};
    // Nothing is drawn and the clock waits until the text thread has looked
    // at the text once (even when it found none).
    if (o_.chunksRendered.load(std::memory_order_relaxed) == 0)
        return 1;
    if (o_.hasText && !textures.PrepareTextTexture(device))
        return 0;
    if (t >= o_.startDelay) {
        if (o_.hasText && !o_.displayStarted) {
            if (!timeline.EnoughTextToStartDisplay())
                return 1;  // the clock waits for the text
            o_.displayStarted = 1;
            WriteLog(kLogDetail, "CFrame::PresentFrame(%08X): start display", LogAddress(&o_));
        }
        timeline.ComposeResult(result, t, end);
        if (IsMoving(o_.movement))
            timeline.MoveText(result, deltaMicros);
    }
    if (!o_.paused.load(std::memory_order_relaxed))
        timeline.AdvanceClock(deltaMicros);
    return 1;
}
