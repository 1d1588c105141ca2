#include "scripts/X11GlobalHotkeys.h"

#include "app/Log.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>

namespace {

// X keysyms of the digit keys "0" to "9" are their ASCII codes.
constexpr uint32_t kKeysymZero = 0x30;

// Caps Lock and Num Lock (Mod2 on every common layout) must not change what
// a hotkey is: each grab is made once per combination of the two.
constexpr uint16_t kLockMasks[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr uint16_t kIgnoredMasks = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;

xcb_connection_t* ApplicationConnection()
{
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (gui == nullptr)
        return nullptr;
    auto* x11 = gui->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

}  // namespace

CX11GlobalHotkeys::CX11GlobalHotkeys()
{
    if (xcb_connection_t* shared = ApplicationConnection()) {
        Init(shared, false);
        return;
    }
    if (std::getenv("DISPLAY") == nullptr)
        return;
    xcb_connection_t* own = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(own)) {
        xcb_disconnect(own);
        return;
    }
    Init(own, true);
}

CX11GlobalHotkeys::CX11GlobalHotkeys(xcb_connection_t* connection)
{
    if (connection != nullptr && !xcb_connection_has_error(connection))
        Init(connection, false);
}

void CX11GlobalHotkeys::Init(xcb_connection_t* connection, bool owned)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    if (screens.rem == 0) {
        if (owned)
            xcb_disconnect(connection);
        return;
    }
    connection_ = connection;
    ownsConnection_ = owned;
    root_ = screens.data->root;
    symbols_ = xcb_key_symbols_alloc(connection_);
    if (owned) {
        // Our own connection: nobody else reads its events.
        notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { DrainOwnConnection(); });
    } else if (QCoreApplication::instance() != nullptr && connection == ApplicationConnection()) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        filterInstalled_ = true;
    }
}

CX11GlobalHotkeys::~CX11GlobalHotkeys()
{
    if (filterInstalled_ && QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeNativeEventFilter(this);
    notifier_.reset();
    if (connection_ != nullptr) {
        for (const auto& [id, grab] : grabs_)
            Ungrab(grab);
        xcb_flush(connection_);
    }
    if (symbols_ != nullptr)
        xcb_key_symbols_free(symbols_);
    if (ownsConnection_)
        xcb_disconnect(connection_);
}

bool CX11GlobalHotkeys::Register(int id, const HotkeyKey& key)
{
    if (connection_ == nullptr || key.digit < 0 || key.digit > 9)
        return false;
    Unregister(id);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, kKeysymZero + static_cast<uint32_t>(key.digit));
    if (codes == nullptr)
        return false;
    Grab grab;
    grab.keycode = codes[0];
    std::free(codes);
    if (grab.keycode == XCB_NO_SYMBOL)
        return false;
    grab.modifiers = key.alt ? XCB_MOD_MASK_1 : XCB_MOD_MASK_CONTROL;

    // Checked requests: a grab another client holds answers BadAccess.
    bool ok = true;
    for (const uint16_t lock : kLockMasks) {
        const xcb_void_cookie_t cookie =
            xcb_grab_key_checked(connection_, 1, root_, grab.modifiers | lock, grab.keycode, XCB_GRAB_MODE_ASYNC,
                                 XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            std::free(error);
            ok = false;
        }
    }
    if (!ok) {
        // Leave nothing half grabbed; our ungrab does not touch the other
        // client's grab.
        Ungrab(grab);
        xcb_flush(connection_);
        return false;
    }
    grabs_[id] = grab;
    return true;
}

void CX11GlobalHotkeys::Ungrab(const Grab& grab)
{
    for (const uint16_t lock : kLockMasks)
        xcb_ungrab_key(connection_, grab.keycode, root_, grab.modifiers | lock);
}

void CX11GlobalHotkeys::Unregister(int id)
{
    const auto it = grabs_.find(id);
    if (it == grabs_.end() || connection_ == nullptr)
        return;
    Ungrab(it->second);
    xcb_flush(connection_);
    grabs_.erase(it);
}

bool CX11GlobalHotkeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    return HandleEvent(message);
}

bool CX11GlobalHotkeys::HandleEvent(const void* xcbEvent)
{
    const auto* event = static_cast<const xcb_generic_event_t*>(xcbEvent);
    const uint8_t kind = event->response_type & 0x7f;
    if (kind != XCB_KEY_PRESS && kind != XCB_KEY_RELEASE)
        return false;
    // Press and release events share their layout.
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (key->root != root_)
        return false;
    const uint16_t state = key->state & ~kIgnoredMasks & 0xff;
    for (auto& [id, grab] : grabs_) {
        if (grab.keycode != key->detail || (state & (XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1)) != grab.modifiers)
            continue;
        if (kind == XCB_KEY_RELEASE) {
            grab.held = false;
            grab.releaseTime = key->time;
            return true;
        }
        // Auto-repeat sends a release and a press with the same time, or
        // (detectable auto-repeat) presses without releases: neither repeats.
        const bool repeat = grab.held || (grab.releaseTime != 0 && grab.releaseTime == key->time);
        grab.held = true;
        if (!repeat && pressed_)
            pressed_(id);
        return true;
    }
    return false;
}

void CX11GlobalHotkeys::DrainOwnConnection()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        HandleEvent(event);
        std::free(event);
    }
}

namespace {

class CNoGlobalHotkeys : public IGlobalHotkeys
{
public:
    bool Register(int, const HotkeyKey&) override { return false; }
    void Unregister(int) override {}
    void SetPressedHandler(PressedFunction) override {}
};

}  // namespace

std::unique_ptr<IGlobalHotkeys> CreateSystemGlobalHotkeys()
{
    auto x11 = std::make_unique<CX11GlobalHotkeys>();
    if (x11->Valid())
        return x11;
    return std::make_unique<CNoGlobalHotkeys>();
}
