#include "scripts/FrameScriptScheduleArray.h"

#include "app/Log.h"
#include "app/SettingsRegister.h"

#include <algorithm>
#include <climits>

namespace {

// The entry values after "File", in the order they are written.
struct IntValue
{
    const char* name;
    int CFrameScriptSchedule::* member;
    int ScheduleTime::* timeMember;
};

constexpr IntValue kIntValues[] = {
    {settings::kItemHotkey, &CFrameScriptSchedule::hotkey, nullptr},
    {settings::kItemGlobal, &CFrameScriptSchedule::global, nullptr},
    {settings::kItemRemote, &CFrameScriptSchedule::remote, nullptr},
    {settings::kItemPlayOnTime, &CFrameScriptSchedule::playOnTime, nullptr},
    {settings::kItemPlayOnce, &CFrameScriptSchedule::playOnce, nullptr},
    {settings::kItemWeekdays, &CFrameScriptSchedule::weekdays, nullptr},
    {settings::kItemHour, nullptr, &ScheduleTime::hour},
    {settings::kItemMinute, nullptr, &ScheduleTime::minute},
    {settings::kItemSecond, nullptr, &ScheduleTime::second},
    {settings::kItemYear, nullptr, &ScheduleTime::year},
    {settings::kItemMonth, nullptr, &ScheduleTime::month},
    {settings::kItemDay, nullptr, &ScheduleTime::day},
};

int& ValueOf(CFrameScriptSchedule& entry, const IntValue& value)
{
    return value.member != nullptr ? entry.*value.member : entry.startTime.*value.timeMember;
}

const int& ValueOf(const CFrameScriptSchedule& entry, const IntValue& value)
{
    return value.member != nullptr ? entry.*value.member : entry.startTime.*value.timeMember;
}

bool ValidHotkey(int hotkey) { return hotkey >= 0 && hotkey <= CFrameScriptSchedule::kMaxHotkey; }

// Read as defaults, these tell a value that is not stored from one that is.
const QString kNoFile = QStringLiteral("\x01");
constexpr int kNoValue = INT_MIN;

// Entry `index` from its section; false when the section holds none of the
// entry's values.
bool ReadEntry(const ISettingsStore& store, int index, CFrameScriptSchedule& entry)
{
    const QString section = settings::AutomationItemSection(index);
    bool stored = false;
    entry.file = store.ReadString(section, QLatin1String(settings::kItemFile), kNoFile);
    if (entry.file == kNoFile)
        entry.file.clear();
    else
        stored = true;
    for (const IntValue& value : kIntValues) {
        const int read = store.ReadInt(section, QLatin1String(value.name), kNoValue);
        stored = stored || read != kNoValue;
        ValueOf(entry, value) = read != kNoValue ? read : 0;
    }
    // A damaged hotkey number would register some other key combination.
    if (!ValidHotkey(entry.hotkey))
        entry.hotkey = 0;
    return stored;
}

}  // namespace

CFrameScriptScheduleArray::CFrameScriptScheduleArray()
    : entries_(1)
{
}

bool CFrameScriptScheduleArray::Add(const CFrameScriptSchedule& entry)
{
    if (Count() >= kMaxEntries)
        return false;
    entries_.push_back(entry);
    return true;
}

bool CFrameScriptScheduleArray::Remove(int index)
{
    if (index <= kStartupEntry || index >= Count())
        return false;
    entries_.erase(entries_.begin() + index);
    return true;
}

void CFrameScriptScheduleArray::LoadFromSettings(const ISettingsStore& store)
{
    entries_.clear();
    // A damaged total must not make start-up read (and hold) entries that
    // were never written.
    const int total = Read(settings::kScriptActionTotal, store);
    const ScheduleTime now = ScheduleTime::Now();
    for (int i = 0; i < std::min(total, kMaxEntries); ++i) {
        CFrameScriptSchedule entry(now);
        // The start-up entry is there even with none of its values stored.
        if (!ReadEntry(store, i, entry) && i > kStartupEntry)
            break;
        entries_.push_back(std::move(entry));
    }
    if (total > Count())
        WriteLog(kLogFailure,
                 "CFrameScriptScheduleArray::LoadFromSettings(): Total = %d, but %d entries read (at most %d, up to "
                 "the first missing section); the rest is ignored",
                 total, Count(), kMaxEntries);
    if (entries_.empty())
        entries_.emplace_back(now);
}

void CFrameScriptScheduleArray::SaveToSettings(ISettingsStore& store) const
{
    Write(settings::kScriptActionTotal, Count(), store);
    for (int i = 0; i < Count(); ++i) {
        const QString section = settings::AutomationItemSection(i);
        const CFrameScriptSchedule& entry = entries_[static_cast<size_t>(i)];
        store.WriteString(section, QLatin1String(settings::kItemFile), entry.file);
        for (const IntValue& value : kIntValues)
            store.WriteInt(section, QLatin1String(value.name), ValueOf(entry, value));
    }
    store.Flush();
}

int CFrameScriptScheduleArray::FindTimeTrigger(const ScheduleTime& now) const
{
    for (int i = kStartupEntry + 1; i < Count(); ++i) {
        if (entries_[static_cast<size_t>(i)].MatchesTime(now))
            return i;
    }
    return -1;
}

int CFrameScriptScheduleArray::CheckTimeTriggers(const ScheduleTime& now, int& lastScheduleSecond) const
{
    const int second = now.SecondOfDay();
    if (second == lastScheduleSecond)
        return -1;
    lastScheduleSecond = second;
    return FindTimeTrigger(now);
}

int CFrameScriptScheduleArray::FindHotkey(int hotkey) const
{
    if (hotkey == 0)
        return -1;
    for (int i = kStartupEntry + 1; i < Count(); ++i) {
        if (entries_[static_cast<size_t>(i)].hotkey == hotkey)
            return i;
    }
    return -1;
}

std::vector<GlobalHotkeyRegistration> CFrameScriptScheduleArray::GlobalHotkeys() const
{
    std::vector<GlobalHotkeyRegistration> hotkeys;
    for (int i = kStartupEntry + 1; i < Count(); ++i) {
        const CFrameScriptSchedule& entry = entries_[static_cast<size_t>(i)];
        if (entry.hotkey != 0 && entry.global == 1 && ValidHotkey(entry.hotkey))
            hotkeys.push_back({i, entry.hotkey, HotkeyKeyOf(entry.hotkey)});
    }
    return hotkeys;
}

std::vector<int> CFrameScriptScheduleArray::HotkeyEntryIds() const
{
    std::vector<int> ids;
    for (int i = kStartupEntry + 1; i < Count(); ++i) {
        if (entries_[static_cast<size_t>(i)].hotkey != 0)
            ids.push_back(i);
    }
    return ids;
}
