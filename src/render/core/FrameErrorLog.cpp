#include "render/core/FrameErrorLog.h"

int CFrameErrorLog::Note(Clock::time_point now)
{
    ++heldBack_;
    if (anyLine_ && now - lastLine_ < kInterval)
        return 0;
    anyLine_ = true;
    lastLine_ = now;
    return TakeHeldBack();
}

int CFrameErrorLog::TakeHeldBack()
{
    const int count = heldBack_;
    heldBack_ = 0;
    return count;
}
