#pragma once

#include "scripts/HotkeyNames.h"

#include <functional>
#include <memory>

// System-wide hotkeys: key combinations that reach the program while another
// program has the focus. Each registration carries an identifier (the
// automation entry index) that comes back when the combination is pressed.
// Holding the keys down does not repeat the press.
class IGlobalHotkeys
{
public:
    using PressedFunction = std::function<void(int id)>;

    virtual ~IGlobalHotkeys() = default;

    // Registers Ctrl (or Alt) with a digit key under id; false when the
    // combination is taken by another program or there is no system to ask.
    virtual bool Register(int id, const HotkeyKey& key) = 0;
    // Removes the registration of id; nothing when there is none.
    virtual void Unregister(int id) = 0;
    // Receives the identifier of every registered combination pressed.
    virtual void SetPressedHandler(PressedFunction handler) = 0;
};

// The X11 implementation when the program runs on an X display, otherwise
// one whose registrations all fail (they are then only logged).
std::unique_ptr<IGlobalHotkeys> CreateSystemGlobalHotkeys();
