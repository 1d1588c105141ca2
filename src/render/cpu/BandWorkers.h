#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Splits row-wise work across the processor's cores: the rows are cut into a
// few bands per thread, which the calling thread and the workers take one at
// a time until none is left; Run returns when all bands are done. The
// workers sleep between jobs.
class CBandWorkers
{
public:
    // threads: bands per job, including the caller's; at least 1.
    explicit CBandWorkers(int threads);
    ~CBandWorkers();
    CBandWorkers(const CBandWorkers&) = delete;
    CBandWorkers& operator=(const CBandWorkers&) = delete;

    static constexpr int kBandsPerThread = 4;

    int Count() const { return static_cast<int>(workers_.size()) + 1; }

    // Gives the workers the scheduling policy, priority and nice value of
    // the calling thread (the render thread raises its own), so that it never
    // waits for a worker that a lower-priority thread keeps off the
    // processor. Each worker applies it before its next band; a refusal of
    // the system is ignored.
    void FollowCallerPriority();

    // Calls job(first, end) for consecutive bands of [0, rows). Jobs of fewer
    // than minimumRows rows per band run on the caller alone, since waking a
    // thread costs more than they do. bandsPerThread (default
    // kBandsPerThread) bounds how finely the rows are cut.
    void Run(int rows, const std::function<void(int, int)>& job, int minimumRows = 16, int bandsPerThread = kBandsPerThread);

    // The processor time the workers (not the caller) have had, in µs, from
    // their own clocks; 0 without workers, -1 where a clock cannot be read.
    int64_t WorkersCpuUs() const;

private:
    // The scheduling the workers should have; generation counts changes.
    struct Scheduling
    {
        int policy = 0;
        int priority = 0;
        int nice = 0;
        unsigned generation = 0;
    };

    void WorkerLoop(int band);
    static void Apply(const Scheduling& scheduling);

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    const std::function<void(int, int)>* job_ = nullptr;
    int rows_ = 0;
    int bands_ = 0;
    int nextBand_ = 0;   // the next band to hand out
    int bandsDone_ = 0;
    unsigned generation_ = 0;
    bool stop_ = false;
    Scheduling wanted_;
};
