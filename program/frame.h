// The steps every part's frame loop shares, private to the program.
#pragma once

#include "platform/fps.h"
#include "platform/kbd.h"
#include "program/demo.h"

// Reads the keyboard once, acts on the key byte and clears it, so a held key
// acts once. Without a keyboard nothing happens.
inline void demo_read_key() {
    kbd_poll(keyboard);
    if (!keyboard || !keyboard->keys) return;
    demo_handle_key(keyboard->keys[0]);
    keyboard->keys[0] = 0;
}

// Holds the loop to the target frame rate.
inline void demo_pace() {
    fps_tick();
    fps_wait();
}
