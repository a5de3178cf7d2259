// The part outside the cycle: the logo mask stretched over the screen and
// shaken while every pixel word turns through its bits, as fast as frames
// can be shown.
#include <cstdlib>

#include "image/img.h"
#include "platform/dpy.h"
#include "program/demo.h"
#include "program/frame.h"

Image* demo_rotor_begin() {
    Image* working = img_new();
    img_resize(working, screen_width - 16, screen_height - 16);
    img_scale(logo_mask, working);
    return working;
}

void demo_rotor_frame(Image* working, int32_t counter) {
    demo_rotate_pixels(working, counter);
    const int32_t r1 = demo_rand();
    const int32_t r2 = demo_rand();
    img_blend_at(working, screen, r2 % 15, (r1 % 15) + 4);
    img_fade(screen, 0x1F1F1F);
}

void demo_part_rotor() {
    Image* working = demo_rotor_begin();
    for (int32_t counter = kRotorFrames - 1; counter >= 0; --counter) {
        demo_music_feed();
        demo_rotor_frame(working, counter);
        dpy_present(display, screen);
        demo_read_key();
        if (part_request != kPartRunOn) break;
    }
    img_free(&working);
}
