#pragma once

#include "model/Picture.h"
#include "render/core/Render.h"

#include <cstdint>
#include <functional>
#include <memory>

class CFrameSet;
struct VideoMode;

// The renderer without threads or display, on a virtual clock: every frame
// the objects advance by exactly one frame period of the mode, and before
// it the text of every playing object is prepared completely, so the same
// page gives the same frames on every run and machine. Clock objects show
// the time the renderer was made, moving on with the virtual clock (unless
// the environment gives its own clockTime). A hook runs before
// each frame with the virtual time, for whatever drives playback (a script
// runner ticking on the same clock).
class COfflineRenderer
{
public:
    // Called before each frame: the frame's number and its virtual time.
    using BeforeFrame = std::function<void(int frameIndex, int64_t virtualTimeUs)>;

    // device: "auto", "cpu" or "gl". The page's outputActive is 1 while the
    // renderer exists. renderError() tells whether it could start.
    COfflineRenderer(CFrameSet& page, const VideoMode& mode, int fullRange, const QString& device,
                     const CRenderEnvironment& environment = {});
    ~COfflineRenderer();

    int RenderError() const { return render_->renderError.load(); }
    const DeviceDescription* Device() const { return render_->Device(); }
    CRender& Render() { return *render_; }
    void SetBeforeFrame(BeforeFrame hook) { beforeFrame_ = std::move(hook); }

    // Runs the hook, prepares the text and draws the next frame. Returns a
    // RenderFrameResult.
    int RenderNext();
    int FramesRendered() const { return frameIndex_; }
    int64_t VirtualTimeUs() const;

    // The last frame: the composed canvas as straight BGRA, or the output
    // signal at canvas size (R = Y', G = Cb/Cr, B = key, A = 255).
    bool ReadCanvas(CPicture* picture);
    bool ReadOutput(CPicture* picture);

    // Passes over the playing objects before a frame, at most; a source
    // that keeps reporting work cannot hold the frame forever.
    static constexpr int kMaxTextPasses = 1000;

private:
    CFrameSet& page_;
    int canvasWidth_;
    int canvasHeight_;
    int framePeriodUs_;
    int frameIndex_ = 0;
    BeforeFrame beforeFrame_;
    std::unique_ptr<CRender> render_;
};
