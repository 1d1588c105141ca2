#pragma once

#include <QString>

// The built-in texts of scripts and automation, keyed by their string-table
// ids (the ids a language pack translates). The entries are meant to join the
// program's one string table; until then ScriptString() stands in for
// LoadText() for these ids.
struct StringTableEntry
{
    int id;
    const char* text;  // UTF-8, printf-style placeholders where the text has them
};

namespace scriptstrings {

inline constexpr int kFileOpenFailed = 10311;   // "Error: File open failed!\n\n%s"
inline constexpr int kButtonNone = 10650;       // "None"
inline constexpr int kButtonNumber = 10651;     // "Button #%d"
inline constexpr int kHotkeyNone = 12200;       // "None"
inline constexpr int kDescribeBase = 12260;     // 12260 + type: load/add page, "... all objects"
inline constexpr int kDescribeGroupBase = 12266;  // 12266 + type: "... group: %s"
inline constexpr int kDescribeWaitSeconds = 12274;
inline constexpr int kDescribeWaitUntil = 12275;
inline constexpr int kTypeNameBase = 12330;     // 12330 + type: the action's name

}  // namespace scriptstrings

// The whole table, in id order.
const StringTableEntry* ScriptStringTable(int* count);

// The built-in text of id; empty for an id the table does not hold.
QString ScriptString(int id);
// The text of id with its one "%s" filled with text.
QString ScriptString(int id, const QString& text);
