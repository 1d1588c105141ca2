#pragma once

#include <sys/types.h>

#include <cstdint>
#include <vector>

// How long this process's threads, all but one, have waited for a processor:
// runnable but not running, as the kernel counts it per thread (the second
// field of /proc/self/task/TID/schedstat). Another thread can delay a
// frame only while the threads that draw it wait so. Linux only; where the
// counters cannot be read the figure is unknown.
class CProcessorWaits
{
public:
    CProcessorWaits() = default;
    ~CProcessorWaits();
    CProcessorWaits(const CProcessorWaits&) = delete;
    CProcessorWaits& operator=(const CProcessorWaits&) = delete;

    // Opens the counters of the threads running now, leaving out
    // excludedTid. Threads started later are not counted.
    void Open(pid_t excludedTid);
    bool IsOpen() const { return open_; }

    // The sum of their waits so far, in µs; -1 when none could be read. A
    // thread that has ended keeps the last wait read from it.
    int64_t WaitedUs();

private:
    struct Counter
    {
        int fd = -1;
        int64_t lastNs = 0;
        bool read = false;
    };
    std::vector<Counter> counters_;
    bool open_ = false;
};
