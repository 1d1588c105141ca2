#pragma once

#include "content/PagePlayback.h"
#include "model/FrameSet.h"

#include <QString>

// Playback of the whole page, a group, a double-clicked object or a hotkey,
// as the operator's commands, scripts and automation ask for it.
class CPagePlayback
{
public:
    explicit CPagePlayback(CFrameSet& page) : page_(page) {}

    // Each works on a snapshot, does nothing while outputActive
    // is 0, and returns 1 when at least one object operation returned 1.
    // Group operations do nothing for an empty group name and leave out
    // `except`; names compare exactly.
    int PlayAllObjects();
    int PauseAllObjects();
    int EndAllObjects();
    int StopAllObjects();
    int PlayAllObjectsExcept(const FrameList& except);
    int PlayGroup(const QString& group, const CFrame* except);
    int PauseGroup(const QString& group, const CFrame* except);
    int EndGroup(const QString& group, const CFrame* except);
    int StopGroup(const QString& group, const CFrame* except);
    // Double click: ends a playing object with its group, else plays them.
    int TogglePlayEnd(CFrame* object);
    // Ends the playing objects with this hotkey when any plays, else plays them all.
    int PlayOrEndByHotkey(int key);

private:
    CFrameSet& page_;
};
