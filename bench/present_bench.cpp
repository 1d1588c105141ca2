// The render thread presents every playing object once per output frame; a
// full page of 256 objects must cost well under 1 % of a 20 ms frame and
// must not allocate. Every allocation in the process is counted here.
#include "content/FramePlayer.h"
#include "content/PagePlayback.h"
#include "model/FrameSet.h"
#include "support/MemoryTextureDevice.h"
#include "playback/PresentResult.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long long> allocations{0};

void* CountedAllocation(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return CountedAllocation(size); }
void* operator new[](std::size_t size) { return CountedAllocation(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr int kFramePeriod = 20000;

// 256 solid objects in every phase: effects 0..30 coming in, showing and
// going out with fades, some repeating, some moving.
void FillPage(CFrameSet& page)
{
    for (int i = 0; i < CFrameSet::kMaxObjects; ++i) {
        auto o = std::make_unique<CFrame>();
        o->framePeriod = kFramePeriod;
        o->rect = {i % 16 * 100, i / 16 * 60, i % 16 * 100 + 96, i / 16 * 60 + 56};
        o->backgroundColor = 0x80000000u | uint32_t(i * 0x010203);
        o->startDelay = i % 7 * 100;
        o->inEffect = i % 31;
        o->inDuration = 400 + i % 5 * 100;
        o->fadeIn = i % 2;
        o->outEffect = (i * 11) % 31;
        o->outDuration = 500;
        o->fadeOut = i % 3 == 0;
        o->showIndefinitely = 0;
        o->showFor = 3000 + i * 10;
        o->repeat = 1;
        o->movement = i % 8 == 0 ? kMovementScroll : kMovementFixed;
        o->barGraph = i % 17 == 0;
        if (o->barGraph)
            o->textSource = kSourceTextFile;
        o->barValue.store(60);
        page.AddObject(o);
    }
}

// What the render thread does for each object of a frame, less the drawing.
void PresentPage(const FrameList& list, ITextureDevice& device, PresentResult& result)
{
    for (CFrame* object : list) {
        if (!object->EnterRender())
            continue;
        // The text thread's look at an object without text, after each (re)start.
        if (object->chunksRendered.load(std::memory_order_relaxed) == 0) {
            object->noMoreChunks.store(1);
            object->chunksRendered.store(1);
        }
        benchmark::DoNotOptimize(CFramePlayer(*object).PresentFrame(result, &device, kFramePeriod));
        benchmark::DoNotOptimize(result);
        object->LeaveRender();
    }
}

void BM_PresentFrameOf256SolidObjects(benchmark::State& state)
{
    CFrameSet page;
    FillPage(page);
    page.outputActive.store(1);
    CPagePlayback(page).PlayAllObjects();
    CMemoryTextureDevice device;
    FrameList list;
    page.TakeSnapshot(list);
    PresentResult result;
    // The first frames make the textures (and open the log); from then on
    // nothing may allocate, through every phase and every restart.
    for (int i = 0; i < 3; ++i)
        PresentPage(list, device, result);

    const long long allocationsBefore = allocations.load();
    if (allocationsBefore == 0) {
        state.SkipWithError("the allocation counter is not in use");
        return;
    }
    long long frames = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        PresentPage(list, device, result);
        ++frames;
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const long long allocated = allocations.load() - allocationsBefore;
    page.ReleaseSnapshot();

    const double microsPerFrame = std::chrono::duration<double, std::micro>(elapsed).count() / double(frames);
    state.counters["us_per_page"] = microsPerFrame;
    state.counters["percent_of_20ms"] = microsPerFrame / (kFramePeriod / 100.0);
    state.counters["allocations"] = double(allocated);
    state.SetItemsProcessed(state.iterations() * CFrameSet::kMaxObjects);
    if (allocated != 0)
        state.SkipWithError("PresentFrame allocated");
}
BENCHMARK(BM_PresentFrameOf256SolidObjects);

}  // namespace

BENCHMARK_MAIN();
