#pragma once

#include "app/StringTable.h"

#include <QString>

// String ids of scripts and automation (texts in resources/StringTable.inc).
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

// The text of id; empty for an id the table does not hold.
inline QString ScriptString(int id)
{
    return LoadText(id);
}
// The text of id with its one "%s" filled with text.
inline QString ScriptString(int id, const QString& text)
{
    return FormatText(id, text.toUtf8().constData());
}
