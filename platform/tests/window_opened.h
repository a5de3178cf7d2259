// A check for the window tests: a window that would not open says why.
#pragma once

#include <gtest/gtest.h>

#include "platform/dpy.h"

// Passes when the display module has a window; otherwise fails with SDL's reason.
inline testing::AssertionResult window_opened() {
    if (dpy_state.surface) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "no window: " << dpy_failure();
}
