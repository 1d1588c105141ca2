#pragma once

#include "scripts/GlobalHotkeys.h"

#include <QAbstractNativeEventFilter>

#include <map>
#include <memory>

struct xcb_connection_t;
struct _XCBKeySymbols;  // xcb_key_symbols_t
class QSocketNotifier;

// Global hotkeys on X11: a passive grab of the key on the root window
// (XGrabKey through xcb), once for each combination of the Caps Lock and
// Num Lock states so that they do not matter. Presses arrive through the
// application's native event filter when the grab lives on Qt's own
// connection, or through a socket notifier on a connection of our own.
// A grab that another client holds fails with BadAccess: the registration
// is refused.
class CX11GlobalHotkeys : public IGlobalHotkeys, public QAbstractNativeEventFilter
{
public:
    // Uses the application's X connection when it runs on xcb, otherwise
    // opens one to $DISPLAY. Valid() is false without an X server.
    CX11GlobalHotkeys();
    // On a given connection, which stays the caller's (tests).
    explicit CX11GlobalHotkeys(xcb_connection_t* connection);
    ~CX11GlobalHotkeys() override;

    bool Valid() const { return connection_ != nullptr; }

    bool Register(int id, const HotkeyKey& key) override;
    void Unregister(int id) override;
    void SetPressedHandler(PressedFunction handler) override { pressed_ = std::move(handler); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    // Handles one event of the connection; true when it was one of our keys.
    bool HandleEvent(const void* xcbEvent);

private:
    struct Grab
    {
        uint8_t keycode = 0;
        uint16_t modifiers = 0;
        bool held = false;          // pressed and not yet released
        uint32_t releaseTime = 0;   // time of the last release (auto-repeat sends release and press together)
    };

    void Init(xcb_connection_t* connection, bool owned);
    void DrainOwnConnection();
    void Ungrab(const Grab& grab);

    xcb_connection_t* connection_ = nullptr;
    bool ownsConnection_ = false;
    uint32_t root_ = 0;
    _XCBKeySymbols* symbols_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool filterInstalled_ = false;
    std::map<int, Grab> grabs_;
    PressedFunction pressed_;
};
