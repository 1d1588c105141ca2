#pragma once

#include <QString>

// One step of a script: an action type and its two parameters. The numbers of
// the types are stored in script files and never change.
struct CFrameScriptItem
{
    enum Type : int
    {
        kLoadPage = 0,      // sdata: page file; replace the page by its objects
        kAddPage = 1,       // sdata: page file; add its objects
        kPlay = 2,          // sdata: group, empty = all objects
        kPause = 3,         // toggle pause of the playing ones
        kEnd = 4,
        kStop = 5,
        kDelete = 6,        // stop and delete
        kWaitEnd = 7,       // wait until none of them plays
        kWaitPeriod = 8,    // idata: seconds after the step became current
        kWaitUntil = 9,     // idata: second of the day
    };
    static constexpr int kTypeCount = 10;
    // Longest text parameter a script file holds, in bytes of UTF-8. Longer
    // text is refused by the writer and dropped by the reader.
    static constexpr int kMaxTextBytes = 8191;

    int type = kPlay;
    QString sdata;  // a page file path (types 0, 1) or a group name (2..7)
    int idata = 0;  // seconds (8) or second of the day (9)

    static bool ValidType(int t) { return t >= 0 && t < kTypeCount; }
    // Types whose sdata is a page file path, stored in the relative form.
    static bool UsesPagePath(int t) { return t == kLoadPage || t == kAddPage; }
    // Types whose sdata names a group (empty = all objects).
    static bool UsesGroup(int t) { return t >= kPlay && t <= kWaitEnd; }

    friend bool operator==(const CFrameScriptItem&, const CFrameScriptItem&) = default;
};
