// Page-wide, group and hotkey playback.
#include "model/FrameSet.h"

#include <algorithm>

namespace {

// Runs `operation` on the objects of a snapshot that `select` picks, unless
// the output is off. Returns 1 when any operation returned 1.
template<typename Select, typename Operation>
int ForObjects(CFrameSet& page, Select select, Operation operation)
{
    if (!page.outputActive.load())
        return 0;
    FrameList list;
    page.TakeSnapshot(list);
    int result = 0;
    for (CFrame* object : list) {
        if (select(*object) && operation(*object))
            result = 1;
    }
    page.ReleaseSnapshot();
    return result;
}

// StopOutput on the objects that `select` picks: all of them leave the air
// before the first wait, so that stopping a full page waits for about one
// output frame, not one per object.
template<typename Select>
int StopObjects(CFrameSet& page, Select select)
{
    if (!page.outputActive.load())
        return 0;
    FrameList list;
    page.TakeSnapshot(list);
    int result = 0;
    for (CFrame* object : list) {
        if (select(*object) && object->BeginStopOutput())
            result = 1;
    }
    for (CFrame* object : list) {
        if (select(*object))
            object->FinishStopOutput();
    }
    page.ReleaseSnapshot();
    return result;
}

auto Everyone()
{
    return [](const CFrame&) { return true; };
}

auto GroupMembers(const QString& group, const CFrame* except)
{
    // An empty name is no group: nothing belongs to it.
    return [&group, except](const CFrame& o) { return !group.isEmpty() && &o != except && o.group == group; };
}

int Play(CFrame& o) { return o.Play(); }
int End(CFrame& o) { return o.End(); }
int TogglePauseIfPlaying(CFrame& o) { return o.playing.load() ? o.TogglePause() : 0; }

}  // namespace

int CFrameSet::PlayAllObjects()
{
    return ForObjects(*this, Everyone(), Play);
}

int CFrameSet::PauseAllObjects()
{
    return ForObjects(*this, Everyone(), TogglePauseIfPlaying);
}

int CFrameSet::EndAllObjects()
{
    return ForObjects(*this, Everyone(), End);
}

int CFrameSet::StopAllObjects()
{
    return StopObjects(*this, Everyone());
}

int CFrameSet::PlayAllObjectsExcept(const FrameList& except)
{
    const auto notListed = [&except](const CFrame& o) {
        return std::find(except.begin(), except.end(), &o) == except.end();
    };
    return ForObjects(*this, notListed, Play);
}

int CFrameSet::PlayGroup(const QString& group, const CFrame* except)
{
    return ForObjects(*this, GroupMembers(group, except), Play);
}

int CFrameSet::PauseGroup(const QString& group, const CFrame* except)
{
    return ForObjects(*this, GroupMembers(group, except), TogglePauseIfPlaying);
}

int CFrameSet::EndGroup(const QString& group, const CFrame* except)
{
    return ForObjects(*this, GroupMembers(group, except), End);
}

int CFrameSet::StopGroup(const QString& group, const CFrame* except)
{
    return StopObjects(*this, GroupMembers(group, except));
}

int CFrameSet::TogglePlayEnd(CFrame* object)
{
    // Only an object of this page (a deleted one is not listed).
    const auto isObject = [object](const CFrame& o) { return &o == object; };
    const auto playOrEnd = [this](CFrame& o) {
        const QString group = o.group;
        if (o.playing.load())
            return o.End() | EndGroup(group, &o);
        return o.Play() | PlayGroup(group, &o);
    };
    return ForObjects(*this, isObject, playOrEnd);
}

int CFrameSet::PlayOrEndByHotkey(int key)
{
    if (key <= 0 || !outputActive.load())
        return 0;  // 0 is "no hotkey"
    FrameList list;
    TakeSnapshot(list);
    const auto unbound = [key](const CFrame* o) { return o->hotkey != key; };
    list.erase(std::remove_if(list.begin(), list.end(), unbound), list.end());
    const bool anyPlaying = std::any_of(list.begin(), list.end(), [](const CFrame* o) { return o->playing.load(); });
    int result = 0;
    for (CFrame* object : list) {
        // Decided once for all of them: a hotkey never ends some and starts others.
        if (object->playing.load() == int(anyPlaying))
            result |= anyPlaying ? object->End() : object->Play();
    }
    ReleaseSnapshot();
    return result;
}
