// Page-wide, group and hotkey playback.
#include "content/PagePlayback.h"

#include "content/FramePlayer.h"

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

int Play(CFrame& o) { return CFramePlayer(o).Play(); }
int End(CFrame& o) { return CFramePlayer(o).End(); }
int TogglePauseIfPlaying(CFrame& o) { return o.playing.load() ? CFramePlayer(o).TogglePause() : 0; }

}  // namespace

int CPagePlayback::PlayAllObjects()
{
    return ForObjects(page_, Everyone(), Play);
}

int CPagePlayback::PauseAllObjects()
{
    return ForObjects(page_, Everyone(), TogglePauseIfPlaying);
}

int CPagePlayback::EndAllObjects()
{
    return ForObjects(page_, Everyone(), End);
}

int CPagePlayback::StopAllObjects()
{
    return StopObjects(page_, Everyone());
}

int CPagePlayback::PlayAllObjectsExcept(const FrameList& except)
{
    const auto notListed = [&except](const CFrame& o) {
        return std::find(except.begin(), except.end(), &o) == except.end();
    };
    return ForObjects(page_, notListed, Play);
}

int CPagePlayback::PlayGroup(const QString& group, const CFrame* except)
{
    return ForObjects(page_, GroupMembers(group, except), Play);
}

int CPagePlayback::PauseGroup(const QString& group, const CFrame* except)
{
    return ForObjects(page_, GroupMembers(group, except), TogglePauseIfPlaying);
}

int CPagePlayback::EndGroup(const QString& group, const CFrame* except)
{
    return ForObjects(page_, GroupMembers(group, except), End);
}

int CPagePlayback::StopGroup(const QString& group, const CFrame* except)
{
    return StopObjects(page_, GroupMembers(group, except));
}

int CPagePlayback::TogglePlayEnd(CFrame* object)
{
    // Only an object of this page (a deleted one is not listed).
    const auto isObject = [object](const CFrame& o) { return &o == object; };
    const auto playOrEnd = [this](CFrame& o) {
        const QString group = o.group;
        if (o.playing.load())
            return End(o) | EndGroup(group, &o);
        return Play(o) | PlayGroup(group, &o);
    };
    return ForObjects(page_, isObject, playOrEnd);
}

int CPagePlayback::PlayOrEndByHotkey(int key)
{
    if (key <= 0 || !page_.outputActive.load())
        return 0;  // 0 is "no hotkey"
    FrameList list;
    page_.TakeSnapshot(list);
    const auto unbound = [key](const CFrame* o) { return o->hotkey != key; };
    list.erase(std::remove_if(list.begin(), list.end(), unbound), list.end());
    const bool anyPlaying = std::any_of(list.begin(), list.end(), [](const CFrame* o) { return o->playing.load(); });
    int result = 0;
    for (CFrame* object : list) {
        // Decided once for all of them: a hotkey never ends some and starts others.
        if (object->playing.load() == int(anyPlaying))
            result |= anyPlaying ? End(*object) : Play(*object);
    }
    page_.ReleaseSnapshot();
    return result;
}
