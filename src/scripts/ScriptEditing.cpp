#include "scripts/ScriptEditing.h"

#include "app/StringTable.h"
#include "scripts/HotkeyNames.h"

namespace {

constexpr int kDefaultPause = 10;       // seconds
constexpr int kDefaultWaitUntil = 43200;  // 12:00:00
constexpr int kOnStartupText = 10655;

}  // namespace

CFrameScriptItem NewScriptStep(int type)
{
    CFrameScriptItem item;
    item.type = type;
    if (type == CFrameScriptItem::kWaitPeriod)
        item.idata = kDefaultPause;
    else if (type == CFrameScriptItem::kWaitUntil)
        item.idata = kDefaultWaitUntil;
    return item;
}

QString ScriptStepText(int index, const CFrameScriptItem& item)
{
    return QString::asprintf(" %d. ", index + 1) + CFrameScript::Describe(item);
}

QString ScriptTimeText(int seconds)
{
    if (seconds < 3600)
        return QString::asprintf("%d:%02d", seconds / 60, seconds % 60);
    return QString::asprintf("%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

std::vector<QString> ScriptTimeColumn(const CFrameScript& script)
{
    std::vector<QString> column;
    long long sum = 0;
    long long shown = 0;  // nothing is shown for a sum of 0 at the top
    for (const CFrameScriptItem& item : script.items) {
        if (sum != shown) {
            column.push_back(ScriptTimeText(static_cast<int>(std::min<long long>(sum, INT32_MAX))));
            shown = sum;
        } else {
            column.emplace_back();
        }
        if (item.type == CFrameScriptItem::kWaitPeriod)
            sum += item.idata;
    }
    return column;
}

void CScriptEditModel::AddStep(const CFrameScriptItem& item)
{
    script_.Append(item);
    selected_ = script_.Count() - 1;
    modified_ = true;
}

bool CScriptEditModel::EditSelected(const QString& sdata, int idata)
{
    if (!script_.Replace(selected_, sdata, idata))
        return false;
    modified_ = true;
    return true;
}

void CScriptEditModel::DeleteSelected()
{
    if (!script_.Remove(selected_))
        return;
    modified_ = true;
    if (selected_ >= script_.Count())
        selected_ = script_.Count() - 1;
}

void CScriptEditModel::MoveSelectedUp()
{
    if (CanMoveUp() && script_.MoveUp(selected_)) {
        --selected_;
        modified_ = true;
    }
}

void CScriptEditModel::MoveSelectedDown()
{
    if (CanMoveDown() && script_.MoveDown(selected_)) {
        ++selected_;
        modified_ = true;
    }
}

void CScriptEditModel::SetLoop(bool loop)
{
    const int value = loop ? 1 : 0;
    if (value == script_.loop)
        return;
    script_.loop = value;
    if (script_.Count() > 0)
        modified_ = true;
}

void CScriptEditModel::Clear()
{
    script_.Clear();
    selected_ = -1;
    modified_ = false;
}

bool CScriptEditModel::Load(const QString& path)
{
    const bool loaded = script_.LoadFile(path);
    selected_ = -1;
    modified_ = false;
    return loaded;
}

bool CScriptEditModel::Save(const QString& path)
{
    if (!script_.SaveFile(path))
        return false;
    modified_ = false;
    return true;
}

QString AutomationTriggerText(const CFrameScriptSchedule& entry, int index, TriggerIcon* icon)
{
    TriggerIcon kind = TriggerIcon::None;
    QString text;
    if (index == CFrameScriptScheduleArray::kStartupEntry) {
        if (icon != nullptr)
            *icon = entry.file.isEmpty() ? TriggerIcon::None : TriggerIcon::Startup;
        return LoadText(kOnStartupText);
    }
    if (entry.playOnTime) {
        const ScheduleTime& t = entry.startTime;
        text = QString::asprintf("[%02d:%02d:%02d]", t.hour, t.minute, t.second);
        if (entry.playOnce) {
            text += QString::asprintf("[%02d.%02d.%04d]", t.day, t.month, t.year);
        } else {
            text += QLatin1Char('[');
            for (int day = 0; day < 7; ++day)
                text += (entry.weekdays & (1 << day)) ? QChar(u'1' + day) : QChar(u'-');
            text += QLatin1Char(']');
        }
        kind = TriggerIcon::Time;
    }
    if (entry.hotkey != 0) {
        if (text.isEmpty())
            kind = TriggerIcon::Hotkey;
        else
            text += QStringLiteral(", ");
        text += QLatin1Char('[') + HotkeyName(entry.hotkey) + QLatin1Char(']');
    }
    if (icon != nullptr)
        *icon = kind;
    return text;
}

bool CAutomationEditModel::AddEntry(const CFrameScriptSchedule& entry)
{
    if (!list_.Add(entry))
        return false;
    selected_ = list_.Count() - 1;
    return true;
}

void CAutomationEditModel::EditSelected(const CFrameScriptSchedule& entry)
{
    if (selected_ < 0)
        return;
    if (selected_ == CFrameScriptScheduleArray::kStartupEntry)
        list_.At(selected_).file = entry.file;
    else
        list_.At(selected_) = entry;
}

void CAutomationEditModel::DeleteSelected()
{
    if (selected_ < 0)
        return;
    if (selected_ == CFrameScriptScheduleArray::kStartupEntry) {
        list_.At(selected_).file.clear();
        return;
    }
    list_.Remove(selected_);
    if (selected_ >= list_.Count())
        selected_ = list_.Count() - 1;
}
