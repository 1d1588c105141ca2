#pragma once

#include <QString>
#include <QStringList>

// Hotkey numbers, shared by objects and automation entries: 0 none, 1..10
// Ctrl+0..Ctrl+9, 11..20 Alt+0..Alt+9.

// The key combination of a hotkey number 1..20.
struct HotkeyKey
{
    bool alt = false;  // Alt for 11..20, Control for 1..10
    int digit = 0;     // the digit key 0..9
};
HotkeyKey HotkeyKeyOf(int hotkey);

// "None" for 0, then "Ctrl+0" ... "Alt+9"; empty for numbers outside 0..20.
QString HotkeyName(int hotkey);
QStringList HotkeyNames();  // the 21 names in number order

// Switcher buttons: "None" for 0, then "Button #1" ... "Button #16".
QString ButtonName(int button);
QStringList ButtonNames();  // the 17 names in number order
