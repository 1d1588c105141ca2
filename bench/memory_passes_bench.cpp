// Whether this machine gives memory-bound work its processor time evenly:
// two threads stream a fixed buffer again and again and time each pass on
// their own processor clocks. On a machine of its own a pass takes about
// the same time every time; where passes sometimes take many times their
// median, frames of the renderer (bound by memory traffic too) will as well,
// whatever the renderer does. Not a Google Benchmark: it runs for minutes.
//
//   tavrel_bench_memory_passes [SECONDS (240)] [MB per thread (32)]

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

volatile unsigned g_sink;

void Passes(int thread, int seconds, size_t megabytes)
{
    std::vector<unsigned> buffer(megabytes * 1024 * 1024 / sizeof(unsigned), 1u);
    std::vector<double> passMs;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        const double begun = ThreadCpuMs();
        unsigned sum = 0;
        for (size_t i = 0; i < buffer.size(); ++i)
            sum += buffer[i] * static_cast<unsigned>(i | 1);
        g_sink = sum;
        passMs.push_back(ThreadCpuMs() - begun);
    }
    std::vector<double> sorted = passMs;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    const auto over = [&](double factor) {
        return std::count_if(passMs.begin(), passMs.end(), [&](double ms) { return ms > median * factor; });
    };
    std::printf("thread %d: %zu passes of %zu MB, median %.3f ms, longest %.3f ms, over 3x the median %ld, over 5x %ld\n",
                thread, passMs.size(), megabytes, median, sorted.back(), static_cast<long>(over(3)),
                static_cast<long>(over(5)));
}

}  // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 240;
    const size_t megabytes = argc > 2 ? static_cast<size_t>(std::max(1, std::atoi(argv[2]))) : 32;
    std::thread first(Passes, 0, seconds, megabytes);
    std::thread second(Passes, 1, seconds, megabytes);
    first.join();
    second.join();
    return 0;
}
