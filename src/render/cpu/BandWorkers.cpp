#include "render/cpu/BandWorkers.h"

#include <algorithm>

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

void CBandWorkers::Run(int rows, const std::function<void(int, int)>& job, int minimumRows)
{
    if (rows <= 0)
        return;
    const int bands = std::clamp(rows / std::max(minimumRows, 1), 1, Count());
    if (bands == 1) {
        job(0, rows);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = &job;
        rows_ = rows;
        bands_ = bands;
        pending_ = bands - 1;
        ++generation_;
    }
    wake_.notify_all();
    int first = 0;
    int end = 0;
    BandRange(rows, bands, 0, &first, &end);
    job(first, end);
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return pending_ == 0; });
    job_ = nullptr;
}

void CBandWorkers::WorkerLoop(int band)
{
    unsigned seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
        if (stop_)
            return;
        seen = generation_;
        if (band >= bands_)
            continue;
        const auto* job = job_;
        int first = 0;
        int end = 0;
        BandRange(rows_, bands_, band, &first, &end);
        lock.unlock();
        (*job)(first, end);
        lock.lock();
        if (--pending_ == 0)
            done_.notify_one();
    }
}
