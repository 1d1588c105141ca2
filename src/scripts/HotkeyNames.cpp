#include "scripts/HotkeyNames.h"

#include "scripts/FrameScriptSchedule.h"
#include "scripts/ScriptStrings.h"

HotkeyKey HotkeyKeyOf(int hotkey)
{
    return {hotkey > 10, (hotkey - 1) % 10};
}

QString HotkeyName(int hotkey)
{
    if (hotkey == 0)
        return ScriptString(scriptstrings::kHotkeyNone);
    if (hotkey < 0 || hotkey > CFrameScriptSchedule::kMaxHotkey)
        return {};
    const HotkeyKey key = HotkeyKeyOf(hotkey);
    return QStringLiteral("%1+%2").arg(key.alt ? QStringLiteral("Alt") : QStringLiteral("Ctrl")).arg(key.digit);
}

QStringList HotkeyNames()
{
    QStringList names;
    for (int n = 0; n <= CFrameScriptSchedule::kMaxHotkey; ++n)
        names.append(HotkeyName(n));
    return names;
}

QString ButtonName(int button)
{
    if (button == 0)
        return ScriptString(scriptstrings::kButtonNone);
    if (button < 0 || button > CFrameScriptSchedule::kMaxRemote)
        return {};
    return FormatText(scriptstrings::kButtonNumber, button);
}

QStringList ButtonNames()
{
    QStringList names;
    for (int n = 0; n <= CFrameScriptSchedule::kMaxRemote; ++n)
        names.append(ButtonName(n));
    return names;
}
