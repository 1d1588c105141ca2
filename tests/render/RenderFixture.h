#pragma once

#include "model/FrameSet.h"
#include "render/device/GraphicsDeviceFactory.h"
#include "render/core/Render.h"
#include "render/system/SystemInhibitor.h"
#include "render/display/VideoMode.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace renderfixture {

// A solid object: colour is a colour reference (red lowest) with the
// opacity in the top byte.
inline std::unique_ptr<CFrame> Solid(int left, int top, int width, int height, uint32_t colour, int framePeriod)
{
    auto object = std::make_unique<CFrame>();
    object->rect = {left, top, left + width, top + height};
    object->backgroundColor = colour;
    object->framePeriod = framePeriod;
    return object;
}

inline void Add(CFrameSet& page, std::unique_ptr<CFrame> object)
{
    page.AddObject(object);
}

// Objects are drawn once the text thread has looked at their text; these
// have none, and the tests do not wait for the text thread to find that out.
inline void TextLookedAt(CFrameSet& page)
{
    FrameList list;
    page.TakeSnapshot(list);
    for (CFrame* object : list)
        if (object->chunksRendered.load() == 0)
            object->chunksRendered.store(1);
    page.ReleaseSnapshot();
}

// Waits (sleeping) until done() or about five seconds have passed.
inline bool WaitFor(const std::function<bool()>& done)
{
    for (int i = 0; i < 500; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

// Records what the renderer asks of the screen saver.
class CFakeInhibitor final : public ISystemInhibitor
{
public:
    void Inhibit(const QString&) override
    {
        inhibited = true;
        ++inhibits;
    }
    void Release() override
    {
        inhibited = false;
        ++releases;
    }
    bool Inhibited() const override { return inhibited; }

    bool inhibited = false;
    int inhibits = 0;
    int releases = 0;
};

// A renderer of the page off-screen in mode 720p50 on the CPU device,
// presenting at the mode's pace, without touching the machine.
inline std::unique_ptr<CRender> OffscreenRender(CFrameSet& page, CRenderEnvironment environment = {})
{
    const VideoMode& mode = *VideoModeByName(QStringLiteral("720p50"));
    environment.target = CRenderEnvironment::Target::kOffscreen;
    if (environment.device.isEmpty())
        environment.device = QStringLiteral("cpu");
    environment.raisePriorities = false;
    OutputEngineParams params = OutputParamsForMode(page, mode);
    params.fullRange = 0;
    return std::make_unique<CRender>(params, environment);
}

}  // namespace renderfixture
