// Loading and saving a full page: 256 objects, each with a 1920 x 1080
// background frame of typical graphics. Besides the speed, the load
// benchmarks measure the scratch memory a load needs beyond the page's own
// data, by following every allocation made during one load (see
// AllocationLog below): what is still allocated when the load ends is the
// page's data; everything allocated and freed again was scratch.
#include "BenchPictures.h"

#include "model/PageFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "QtBenchmarkMain.h"

#include <benchmark/benchmark.h>


#include <atomic>
#include <unordered_map>

// The real allocator of the C library, under the names glibc exports.
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void* __libc_memalign(size_t, size_t);
extern "C" void __libc_free(void*);

namespace {

// While recording, every allocation and release is written to a fixed array
// (no allocation inside the allocator). Afterwards the log is replayed.
struct AllocationEvent
{
    void* pointer;
    size_t size;  // bytes asked for; 0 for a release
};

constexpr size_t kMaxEvents = 1 << 20;
AllocationEvent events[kMaxEvents];
std::atomic<size_t> eventCount{0};
std::atomic<bool> recording{false};
std::atomic<bool> overflow{false};

void Record(void* pointer, size_t size)
{
    if (!recording.load(std::memory_order_relaxed) || !pointer)
        return;
    const size_t at = eventCount.fetch_add(1, std::memory_order_relaxed);
    if (at < kMaxEvents)
        events[at] = {pointer, size};
    else
        overflow = true;
}

void RecordAllocation(void* p, size_t size)
{
    Record(p, std::max<size_t>(size, 1));
}

}  // namespace

extern "C" {
void* malloc(size_t size)
{
    void* p = __libc_malloc(size);
    RecordAllocation(p, size);
    return p;
}
void* calloc(size_t count, size_t size)
{
    void* p = __libc_calloc(count, size);
    RecordAllocation(p, count * size);
    return p;
}
void* realloc(void* old, size_t size)
{
    Record(old, 0);
    void* p = __libc_realloc(old, size);
    RecordAllocation(p, size);
    return p;
}
void* memalign(size_t alignment, size_t size)
{
    void* p = __libc_memalign(alignment, size);
    RecordAllocation(p, size);
    return p;
}
void* aligned_alloc(size_t alignment, size_t size)
{
    return memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size)
{
    *out = memalign(alignment, size);
    return *out ? 0 : 12;
}
void free(void* p)
{
    Record(p, 0);
    __libc_free(p);
}
}

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int64_t kFrameRawSize = int64_t(kWidth) * kHeight * 4;

// The most bytes held at once by allocations that were released before the
// end of the log: the scratch memory of what ran while recording.
int64_t PeakScratch()
{
    const size_t count = std::min(eventCount.load(), kMaxEvents);
    std::unordered_map<void*, size_t> open;
    std::vector<size_t> releaseOf(count, SIZE_MAX);
    for (size_t i = 0; i < count; ++i) {
        if (events[i].size > 0) {
            open[events[i].pointer] = i;
        } else if (auto it = open.find(events[i].pointer); it != open.end()) {
            releaseOf[it->second] = i;
            open.erase(it);
        }
    }
    int64_t live = 0, peak = 0;
    std::vector<int64_t> delta(count + 1, 0);
    for (size_t i = 0; i < count; ++i) {
        if (events[i].size > 0 && releaseOf[i] != SIZE_MAX) {
            delta[i] += int64_t(events[i].size);
            delta[releaseOf[i]] -= int64_t(events[i].size);
        }
    }
    for (size_t i = 0; i < count; ++i) {
        live += delta[i];
        peak = std::max(peak, live);
    }
    return peak;
}

CPageFileContext Context()
{
    CPageFileContext context;
    context.rasterWidth = kWidth;
    context.rasterHeight = kHeight;
    context.framePeriod = 20000;
    context.desktopDpi = 96;
    return context;
}

