#pragma once

#include <cstdint>

// The time the machine spent on others than the threads it ran: in interrupt
// handlers and taken by the hypervisor (stolen), over all processors, as the
// kernel counts it in /proc/stat (in ticks of 10 ms). Where interrupt time is
// not accounted apart, the kernel charges it to the thread it interrupted,
// so a thread's own processor time can include it; this tells such frames
// from ones in which the thread itself had more to do. Linux only; -1 where
// it cannot be read.
class CMachineTime
{
public:
    CMachineTime();
    ~CMachineTime();
    CMachineTime(const CMachineTime&) = delete;
    CMachineTime& operator=(const CMachineTime&) = delete;

    // Interrupts (hard and soft) and stolen time so far, in µs.
    int64_t InterruptsAndStolenUs();

    // Reads the "cpu" line of /proc/stat; -1 when it is not one.
    static int64_t ParseInterruptsAndStolenUs(const char* statText, long ticksPerSecond);

private:
    int fd_ = -1;
    long ticksPerSecond_ = 100;
};
