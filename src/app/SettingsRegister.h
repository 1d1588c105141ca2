#pragma once

#include "app/SettingsStore.h"

#include <QString>

// Every section and value of the per-user settings, with its type and
// default, in one place. Owners read their values when they are created and
// write them when they change; nothing is cached here.

struct IntSetting
{
    const char* section;
    const char* name;
    int defaultValue;
};

struct StringSetting
{
    const char* section;
    const char* name;
    const char* defaultValue;
};

inline int Read(const IntSetting& s, const ISettingsStore& store = Settings())
{
    return store.ReadInt(QString::fromLatin1(s.section), QString::fromLatin1(s.name), s.defaultValue);
}
inline void Write(const IntSetting& s, int value, ISettingsStore& store = Settings())
{
    store.WriteInt(QString::fromLatin1(s.section), QString::fromLatin1(s.name), value);
}
inline QString Read(const StringSetting& s, const ISettingsStore& store = Settings())
{
    return store.ReadString(QString::fromLatin1(s.section), QString::fromLatin1(s.name),
                            QString::fromUtf8(s.defaultValue));
}
inline void Write(const StringSetting& s, const QString& value, ISettingsStore& store = Settings())
{
    store.WriteString(QString::fromLatin1(s.section), QString::fromLatin1(s.name), value);
}

