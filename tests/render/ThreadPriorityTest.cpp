#include "render/system/ThreadPriority.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

namespace {

// Whatever the system grants, the thread keeps running, and going back to
// normal leaves it as a fresh thread would be.
TEST(ThreadPriority, RaisedAndBackToNormal)
{
    for (ThreadPriorityLevel level : {ThreadPriorityLevel::TimeCritical, ThreadPriorityLevel::AboveNormal}) {
        std::thread worker([level] {
            const GrantedPriority granted = SetCurrentThreadPriority(level);
            int policy = 0;
            sched_param param{};
            pthread_getschedparam(pthread_self(), &policy, &param);
            if (granted == GrantedPriority::RealTime || granted == GrantedPriority::RealtimeKit) {
                EXPECT_EQ(policy, SCHED_FIFO);
            }
            if (granted == GrantedPriority::Nice) {
                EXPECT_LT(getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid))), 0);
            }
            EXPECT_EQ(SetCurrentThreadPriority(ThreadPriorityLevel::Normal), GrantedPriority::Normal);
            pthread_getschedparam(pthread_self(), &policy, &param);
            EXPECT_EQ(policy, SCHED_OTHER);
            EXPECT_NE(GrantedPriorityName(granted), nullptr);
        });
        worker.join();
    }
}

// Lowering needs no privilege: a text thread beside a render thread kept at
// normal priority always ends up below it.
TEST(ThreadPriority, BelowNormalIsAlwaysGranted)
{
    std::thread worker([] {
        EXPECT_EQ(SetCurrentThreadPriority(ThreadPriorityLevel::BelowNormal), GrantedPriority::Lowered);
        EXPECT_GT(getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid))), 0);
        int policy = 0;
        sched_param param{};
        pthread_getschedparam(pthread_self(), &policy, &param);
        EXPECT_EQ(policy, SCHED_OTHER);
    });
    worker.join();
}

}  // namespace
