#include "scripts/X11GlobalHotkeys.h"

#include "Requirements.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// Two clients of the X server: the program and "another program".
class X11Hotkeys : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testenv::HasXDisplay())
            TAVREL_SKIP_WITHOUT(testenv::Need::kXDisplay, "DISPLAY is not set");
        ours_ = xcb_connect(nullptr, nullptr);
        theirs_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(ours_) || xcb_connection_has_error(theirs_))
            TAVREL_SKIP_WITHOUT(testenv::Need::kXDisplay, "no connection to the X server");
        root_ = xcb_setup_roots_iterator(xcb_get_setup(ours_)).data->root;
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(ours_);
        for (int digit = 0; digit < 10; ++digit) {
            xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, 0x30 + digit);
            keycodes_[digit] = codes != nullptr ? codes[0] : 0;
            std::free(codes);
        }
        xcb_key_symbols_free(symbols);
    }
    void TearDown() override
    {
        if (ours_ != nullptr)
            xcb_disconnect(ours_);
        if (theirs_ != nullptr)
            xcb_disconnect(theirs_);
    }

    bool TheyGrab(int digit, uint16_t modifiers)
    {
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(theirs_, 1, root_, modifiers, keycodes_[digit],
                                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t* error = xcb_request_check(theirs_, cookie);
        std::free(error);
        return error == nullptr;
    }

    xcb_key_press_event_t Key(bool press, int digit, uint16_t state, uint32_t time)
    {
        xcb_key_press_event_t event{};
        event.response_type = press ? XCB_KEY_PRESS : XCB_KEY_RELEASE;
        event.detail = keycodes_[digit];
        event.root = root_;
        event.state = state;
        event.time = time;
        return event;
    }

    xcb_connection_t* ours_ = nullptr;
    xcb_connection_t* theirs_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_keycode_t keycodes_[10] = {};
};

TEST_F(X11Hotkeys, CombinationTakenByAnotherProgramIsRefused)
{
    CX11GlobalHotkeys hotkeys(ours_);
    ASSERT_TRUE(hotkeys.Valid());
    ASSERT_TRUE(TheyGrab(9, XCB_MOD_MASK_1));  // Alt+9
    EXPECT_FALSE(hotkeys.Register(20, HotkeyKey{true, 9}));
    EXPECT_TRUE(hotkeys.Register(1, HotkeyKey{false, 0}));   // Ctrl+0
    EXPECT_TRUE(hotkeys.Register(11, HotkeyKey{true, 0}));   // Alt+0
    EXPECT_FALSE(TheyGrab(0, XCB_MOD_MASK_CONTROL)) << "ours now";
    EXPECT_FALSE(TheyGrab(0, XCB_MOD_MASK_1 | XCB_MOD_MASK_2)) << "also with Num Lock";
    hotkeys.Unregister(1);
    EXPECT_TRUE(TheyGrab(0, XCB_MOD_MASK_CONTROL)) << "released by Unregister";
}

TEST_F(X11Hotkeys, PressesReachTheHandlerOnceWithTheirIdentifier)
{
    CX11GlobalHotkeys hotkeys(ours_);
    ASSERT_TRUE(hotkeys.Register(3, HotkeyKey{false, 5}));  // Ctrl+5
    ASSERT_TRUE(hotkeys.Register(4, HotkeyKey{true, 5}));   // Alt+5
    std::vector<int> pressed;
    hotkeys.SetPressedHandler([&](int id) { pressed.push_back(id); });

    const uint16_t ctrl = XCB_MOD_MASK_CONTROL;
    const uint16_t alt = XCB_MOD_MASK_1;
    const uint16_t lockAndNum = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;
    struct Event
    {
        bool press;
        int digit;
        uint16_t state;
        uint32_t time;
    };
    const Event events[] = {
        {true, 5, ctrl, 100},               // Ctrl+5
        {false, 5, ctrl, 110},              // auto-repeat: release and press at one time
        {true, 5, ctrl, 110},
        {true, 5, ctrl, 120},               // detectable auto-repeat: press without release
        {false, 5, ctrl, 300},
        {true, 5, ctrl | lockAndNum, 400},  // Caps Lock and Num Lock do not matter
        {false, 5, ctrl, 410},
        {true, 5, alt, 500},                // Alt+5
        {false, 5, alt, 510},
        {true, 6, ctrl, 600},               // not ours
    };
    std::vector<bool> handled;
    for (const Event& e : events) {
        const xcb_key_press_event_t event = Key(e.press, e.digit, e.state, e.time);
        handled.push_back(hotkeys.HandleEvent(&event));
    }
    EXPECT_EQ(pressed, (std::vector<int>{3, 3, 4}));
    EXPECT_FALSE(handled.back());
}

TEST(GlobalHotkeysWithoutX, RegistrationsFail)
{
    CX11GlobalHotkeys hotkeys(nullptr);
    EXPECT_FALSE(hotkeys.Valid());
    EXPECT_FALSE(hotkeys.Register(1, HotkeyKey{false, 0}));
    hotkeys.Unregister(1);
}

}  // namespace
