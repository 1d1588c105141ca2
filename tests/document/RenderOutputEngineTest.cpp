#include "DocumentTestSupport.h"

#include "app/MemorySettingsStore.h"
#include "document/RenderOutputEngine.h"
#include "model/FrameSet.h"
#include "render/display/MemoryDisplayBackend.h"
#include "render/system/SystemInhibitor.h"

#include <QWindow>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// The document's view of the renderer: it starts, reports its error code,
// takes the range while running and hands the page back when deleted.
TEST(RenderOutputEngine, RunsThePageAndReportsFailures)
{
    auto previous = InstallSettingsStore(std::make_unique<CMemorySettingsStore>());
    CMemoryDisplayBackend noDisplays;
    doctest::CNoInhibitor inhibitor;
    const OutputEngineFactory factory = RenderOutputEngineFactory(doctest::CpuRenderEnvironment(noDisplays, inhibitor));

    CFrameSet page;
    QWindow preview;
    preview.resize(320, 180);
    OutputEngineParams params;
    params.page = &page;
    params.canvasWidth = params.displayWidth = 1280;
    params.canvasHeight = params.displayHeight = 720;
    params.refreshRate = 50;
    params.framePeriodUs = 20000;
    params.previewWindow = &preview;
    auto engine = factory(params);
    EXPECT_EQ(engine->RenderError(), kRenderRunning);
    for (int i = 0; i < 300 && page.outputActive.load() != 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(page.outputActive.load(), 1);
    engine->SetFullRange(0);
    engine.reset();
    EXPECT_EQ(page.outputActive.load(), 0);
    EXPECT_FALSE(inhibitor.held);

    // The output without a display to put it on.
    params.previewWindow = nullptr;
    engine = factory(params);
    EXPECT_EQ(engine->RenderError(), kRenderDisplayFailed);
    engine.reset();
    InstallSettingsStore(std::move(previous));
}

}  // namespace
