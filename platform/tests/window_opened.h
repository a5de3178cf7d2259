// Checks for the window tests: a window that would not open says why, and
// which SDL 1.2 the program runs on.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/dpy.h"

// Passes when the display module has a window; otherwise fails with SDL's reason.
inline testing::AssertionResult window_opened() {
    if (dpy_state.surface) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "no window: " << dpy_failure();
}

// True when SDL 1.2 is sdl12-compat, SDL 1.2's interface over SDL 2 (its
// versions count from 1.2.50), rather than classic SDL 1.2.
inline bool sdl12_compat() {
    const SDL_version* v = SDL_Linked_Version();
    return v->major == 1 && v->minor == 2 && v->patch >= 50;
}
