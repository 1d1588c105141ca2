#include "render/cpu/BandWorkers.h"

#include <algorithm>

#include <cerrno>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <time.h>

namespace {

void BandRange(int rows, int bands, int band, int* first, int* end)
{
    *first = static_cast<int>(static_cast<long long>(rows) * band / bands);
    *end = static_cast<int>(static_cast<long long>(rows) * (band + 1) / bands);
}

}  // namespace

CBandWorkers::CBandWorkers(int threads)
{
    for (int band = 1; band < std::max(threads, 1); ++band)
        workers_.emplace_back([this, band] { WorkerLoop(band); });
}

CBandWorkers::~CBandWorkers()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (auto& worker : workers_)
        worker.join();
}

int64_t CBandWorkers::WorkersCpuUs() const
{
    int64_t sum = 0;
    for (const std::thread& worker : workers_) {
        clockid_t clock{};
        timespec ran{};
        // native_handle() is not const, but only names the thread here.
        auto& thread = const_cast<std::thread&>(worker);
        if (pthread_getcpuclockid(thread.native_handle(), &clock) != 0 || clock_gettime(clock, &ran) != 0)
            return -1;
        sum += static_cast<int64_t>(ran.tv_sec) * 1000000 + ran.tv_nsec / 1000;
    }
    return sum;
}

void CBandWorkers::FollowCallerPriority()
{
    Scheduling now;
    sched_param param{};
    if (pthread_getschedparam(pthread_self(), &now.policy, &param) != 0)
        return;
    now.priority = param.sched_priority;
    errno = 0;
    now.nice = getpriority(PRIO_PROCESS, 0);  // this thread's on Linux
    if (errno != 0)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (now.policy == wanted_.policy && now.priority == wanted_.priority && now.nice == wanted_.nice)
        return;
    now.generation = wanted_.generation + 1;
    wanted_ = now;
}

void CBandWorkers::Apply(const Scheduling& scheduling)
{
    sched_param param{};
    param.sched_priority = scheduling.priority;
    pthread_setschedparam(pthread_self(), scheduling.policy, &param);
    setpriority(PRIO_PROCESS, 0, scheduling.nice);
}

void CBandWorkers::Run(int rows, const std::function<void(int, int)>& job, int minimumRows, int bandsPerThread)
{
    if (rows <= 0)
        return;
    // More bands than threads, handed out as they are asked for: when the
    // system keeps one thread off the processor, the others take its share
    // instead of waiting for it.
    const int bands = std::clamp(rows / std::max(minimumRows, 1), 1, Count() * std::max(bandsPerThread, 1));
    if (bands == 1 || Count() == 1) {
        job(0, rows);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = &job;
        rows_ = rows;
        bands_ = bands;
        nextBand_ = 0;
        bandsDone_ = 0;
        ++generation_;
    }
    wake_.notify_all();
    std::unique_lock<std::mutex> lock(mutex_);
    while (nextBand_ < bands_) {
        const int band = nextBand_++;
        lock.unlock();
        int first = 0;
        int end = 0;
        BandRange(rows, bands, band, &first, &end);
        job(first, end);
        lock.lock();
        ++bandsDone_;
    }
    done_.wait(lock, [this] { return bandsDone_ == bands_; });
    job_ = nullptr;
}

void CBandWorkers::WorkerLoop(int /*worker*/)
{
    unsigned seen = 0;
    unsigned schedulingApplied = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
        if (stop_)
            return;
        seen = generation_;
        // Bands of this job while there are any; a worker that wakes late
        // finds none, or a newer job.
        while (seen == generation_ && job_ && nextBand_ < bands_) {
            const int band = nextBand_++;
            const auto* job = job_;
            int first = 0;
            int end = 0;
            BandRange(rows_, bands_, band, &first, &end);
            const Scheduling scheduling = wanted_;
            lock.unlock();
            if (scheduling.generation != schedulingApplied) {
                Apply(scheduling);
                schedulingApplied = scheduling.generation;
            }
            (*job)(first, end);
            lock.lock();
            if (++bandsDone_ == bands_)
                done_.notify_one();
        }
    }
}
