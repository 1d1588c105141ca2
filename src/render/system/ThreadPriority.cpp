#include "render/system/ThreadPriority.h"

#include "app/Log.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr int kRealTimePriority = 10;  // low among real-time priorities: above every normal thread, below the kernel's own
constexpr int kAboveNormalNice = -5;
constexpr int kBelowNormalNice = 5;  // the distance between the text and render threads' raised values
constexpr int kTimeCriticalNice = -10;

pid_t CurrentTid()
{
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

bool SetNice(int value)
{
    errno = 0;
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(CurrentTid()), value) == 0;
}

bool SetScheduler(int policy, int priority)
{
    sched_param param{};
    param.sched_priority = priority;
    return ::pthread_setschedparam(::pthread_self(), policy, &param) == 0;
}

// RealtimeKit grants SCHED_FIFO to unprivileged threads that promise a CPU
// time limit; the limit makes a runaway real-time thread get a signal
// instead of freezing the machine.
bool AskRealtimeKit(int priority)
{
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = 200000;  // µs of CPU without a blocking call
    if (::setrlimit(RLIMIT_RTTIME, &limit) != 0)
        return false;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return false;
    QDBusInterface kit(QStringLiteral("org.freedesktop.RealtimeKit1"), QStringLiteral("/org/freedesktop/RealtimeKit1"),
                       QStringLiteral("org.freedesktop.RealtimeKit1"), bus);
    kit.setTimeout(1000);
    const QDBusReply<void> reply = kit.call(QStringLiteral("MakeThreadRealtime"),
                                            static_cast<qulonglong>(CurrentTid()), static_cast<uint>(priority));
    return reply.isValid();
}

}  // namespace

GrantedPriority SetCurrentThreadPriority(ThreadPriorityLevel level)
{
    if (level == ThreadPriorityLevel::Normal) {
        SetScheduler(SCHED_OTHER, 0);
        SetNice(0);
        return GrantedPriority::Normal;
    }
    if (level == ThreadPriorityLevel::TimeCritical) {
        if (SetScheduler(SCHED_FIFO, kRealTimePriority))
            return GrantedPriority::RealTime;
        if (AskRealtimeKit(kRealTimePriority))
            return GrantedPriority::RealtimeKit;
        WriteLog(kLogLifecycle, "SetCurrentThreadPriority(): real-time scheduling refused, trying nice %d",
                 kTimeCriticalNice);
    }
    const int nice = level == ThreadPriorityLevel::TimeCritical  ? kTimeCriticalNice
                     : level == ThreadPriorityLevel::BelowNormal ? kBelowNormalNice
                                                                 : kAboveNormalNice;
    if (SetNice(nice))
        return level == ThreadPriorityLevel::BelowNormal ? GrantedPriority::Lowered : GrantedPriority::Nice;
    WriteLog(kLogLifecycle, "SetCurrentThreadPriority(): nice %d refused: %s", nice, std::strerror(errno));
    return GrantedPriority::Normal;
}

const char* GrantedPriorityName(GrantedPriority granted)
{
    switch (granted) {
    case GrantedPriority::Normal:
        return "normal";
    case GrantedPriority::Nice:
        return "raised nice value";
    case GrantedPriority::Lowered:
        return "lowered nice value";
    case GrantedPriority::RealTime:
        return "real-time";
    case GrantedPriority::RealtimeKit:
        return "real-time (RealtimeKit)";
    }
    return "?";
}
