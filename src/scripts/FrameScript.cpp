#include "scripts/FrameScript.h"

#include "scripts/ScriptStrings.h"

#include <algorithm>
#include <utility>

namespace {

bool InRange(int index, int count) { return index >= 0 && index < count; }

}  // namespace

QString FileTitleOf(const QString& path)
{
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    QString name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

void CFrameScript::Clear()
{
    items.clear();
    fileName.clear();
    loop = 0;
}

QString CFrameScript::Describe(const CFrameScriptItem& item)
{
    using namespace scriptstrings;
    const int type = item.type;
    if (CFrameScriptItem::UsesPagePath(type))
        return ScriptString(kDescribeBase + type, FileTitleOf(item.sdata));
    if (CFrameScriptItem::UsesGroup(type)) {
        if (item.sdata.isEmpty())
            return ScriptString(kDescribeBase + type);
        return ScriptString(kDescribeGroupBase + type, item.sdata);
    }
    if (type == CFrameScriptItem::kWaitPeriod)
        return FormatText(kDescribeWaitSeconds, item.idata);
    if (type == CFrameScriptItem::kWaitUntil) {
        const int s = item.idata;
        return FormatText(kDescribeWaitUntil, s / 3600, (s % 3600) / 60, s % 60);
    }
    return {};
}

QString CFrameScript::DisplayName() const
{
    return FileTitleOf(fileName);
}

void CFrameScript::Append(const CFrameScriptItem& item)
{
    items.push_back(item);
}

bool CFrameScript::Insert(int index, const CFrameScriptItem& item)
{
    if (index < 0 || index > Count())
        return false;
    items.insert(items.begin() + index, item);
    return true;
}

bool CFrameScript::Remove(int index)
{
    if (!InRange(index, Count()))
        return false;
    items.erase(items.begin() + index);
    return true;
}

bool CFrameScript::MoveUp(int index)
{
    if (!InRange(index, Count()) || index == 0)
        return false;
    std::swap(items[index], items[index - 1]);
    return true;
}

bool CFrameScript::MoveDown(int index)
{
    if (!InRange(index, Count() - 1))
        return false;
    std::swap(items[index], items[index + 1]);
    return true;
}

bool CFrameScript::Replace(int index, const QString& sdata, int idata)
{
    if (!InRange(index, Count()))
        return false;
    items[index].sdata = sdata;
    items[index].idata = idata;
    return true;
}
