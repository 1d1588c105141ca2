// The render and text threads take a snapshot of the page every frame.
#include "model/FrameSet.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SnapshotOf256Objects(benchmark::State& state)
{
    CFrameSet page;
    for (int i = 0; i < CFrameSet::kMaxObjects; ++i) {
        auto object = std::make_unique<CFrame>();
        page.AddObject(object);
    }
    FrameList list;
    for (auto _ : state) {
        benchmark::DoNotOptimize(page.TakeSnapshot(list));
        page.ReleaseSnapshot();
    }
    state.SetItemsProcessed(state.iterations() * CFrameSet::kMaxObjects);
}
BENCHMARK(BM_SnapshotOf256Objects);

}  // namespace

BENCHMARK_MAIN();
