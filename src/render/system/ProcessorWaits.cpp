#include "render/system/ProcessorWaits.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

CProcessorWaits::~CProcessorWaits()
{
    for (const Counter& counter : counters_)
        ::close(counter.fd);
}

void CProcessorWaits::Open(pid_t excludedTid)
{
    open_ = true;
    DIR* tasks = ::opendir("/proc/self/task");
    if (!tasks)
        return;
    while (const dirent* entry = ::readdir(tasks)) {
        const pid_t tid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (tid <= 0 || tid == excludedTid)
            continue;
        const std::string path = std::string("/proc/self/task/") + entry->d_name + "/schedstat";
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0)
            counters_.push_back({fd, 0, false});
    }
    ::closedir(tasks);
}

int64_t CProcessorWaits::WaitedUs()
{
    int64_t totalNs = 0;
    bool anyRead = false;
    for (Counter& counter : counters_) {
        // "time on a processor, time waiting for one, time slices", in ns.
        char text[96];
        const ssize_t length = ::pread(counter.fd, text, sizeof text - 1, 0);
        if (length > 0) {
            text[length] = '\0';
            char* end = nullptr;
            std::strtoll(text, &end, 10);
            const long long waitedNs = std::strtoll(end, nullptr, 10);
            if (end != text && waitedNs >= counter.lastNs) {
                counter.lastNs = waitedNs;
                counter.read = true;
            }
        }
        totalNs += counter.lastNs;
        anyRead = anyRead || counter.read;
    }
    return anyRead ? totalNs / 1000 : -1;
}
