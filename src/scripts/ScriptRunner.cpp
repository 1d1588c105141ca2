#include "scripts/ScriptRunner.h"

#include "app/Log.h"
#include "content/PagePlayback.h"
#include "model/FrameSet.h"

namespace {

// Whether a live object of the group (empty: any) is playing.
bool AnyPlaying(CFrameSet& page, const QString& group)
{
    FrameList list;
    page.TakeSnapshot(list);
    bool playing = false;
    for (const CFrame* object : list) {
        if ((group.isEmpty() || object->group == group) && object->playing.load()) {
            playing = true;
            break;
        }
    }
    page.ReleaseSnapshot();
    return playing;
}

}  // namespace

int CScriptRunner::Start(const CFrameScript& script, bool runCondition, const IScriptClock& clock)
{
    if (scriptRunning || script.items.empty() || !runCondition)
        return 0;
    WriteLog(kLogLifecycle, "CMainDoc::ScriptStart()");
    scriptRunning = 1;
    scriptStep = 0;
    stepStartTick = clock.TickCount();
    return 1;
}

int CScriptRunner::Stop()
{
    if (!scriptRunning)
        return 0;
    WriteLog(kLogLifecycle, "CMainDoc::ScriptStop()");
    scriptRunning = 0;
    return 1;
}

void CScriptRunner::StopAndReport(IScriptTarget& target)
{
    if (Stop())
        target.ScriptStatusUpdate();
}

bool CScriptRunner::PerformStep(const CFrameScriptItem& item, IScriptTarget& target, const IScriptClock& clock)
{
    CFrameSet& page = target.ScriptPage();
    const QString& group = item.sdata;
    switch (item.type) {
    case CFrameScriptItem::kLoadPage:
        target.ScriptMergePage(item.sdata, 1);
        return true;
    case CFrameScriptItem::kAddPage:
        target.ScriptMergePage(item.sdata, 0);
        return true;
    case CFrameScriptItem::kPlay:
        group.isEmpty() ? CPagePlayback(page).PlayAllObjects() : CPagePlayback(page).PlayGroup(group, nullptr);
        return true;
    case CFrameScriptItem::kPause:
        group.isEmpty() ? CPagePlayback(page).PauseAllObjects() : CPagePlayback(page).PauseGroup(group, nullptr);
        return true;
    case CFrameScriptItem::kEnd:
        group.isEmpty() ? CPagePlayback(page).EndAllObjects() : CPagePlayback(page).EndGroup(group, nullptr);
        return true;
    case CFrameScriptItem::kStop:
        group.isEmpty() ? CPagePlayback(page).StopAllObjects() : CPagePlayback(page).StopGroup(group, nullptr);
        return true;
    case CFrameScriptItem::kDelete:
        target.ScriptDeleteObjects(group);
        return true;
    case CFrameScriptItem::kWaitEnd:
        return !AnyPlaying(page, group);
    case CFrameScriptItem::kWaitPeriod: {
        // A hand-written negative wait counts as none; the product is taken
        // in 64 bits so that long waits do not wrap into short ones.
        const int64_t wanted = item.idata > 0 ? int64_t(item.idata) * 1000 : 0;
        const uint32_t passed = clock.TickCount() - stepStartTick;
        return int64_t(passed) >= wanted;
    }
    case CFrameScriptItem::kWaitUntil:
        return clock.LocalTime().SecondOfDay() == item.idata;
    default:
        return true;  // the reader admits no other type; skip rather than hold
    }
}

void CScriptRunner::Process(const CFrameScript& script, IScriptTarget& target, const IScriptClock& clock)
{
    if (!scriptRunning)
        return;
    int advanced = 0;
    for (;;) {
        if (!target.ScriptRunCondition()) {
            StopAndReport(target);
            return;
        }
        const int count = static_cast<int>(script.items.size());
        if (scriptStep < 0 || scriptStep >= count) {
            // The script was emptied or shortened under the runner.
            StopAndReport(target);
            return;
        }
        const CFrameScriptItem& item = script.items[static_cast<size_t>(scriptStep)];
        WriteLog(kLogLifecycle, "CMainDoc::ScriptProcessing(%d): %d", scriptStep, item.type);
        const bool done = PerformStep(item, target, clock);
        if (!done)
            return;  // the same step is examined again at the next tick
        int next = scriptStep + 1;
        ++advanced;
        // A step may have shown a message box whose nested ticks stopped
        // the script or changed it; count against what the script is now.
        const int countNow = static_cast<int>(script.items.size());
        if (next >= countNow) {
            if (script.loop && countNow > 0) {
                next = 0;
            } else {
                StopAndReport(target);
                return;
            }
        }
        if (advanced > countNow) {
            StopAndReport(target);
            return;
        }
        scriptStep = next;
        stepStartTick = clock.TickCount();
        target.ScriptStatusUpdate();
        if (!scriptRunning)
            return;
    }
}
