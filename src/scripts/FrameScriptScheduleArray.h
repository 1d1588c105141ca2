#pragma once

#include "scripts/FrameScriptSchedule.h"
#include "scripts/HotkeyNames.h"

#include "app/SettingsStore.h"

#include <vector>

// A hotkey the automation registers with the system: the entry index is the
// identifier the system hands back when the combination is pressed.
struct GlobalHotkeyRegistration
{
    int id = 0;      // entry index, 1 and above
    int hotkey = 0;  // 1..20
    HotkeyKey key;

    friend bool operator==(const GlobalHotkeyRegistration& a, const GlobalHotkeyRegistration& b)
    {
        return a.id == b.id && a.hotkey == b.hotkey && a.key.alt == b.key.alt && a.key.digit == b.key.digit;
    }
};

// The automation list. Entry 0 is the start-up entry: only its file is used,
// it is never removed and its triggers are never examined. Entries 1 and
// above carry triggers; where several match, the lowest index wins. The list
// always holds at least the start-up entry. Copies are independent (the
// automation dialog edits a copy).
class CFrameScriptScheduleArray
{
public:
    static constexpr int kStartupEntry = 0;
    // The most entries a list holds, the start-up entry included.
    static constexpr int kMaxEntries = 1000;

    // A list holding only a default start-up entry.
    CFrameScriptScheduleArray();

    int Count() const { return static_cast<int>(entries_.size()); }
    const CFrameScriptSchedule& At(int index) const { return entries_.at(static_cast<size_t>(index)); }
    CFrameScriptSchedule& At(int index) { return entries_.at(static_cast<size_t>(index)); }
    // Appends an entry; false (and no change) when the list is full.
    bool Add(const CFrameScriptSchedule& entry);
    // Removes a triggered entry; the start-up entry and indices out of range
    // are refused (false).
    bool Remove(int index);

    // Reads the list from sections "ScriptAction" and "Item_%d". Values of
    // hotkeys outside 0..20 read as no hotkey. Without stored entries the
    // list holds one default start-up entry. A damaged "Total" reads no more
    // than kMaxEntries, and no entry after the first one whose section holds
    // none of its values (the start-up entry is always read); what is
    // ignored is logged.
    void LoadFromSettings(const ISettingsStore& store = Settings());
    // Writes "Total" and every entry. Sections of higher indices left from a
    // longer earlier list stay and are not read.
    void SaveToSettings(ISettingsStore& store = Settings()) const;

    // The first entry from index 1 upward whose time trigger is due in the
    // second of now, or -1.
    int FindTimeTrigger(const ScheduleTime& now) const;
    // One tick of the time triggers: a second already examined
    // (lastScheduleSecond) yields -1; otherwise lastScheduleSecond becomes
    // the second of now and the result is FindTimeTrigger(now). A second in
    // which no tick runs is never examined.
    int CheckTimeTriggers(const ScheduleTime& now, int& lastScheduleSecond) const;

    // The first entry from index 1 upward with this hotkey, or -1 (object
    // hotkeys that no object answered fall through to the automation).
    int FindHotkey(int hotkey) const;
    // The hotkeys to register with the system: entries from index 1 upward
    // with a hotkey and global set.
    std::vector<GlobalHotkeyRegistration> GlobalHotkeys() const;
    // The identifiers to unregister: every entry from index 1 upward with a
    // hotkey, whether or not its registration succeeded.
    std::vector<int> HotkeyEntryIds() const;

    friend bool operator==(const CFrameScriptScheduleArray&, const CFrameScriptScheduleArray&) = default;

private:
    std::vector<CFrameScriptSchedule> entries_;
};
