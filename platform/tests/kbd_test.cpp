// The keyboard against a real X server: keys are real X events sent with
// xdotool to the window, and the key byte is what kbd_poll makes of them.
#include "platform/kbd.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/dpy.h"
#include "platform/tests/window_opened.h"
#include "platform/tests/x11_util.h"

namespace {

class KbdTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(getenv("DISPLAY"), nullptr) << "needs an X server"; }
    void TearDown() override {
        if (keyboard) kbd_free(&keyboard);
        if (dpy_state.open) dpy_free(&dpy_state.open);
        kbd_set_event_source(nullptr);
        SDL_Quit();
    }

    // Sends keys to the window, gives them time to travel through the X
    // server, polls once and returns the key byte.
    uint8_t send_and_poll(const std::string& keys) {
        EXPECT_TRUE(x11_xdotool("QUOR7706", keys));
        SDL_Delay(300);
        kbd_poll(keyboard);
        return keyboard->keys[0];
    }

    Keyboard* keyboard = nullptr;
};

TEST_F(KbdTest, ExistsOnlyWithADisplayAndOnlyOnce) {
    EXPECT_EQ(kbd_new(), nullptr);
    ASSERT_NE(dpy_new(), nullptr);
    ASSERT_TRUE(window_opened());
    keyboard = kbd_new();
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(kbd_new(), keyboard);
    EXPECT_EQ(std::vector<uint8_t>(keyboard->keys, keyboard->keys + 8), std::vector<uint8_t>(8, 0));
    kbd_poll(nullptr);
    kbd_free(nullptr);
    kbd_free(&keyboard);
    EXPECT_EQ(keyboard, nullptr);
    keyboard = kbd_new();  // a fresh one after the release
    EXPECT_NE(keyboard, nullptr);
}

TEST_F(KbdTest, RealKeyEventsMakeTheKeyByte) {
    dpy_new();
    ASSERT_TRUE(window_opened());
    keyboard = kbd_new();
    ASSERT_NE(keyboard, nullptr);
    kbd_poll(keyboard);  // drain the window's own start-up events

    EXPECT_EQ(send_and_poll("keydown q"), 'q');
    EXPECT_EQ(send_and_poll("keyup q"), 0);
    // A held key is reported once if the caller clears the byte after acting.
    EXPECT_EQ(send_and_poll("keydown space"), ' ');
    keyboard->keys[0] = 0;
    EXPECT_EQ(send_and_poll(""), 0);
    EXPECT_EQ(send_and_poll("keyup space"), 0);
    // Down a, down b, up a in one queue: the last event wins.
    EXPECT_EQ(send_and_poll("keydown a keydown b keyup a"), 0);
    EXPECT_EQ(send_and_poll("keyup b keydown u"), 'u');
    // Symbols above 255 arrive reduced to their low byte (F1 is 282: 26).
    EXPECT_EQ(send_and_poll("keyup u keydown F1"), 282 & 0xFF);

    // The window manager's close request is discarded without effect.
    ASSERT_TRUE(x11_request_close("QUOR7706"));
    SDL_Delay(300);
    kbd_poll(keyboard);
    EXPECT_EQ(keyboard->keys[0], 282 & 0xFF);
    EXPECT_NE(x11_find_window("QUOR7706"), 0u);
    send_and_poll("keyup F1");
}

std::vector<KbdEvent> pending;
int32_t from_list(KbdEvent* event) {
    if (pending.empty()) return 0;
    *event = pending.front();
    pending.erase(pending.begin());
    return 1;
}

TEST_F(KbdTest, AnotherEventSourceCanStandInForSdl) {
    dpy_new();
    keyboard = kbd_new();
    ASSERT_NE(keyboard, nullptr);
    kbd_set_event_source(from_list);
    pending = {{KBD_EVENT_KEYDOWN, 'x'}, {KBD_EVENT_OTHER, 0}, {KBD_EVENT_KEYDOWN, 0x131}};
    kbd_poll(keyboard);
    EXPECT_EQ(keyboard->keys[0], 0x31);
    EXPECT_TRUE(pending.empty());
}

}  // namespace
