#pragma once

#include "model/FrameSet.h"

#include <QByteArray>
#include <QString>

#include <unordered_map>
#include <vector>

// One row of the object navigator.
struct CObjectItem
{
    QString group;
    QString text;  // the short text
    int playing = 0;
    int paused = 0;
    int locked = 0;

    bool operator==(const CObjectItem&) const = default;
};

// The navigator's columns.
enum NavigatorColumn : int
{
    kColumnNumber = 0,
    kColumnGroup = 1,
    kColumnText = 2,
    kColumnPlayState = 3,
    kColumnLock = 4,
    kNavigatorColumnCount = 5,
};
inline int NavigatorTitleText(int column) { return 12580 + column; }
// Default widths in pixels, by column.
int NavigatorDefaultWidth(int column);

// What the columns show of a text and a group name: the first 20
// characters of the plain text followed by "..." when there is more; at
// most 47 characters of the group.
QString NavigatorShortText(const QString& plainText);
QString NavigatorGroupText(const QString& group);

// The navigator's rows: the live objects' states, copied on each refresh.
// The array only grows; rows past the object count are not shown. Plain
// texts are read from the objects' rich text once per change of it.
class CObjectItemArray
{
public:
    // Copies the objects' states into the rows; returns the rows whose
    // contents changed among those shown now.
    std::vector<int> Refresh(const FrameList& objects);
    int Count() const { return count_; }
    const CObjectItem& Row(int row) const { return rows_[static_cast<size_t>(row)]; }
    // Rows held, shown or not.
    size_t Capacity() const { return rows_.size(); }

private:
    QString ShortTextOf(const CFrame& object);

    struct CachedText
    {
        QByteArray richText;
        QString shortText;
    };

    std::vector<CObjectItem> rows_;
    int count_ = 0;
    std::unordered_map<int, CachedText> texts_;  // by object id
};
