// The program's shared key handling and its fade, without a window.
#include <gtest/gtest.h>

#include <string>

#include "image/img.h"
#include "platform/dpy.h"
#include "platform/kbd.h"
#include "program/demo.h"
#include "text/scroll.h"

namespace {

TEST(DemoKeys, EveryKeyCodeHasItsEffectAndNoOther) {
    for (int key = 0; key < 256; ++key) {
        part_request = kPartRunOn;
        show_pictures = 1;
        demo_handle_key(static_cast<uint8_t>(key));
        const bool quit = key == 'q' || key == 'Q' || key == kbd_escape;
        const bool next = key == ' ';
        const bool toggle = key == '3' || key == '6' || key == '7';
        EXPECT_EQ(part_request, quit ? kPartQuit : next ? kPartNext : kPartRunOn) << "key " << key;
        EXPECT_EQ(show_pictures, toggle ? 0 : 1) << "key " << key;
    }
    // The speed keys set the scroller's speed (without one, above, they did nothing).
    scroller = scroll_new();
    ASSERT_NE(scroller, nullptr);
    const std::pair<uint8_t, int32_t> speeds[] = {{'u', 0}, {'i', 1}, {'o', 2}, {'p', 4}};
    for (const auto& [key, speed] : speeds) {
        scroller->speed = -9;
        demo_handle_key(key);
        EXPECT_EQ(scroller->speed, speed) << "key " << key;
    }
    scroller->speed = 3;
    demo_handle_key('U');
    demo_handle_key(0);
    EXPECT_EQ(scroller->speed, 3);
    scroll_free(&scroller);

    // The picture keys toggle back and forth.
    show_pictures = 1;
    demo_handle_key('3');
    demo_handle_key('6');
    EXPECT_EQ(show_pictures, 1);
    demo_handle_key('7');
    EXPECT_EQ(show_pictures, 0);
    part_request = kPartRunOn;
    show_pictures = 1;
}

TEST(DemoFade, EveryStepIsPresentedAndTheLastIsBlack) {
    screen = img_new();
    img_resize(screen, 4, 2);
    for (int i = 0; i < 8; ++i)
        img_put_pixel(screen, i % 4, i / 4, 0xFFFFFFFF - i * 0x010203);
    // No window here: every present is a failed check, which shows how many
    // frames the fade presents.
    dpy_error_switch = 1;
    testing::internal::CaptureStdout();
    demo_fade_out();
    const std::string out = testing::internal::GetCapturedStdout();
    dpy_error_switch = 0;
    // 64 frames, each taking 4 off every channel: 255 ends at 0.
    std::string expected;
    for (int i = 0; i < 64; ++i)
        expected += "SDLDPY error\n";
    EXPECT_EQ(out, expected);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(screen->pixels[i], 0u);
    img_free(&screen);
}

TEST(DemoState, TheErrorLineFollowsTheSwitch) {
    testing::internal::CaptureStdout();
    demo_error();
    demo_error_switch = 1;
    demo_error();
    demo_error_switch = 0;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "QUOR7706 Error.\n");
}

}  // namespace