namespace settings {

// Section names.
inline constexpr const char* kPreferences = "Preferences";
inline constexpr const char* kView = "View";
inline constexpr const char* kViewEdit = "ViewEdit";
inline constexpr const char* kLayout = "Layout";
inline constexpr const char* kLayoutEdit = "LayoutEdit";
inline constexpr const char* kLanguage = "Language";
inline constexpr const char* kObjectsListView = "ObjectsListView";
inline constexpr const char* kScriptAction = "ScriptAction";
inline constexpr const char* kDebug = "Debug";

// The canvas settings and the window layout live in one section in the
// playout instance and in another in an edit-only instance.
inline const char* ViewSection(bool editMode) { return editMode ? kView : kViewEdit; }
inline const char* LayoutSection(bool editMode) { return editMode ? kLayoutEdit : kLayout; }
// "Item_%d": one automation entry per section.
inline QString AutomationItemSection(int index) { return QStringLiteral("Item_%1").arg(index); }
// "ColWidth%d": navigator column widths, index 0..4.
inline QString ColumnWidthName(int column) { return QStringLiteral("ColWidth%1").arg(column); }

// "Preferences": the document's output preferences.
inline constexpr IntSetting kMode{kPreferences, "Mode", 0};
inline constexpr IntSetting kAuto{kPreferences, "Auto", 0};
inline constexpr IntSetting kNoRestoreDisplays{kPreferences, "NoRestoreDisplays", 0};
inline constexpr StringSetting kRootFolder{kPreferences, "RootFolder", ""};
inline constexpr StringSetting kDisplayAdapter{kPreferences, "DisplayAdapter", ""};
inline constexpr IntSetting kAlternativeSync{kPreferences, "AlternativeSync", 0};
inline constexpr IntSetting kFullHdmiRange{kPreferences, "FullHDMIRange", 1};
inline constexpr IntSetting kDefaultTreeAction{kPreferences, "DefaultTreeAction", 0};
// Windows code page for 8-bit text files; 0 = derived from the user's language.
inline constexpr IntSetting kAnsiCodePage{kPreferences, "AnsiCodePage", 0};

// "View": shared by both kinds of instance.
inline constexpr IntSetting kUseRemote{kView, "UseRemote", 0};
inline constexpr IntSetting kRemoteIp{kView, "RemoteIP", 0};
inline constexpr IntSetting kBackground{kView, "Background", 0};
inline constexpr IntSetting kBackgroundColor{kView, "BackgroundColor", 0};
inline constexpr IntSetting kMarginH{kView, "MarginH", 0};
inline constexpr IntSetting kMarginV{kView, "MarginV", 0};
inline constexpr IntSetting kFirstTimeSetup{kView, "FirstTimeSetup", 1};
inline constexpr int kMarginMax = 40;

// Canvas grid and zoom, in ViewSection(editMode).
inline IntSetting SnapToGrid(bool editMode) { return {ViewSection(editMode), "SnapToGrid", 0}; }
inline IntSetting GridStep(bool editMode) { return {ViewSection(editMode), "GridStep", 8}; }
inline IntSetting ZoomFactor(bool editMode) { return {ViewSection(editMode), "ZoomFactor", 3}; }
inline constexpr int kGridStepMin = 2;
inline constexpr int kGridStepMax = 50;
inline constexpr int kZoomFactorMax = 5;

// Main window layout, in LayoutSection(editMode). "Left", "Top", "Width" and
// "Height" default to the screen's work area, which only the window knows.
inline constexpr const char* kLayoutLeft = "Left";
inline constexpr const char* kLayoutTop = "Top";
inline constexpr const char* kLayoutWidth = "Width";
inline constexpr const char* kLayoutHeight = "Height";
inline IntSetting Maximize(bool editMode) { return {LayoutSection(editMode), "Maximize", 1}; }
inline IntSetting PaneWidth(bool editMode) { return {LayoutSection(editMode), "PaneWidth", 200}; }
inline IntSetting ThumbHeight(bool editMode) { return {LayoutSection(editMode), "ThumbHeight", 150}; }
inline IntSetting PropsWidth(bool editMode) { return {LayoutSection(editMode), "PropsWidth", 300}; }
inline IntSetting PreviewHeight(bool editMode) { return {LayoutSection(editMode), "PreviewHeight", 200}; }
// Always in "Layout", whichever the instance.
inline constexpr IntSetting kLargeToolbar{kLayout, "LargeToolbar", 0};

inline constexpr IntSetting kLanguageId{kLanguage, "ID", -1};
// "ObjectsListView": "ColWidth%d" (ColumnWidthName) with this default.
inline constexpr int kColumnWidthDefault = -1;

inline constexpr IntSetting kScriptActionTotal{kScriptAction, "Total", 0};
// Value names of one automation entry ("Item_%d").
inline constexpr const char* kItemFile = "File";
inline constexpr const char* kItemHotkey = "Hotkey";
inline constexpr const char* kItemGlobal = "Global";
inline constexpr const char* kItemRemote = "Remote";
inline constexpr const char* kItemPlayOnTime = "PlayOnTime";
inline constexpr const char* kItemPlayOnce = "PlayOnce";
inline constexpr const char* kItemWeekdays = "Weekdays";
inline constexpr const char* kItemHour = "Hour";
inline constexpr const char* kItemMinute = "Minute";
inline constexpr const char* kItemSecond = "Second";
inline constexpr const char* kItemYear = "Year";
inline constexpr const char* kItemMonth = "Month";
inline constexpr const char* kItemDay = "Day";

// "Debug": developer values, read only; the program never writes them.
inline constexpr IntSetting kLog{kDebug, "Log", 0};
inline constexpr IntSetting kNoClearTypeDisable{kDebug, "NoClearTypeDisable", 0};
inline constexpr IntSetting kNoYCbCrA{kDebug, "NoYCbCrA", 0};
inline constexpr IntSetting kBackColor{kDebug, "BackColor", 0};
inline constexpr IntSetting kSoftwareVertextProcessing{kDebug, "SoftwareVertextProcessing", 0};
inline constexpr IntSetting kAdapter{kDebug, "Adapter", -1};
inline constexpr IntSetting kScale{kDebug, "Scale", 1};
inline constexpr IntSetting kWindow{kDebug, "Window", 0};
// "Width" and "Height" of the debug output window default to a quarter of the
// display size, which only the caller knows.
inline constexpr const char* kDebugWidth = "Width";
inline constexpr const char* kDebugHeight = "Height";
// Graphics device: "auto", "gl" or "cpu".
inline constexpr StringSetting kDevice{kDebug, "Device", "auto"};

}  // namespace settings
