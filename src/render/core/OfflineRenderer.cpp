#include "render/core/OfflineRenderer.h"

#include "content/PagePlayback.h"
#include "model/FrameSet.h"
#include "render/display/VideoMode.h"

#include <algorithm>
#include <ctime>

COfflineRenderer::COfflineRenderer(CFrameSet& page, const VideoMode& mode, int fullRange, const QString& device,
                                   const CRenderEnvironment& environment)
    : page_(page), canvasWidth_(mode.canvasWidth), canvasHeight_(mode.canvasHeight), framePeriodUs_(mode.framePeriodUs)
{
    CRenderEnvironment offline = environment;
    offline.target = CRenderEnvironment::Target::kOffscreen;
    offline.offline = true;
    offline.device = device;
    offline.raisePriorities = false;
    if (!offline.clockTime) {
        // Clocks start at the time the render starts and move with its frames.
        const std::time_t start = std::time(nullptr);
        offline.clockTime = [this, start] { return start + static_cast<std::time_t>(VirtualTimeUs() / 1000000); };
    }
    OutputEngineParams params = OutputParamsForMode(page, mode);
    // The back buffer holds the canvas only: nothing lies beyond it off-line.
    params.displayWidth = mode.canvasWidth;
    params.displayHeight = mode.canvasHeight;
    params.fullRange = fullRange;
    render_ = std::make_unique<CRender>(params, offline);
    if (render_->renderError.load() == kRenderRunning) {
        if (page_.outputActive.load() != 1) {
            if (page_.outputActive.load() != 0)
                CPagePlayback(page_).StopAllObjects();
            page_.outputActive.store(1);
        }
    }
}

COfflineRenderer::~COfflineRenderer()
{
    if (render_->renderError.load() == kRenderRunning && page_.outputActive.load() != 0) {
        CPagePlayback(page_).StopAllObjects();
        page_.outputActive.store(0);
    }
    render_.reset();
}

int64_t COfflineRenderer::VirtualTimeUs() const
{
    return static_cast<int64_t>(frameIndex_) * framePeriodUs_;
}

int COfflineRenderer::RenderNext()
{
    if (render_->renderError.load() != 0)
        return kFrameFailed;
    if (beforeFrame_)
        beforeFrame_(frameIndex_, VirtualTimeUs());
    for (int pass = 0; pass < kMaxTextPasses && render_->PrepareTextOnce() > 0; ++pass) {
    }
    const int result = render_->RenderOfflineFrame(frameIndex_ == 0 ? 0 : framePeriodUs_);
    ++frameIndex_;
    return result;
}

bool COfflineRenderer::ReadCanvas(CPicture* picture)
{
    CPicture target;
    if (!render_->ReadComposition(&target))
        return false;
    picture->Resize(canvasWidth_, canvasHeight_);
    for (int y = 0; y < canvasHeight_; ++y) {
        for (int x = 0; x < canvasWidth_; ++x) {
            const uint32_t p = target.pixels[static_cast<size_t>(y) * target.width + x];
            const uint32_t a = p >> 24;
            uint32_t out = 0;
            if (a != 0) {
                // Premultiplied back to straight colour, rounded.
                const auto unfold = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
                out = (a << 24) | (unfold((p >> 16) & 0xFF) << 16) | (unfold((p >> 8) & 0xFF) << 8) | unfold(p & 0xFF);
            }
            picture->pixels[static_cast<size_t>(y) * canvasWidth_ + x] = out;
        }
    }
    return true;
}

bool COfflineRenderer::ReadOutput(CPicture* picture)
{
    CPicture back;
    if (!render_->ReadBackBuffer(&back))
        return false;
    picture->Resize(canvasWidth_, canvasHeight_);
    for (int y = 0; y < canvasHeight_; ++y)
        for (int x = 0; x < canvasWidth_; ++x)
            picture->pixels[static_cast<size_t>(y) * canvasWidth_ + x] =
                y < back.height && x < back.width ? back.pixels[static_cast<size_t>(y) * back.width + x] | 0xFF000000u
                                                  : 0xFF000000u;
    return true;
}