// A page of `count` objects with one frame each; rawInFile stores the frames
// as raw pixels with compressed = 0, the form older pages may hold, which the
// loader has to compress.
QString MakePage(const QTemporaryDir& dir, int count, bool rawInFile)
{
    OwnedFrameList objects;
    FrameList list;
    for (int i = 0; i < count; ++i) {
        auto object = std::make_unique<CFrame>();
        object->backgroundType = kBackgroundPicture;
        CPicture frame = benchpictures::LowerThird(kWidth, kHeight, i);
        if (rawInFile) {
            CCompressedPicture raw;
            raw.SetRaw(kWidth, kHeight, std::move(frame.pixels));
            object->backgroundFrames.emplace_back(std::move(raw), 40);
            object->backgroundWidth = kWidth;
            object->backgroundHeight = kHeight;
        } else {
            object->AddBackgroundFrame(kHeight, frame, kWidth, 40);
        }
        list.push_back(object.get());
        objects.push_back(std::move(object));
    }
    const QString path = dir.filePath(rawInFile ? QStringLiteral("raw.tavrel") : QStringLiteral("page.tavrel"));
    CPageFileContext context = Context();
    WritePage(path, list, context);
    if (rawInFile) {
        // Every record: block, the default strings (46 bytes), frame header, pixels.
        QFile file(path);
        file.open(QIODevice::ReadWrite);
        for (int i = 0; i < count; ++i) {
            file.seek(256 + int64_t(i) * (512 + 46 + 64 + kFrameRawSize) + 512 + 46 + 12);
            file.write(QByteArray(4, '\0'));
        }
    }
    return path;
}

void LoadBenchmark(benchmark::State& state, int count, bool rawInFile)
{
    QTemporaryDir dir;
    const QString path = MakePage(dir, count, rawInFile);
    const int64_t fileSize = QFileInfo(path).size();
    int64_t scratch = 0;
    for (auto _ : state) {
        OwnedFrameList objects;
        CPageFileContext context = Context();
        eventCount = 0;
        recording = true;
        const int result = ReadPage(path, objects, 0, context);
        recording = false;
        if (!result || int(objects.size()) != count) {
            state.SkipWithError("page did not load");
            break;
        }
        state.PauseTiming();
        scratch = std::max(scratch, PeakScratch());
        objects.clear();
        state.ResumeTiming();
    }
    if (overflow)
        state.SkipWithError("allocation log overflowed");
    state.SetBytesProcessed(int64_t(state.iterations()) * fileSize);
    state.counters["file_MB"] = double(fileSize) / 1e6;
    state.counters["raw_MB_per_s"] =
        benchmark::Counter(double(count) * double(kFrameRawSize) * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["scratch_MB"] = double(scratch) / 1e6;
    state.counters["scratch_frames"] = double(scratch) / double(kFrameRawSize);
}

void BM_LoadPage256(benchmark::State& state)
{
    LoadBenchmark(state, 256, false);
}

// Frames stored raw: 16 objects keep the file at 133 MB.
void BM_LoadRawFramePage16(benchmark::State& state)
{
    LoadBenchmark(state, 16, true);
}

void BM_SavePage256(benchmark::State& state)
{
    QTemporaryDir dir;
    OwnedFrameList loaded;
    CPageFileContext context = Context();
    ReadPage(MakePage(dir, 256, false), loaded, 0, context);
    FrameList list;
    for (const auto& object : loaded)
        list.push_back(object.get());
    const QString path = dir.filePath(QStringLiteral("saved.tavrel"));
    int64_t fileSize = 0;
    for (auto _ : state) {
        if (!WritePage(path, list, context)) {
            state.SkipWithError("page did not save");
            break;
        }
        state.PauseTiming();
        fileSize = QFileInfo(path).size();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * fileSize);
    state.counters["file_MB"] = double(fileSize) / 1e6;
    state.counters["raw_MB_per_s"] =
        benchmark::Counter(256.0 * double(kFrameRawSize) * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_LoadPage256)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadRawFramePage16)->Unit(benchmark::kMillisecond)->UseRealTime();
// Saving syncs the file to the disk: the figure includes the disk.
BENCHMARK(BM_SavePage256)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithQt<QCoreApplication>(argc, argv);
}
