#include "render/system/MachineTime.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

CMachineTime::CMachineTime() : fd_(::open("/proc/stat", O_RDONLY | O_CLOEXEC))
{
    const long ticks = ::sysconf(_SC_CLK_TCK);
    if (ticks > 0)
        ticksPerSecond_ = ticks;
}

CMachineTime::~CMachineTime()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int64_t CMachineTime::InterruptsAndStolenUs()
{
    if (fd_ < 0)
        return -1;
    // The first line is all that is needed; the file is made anew for each read.
    char text[256];
    const ssize_t got = ::pread(fd_, text, sizeof text - 1, 0);
    if (got <= 0)
        return -1;
    text[got] = '\0';
    return ParseInterruptsAndStolenUs(text, ticksPerSecond_);
}

int64_t CMachineTime::ParseInterruptsAndStolenUs(const char* statText, long ticksPerSecond)
{
    // "cpu  user nice system idle iowait irq softirq steal guest guest_nice"
    if (std::strncmp(statText, "cpu ", 4) != 0 || ticksPerSecond <= 0)
        return -1;
    const char* at = statText + 4;
    long long fields[8] = {};
    for (long long& field : fields) {
        char* end = nullptr;
        field = std::strtoll(at, &end, 10);
        if (end == at || field < 0)
            return -1;
        at = end;
    }
    const long long ticks = fields[5] + fields[6] + fields[7];  // irq, softirq, steal
    return ticks * 1000000 / ticksPerSecond;
}
