// The program's shared objects as demo_init makes them, over a 256 x 256
// screen but with no window, keyboard or audio device: for tests that drive
// the real drawing code and whole parts.
#pragma once

#include <cstdlib>

#include "audio/sample.h"
#include "image/img.h"
#include "program/demo.h"
#include "text/font.h"
#include "text/scroll.h"

inline void headless_program_start() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);  // snd_open gives null: silent
    screen = img_new();
    img_resize(screen, 256, 256);
    demo_init_objects();
}

inline void headless_program_stop() {
    font_free(&font);
    scroll_free(&scroller);
    img_free(&logo_mask);
    img_free(&logo);
    img_free(&text_mask);
    img_free(&screen);
    sample_free(&mix);
}
