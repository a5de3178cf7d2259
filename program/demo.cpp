// Start-up, shutdown, the part cycle and the shared key handling.
#include "program/demo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/img.h"
#include "platform/dpy.h"
#include "platform/fps.h"
#include "platform/kbd.h"
#include "platform/snd.h"
#include "text/font.h"
#include "text/scroll.h"

const char* const demo_ident[5] = {"QUOR7706", "20261206", "Vandrell", "LINUXSDL", "PROGRAM "};

int32_t screen_width = 256;
int32_t screen_height = 256;
uint8_t show_pictures = 1;

uint8_t part_request = 0;
Display* display = nullptr;
Image* screen = nullptr;
Keyboard* keyboard = nullptr;
uint8_t demo_error_switch = 0;
uint8_t demo_rotor_in_cycle = 0;

namespace {

void set_scroll_speed(int32_t speed) {
    if (scroller) scroller->speed = speed;
}

}  // namespace

void demo_error() {
    if (demo_error_switch) printf("QUOR7706 Error.\n");
}

void demo_init() {
    dpy_view_from_environment("quor7706");  // QUOR7706_SCALE, QUOR7706_FULLSCREEN
    display = dpy_new();
    dpy_capture_from_environment();  // QUOR7706_CAPTURE=N records the next N frames
    const char* rotor = getenv("QUOR7706_ROTOR");
    demo_rotor_in_cycle = rotor && *rotor && strcmp(rotor, "0") != 0;
    dpy_set_mode(display, screen_width, screen_height);
    screen = img_new();
    if (display) img_resize(screen, display->width, display->height);
    keyboard = kbd_new();
    demo_init_objects();
    fps_state.target_fps = kFrameRate;
}

void demo_shutdown() {
    demo_fade_out();
    font_free(&font);
    img_free(&screen);
    scroll_free(&scroller);
    kbd_free(&keyboard);
    dpy_free(&display);
    snd_close(&sound);
}

void demo_handle_key(uint8_t key) {
    switch (key) {
        case 'q':
        case 'Q':
        case kbd_escape:
            part_request = kPartQuit;
            break;
        case ' ':
            part_request = kPartNext;
            break;
        case '3':
        case '6':
        case '7':
            show_pictures ^= 1;
            break;
        case 'u':
            set_scroll_speed(0);
            break;
        case 'i':
            set_scroll_speed(1);
            break;
        case 'o':
            set_scroll_speed(2);
            break;
        case 'p':
            set_scroll_speed(4);
            break;
        default:
            break;
    }
}

void demo_fade_out() {
    for (int32_t i = 0; i < kFadeFrames; ++i) {
        img_fade(screen, 0x040404);
        dpy_present(display, screen);
    }
}

int demo_main() {
    if (!dpy_available()) {
        fprintf(stderr,
                "quor7706: no display to open a window on (DISPLAY is not set); "
                "run it under Xvfb: xvfb-run -a quor7706\n");
        return 2;
    }
    demo_init();
    if (!dpy_state.surface || !screen || !keyboard) {
        fprintf(stderr, "quor7706: cannot open the %d x %d window: %s\n", screen_width,
                screen_height, dpy_failure());
        return 2;
    }
    // Between parts: a quit ends the cycle, a request for the next part is spent.
    const auto quit = [] {
        if (part_request == kPartQuit) return true;
        part_request = kPartRunOn;
        return false;
    };
    for (;;) {
        demo_part_pictures();
        if (quit()) break;
        demo_part_tiles();
        if (quit()) break;
        demo_part_logo();
        if (quit()) break;
        if (!demo_rotor_in_cycle) continue;
        demo_part_rotor();
        if (quit()) break;
    }
    demo_shutdown();
    return 1;
}
