#pragma once

#include "scripts/FrameScript.h"
#include "scripts/ScriptClock.h"

#include <cstdint>

class CFrameSet;

// What a running script acts on. The document is the target in the program;
// an off-line render loop can be one too (its run condition always holds).
class IScriptTarget
{
public:
    virtual ~IScriptTarget() = default;

    // The page is not modified, the output (or the preview) is on and no
    // dialog, message box or menu of the main window is open.
    virtual bool ScriptRunCondition() = 0;
    virtual CFrameSet& ScriptPage() = 0;
    // Puts the objects of a page file onto the page: replaceAll 1 replaces
    // every object, 0 keeps the playing and locked ones. A file that cannot
    // be read is reported by the target and leaves the page as it was.
    virtual void ScriptMergePage(const QString& path, int replaceAll) = 0;
    // Stops and deletes the objects of a group (empty: all), then leaves the
    // page untitled and not modified.
    virtual void ScriptDeleteObjects(const QString& group) = 0;
    // The runner's state changed (started, stopped, moved to another step).
    virtual void ScriptStatusUpdate() = 0;
};

// The script runner: performs the steps of a script in order, holds at wait
// steps until their condition is met and starts again at the top when the
// script loops. Process is called on every tick of the interface timer (or
// of an off-line render loop); instant steps run back to back within one
// tick, and one tick advances at most the number of steps plus one, so a
// looping script that never waits stops instead of hanging the thread.
class CScriptRunner
{
public:
    int scriptRunning = 0;      // 1 while the runner is active
    int scriptStep = 0;         // index of the current step
    uint32_t stepStartTick = 0; // tick count when the current step became current

    // Starts the script from its first step (performed by the next Process)
    // when none is running, it has steps and runCondition holds. Returns 1
    // when it started.
    int Start(const CFrameScript& script, bool runCondition, const IScriptClock& clock);
    // Stops a running script (1), or does nothing (0). scriptStep keeps its
    // value; the next start begins at the first step again.
    int Stop();
    // One tick: advances the running script as far as it can.
    void Process(const CFrameScript& script, IScriptTarget& target, const IScriptClock& clock);

private:
    // Performs one step; returns whether it is over (wait steps hold).
    bool PerformStep(const CFrameScriptItem& item, IScriptTarget& target, const IScriptClock& clock);
    void StopAndReport(IScriptTarget& target);
};
