#pragma once

// Priorities of the output's threads. The render thread asks for real-time
// scheduling (directly, or through RealtimeKit on the system bus), the text
// thread for a raised nice value; where the system refuses, the thread keeps
// running at normal priority and the refusal is logged, never fatal.

enum class ThreadPriorityLevel
{
    Normal,
    BelowNormal,   // text thread beside a render thread kept at normal priority
    AboveNormal,   // text thread
    TimeCritical,  // render thread
};

// What the system granted.
enum class GrantedPriority
{
    Normal,
    Nice,       // a raised nice value
    Lowered,    // a lowered one
    RealTime,   // SCHED_FIFO, directly
    RealtimeKit // SCHED_FIFO, granted by RealtimeKit
};

// Applies to the calling thread.
GrantedPriority SetCurrentThreadPriority(ThreadPriorityLevel level);

const char* GrantedPriorityName(GrantedPriority granted);
