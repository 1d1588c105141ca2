#pragma once

#include <QString>

#include <span>

// The program's commands as the resources describe them: menu text, key,
// icon, and the toolbars' layouts. Menus, context menus and toolbars are
// built from these tables; the enabled and checked states come from the
// document.

// Where a command's key works.
enum CommandKeyScope : int
{
    kWindowKey = 0,  // anywhere in the main window
    kCanvasKey = 1,  // while the page canvas has the focus
    kPaneKey = 2,    // while the pages pane has the focus
};

struct CommandInfo
{
    int id;
    const char* text;      // menu text with its access key ("&New"); UTF-8
    const char* shortcut;  // portable key text ("Ctrl+F5"), empty for none
    int scope;             // CommandKeyScope
    const char* icon;      // icon name, empty for none
    bool checkable;        // menus and buttons show its checked state
};

std::span<const CommandInfo> Commands();
// The command with this id, or null.
const CommandInfo* FindCommand(int id);

// The status bar prompt of a command: its string up to the first line break.
QString CommandPrompt(int id);
// The tooltip: what follows the first line break, at most 159 characters.
QString CommandToolTip(int id);

// Toolbar entries besides command ids.
inline constexpr int kSeparator = 0;
inline constexpr int kZoomBox = 32804;
inline constexpr int kFontNameBox = 32832;
inline constexpr int kFontSizeBox = 32833;

inline constexpr int kMainToolBar = 128;
inline constexpr int kFormatToolBar = 201;

// The entries of a toolbar, left to right; empty for an unknown toolbar.
std::span<const int> ToolBarEntries(int toolBarId);
