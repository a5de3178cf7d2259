// The three parts of the demo cycle: their frame loops, frame counts, fades
// and request handling. Each draws a simple picture of its own for now.
#include <cstdint>

#include "image/img.h"
#include "platform/dpy.h"
#include "platform/fps.h"
#include "platform/kbd.h"
#include "program/demo.h"

namespace {

// Reads the keyboard once, acts on the key byte and clears it, so a held key
// acts once.
void read_key() {
    kbd_poll(keyboard);
    if (!keyboard || !keyboard->keys) return;
    demo_handle_key(keyboard->keys[0]);
    keyboard->keys[0] = 0;
}

void pace() {
    fps_tick();
    fps_wait();
}

// A soft colour from the sine table: each channel swings around 128 with its
// own phase offset.
uint32_t wave_colour(int32_t phase) {
    const int16_t* t = img_sine_table.values;
    const int32_t m = img_sine_table.mask;
    const uint32_t r = 128 + ((t[phase & m] * 120) >> 15);
    const uint32_t g = 128 + ((t[(phase + 341) & m] * 120) >> 15);
    const uint32_t b = 128 + ((t[(phase + 683) & m] * 120) >> 15);
    return (r << 16) | (g << 8) | b;
}

// Vertical bars: every column one colour, rolling sideways with the frame.
void draw_columns(int32_t frame) {
    if (!screen || screen->height <= 0) return;
    uint32_t* row = screen->pixels;
    for (int32_t x = 0; x < screen->width; ++x)
        row[x] = wave_colour(x * 6 + frame * 5);
    for (int32_t y = 1; y < screen->height; ++y)
        for (int32_t x = 0; x < screen->width; ++x)
            row[y * screen->width + x] = row[x];
}

// Horizontal bars: every row one colour, rolling upward with the frame.
void draw_rows(int32_t frame) {
    if (!screen) return;
    for (int32_t y = 0; y < screen->height; ++y) {
        const uint32_t c = wave_colour(y * 6 + frame * 4);
        for (int32_t x = 0; x < screen->width; ++x)
            screen->pixels[y * screen->width + x] = c;
    }
}

// A dotted sine trace in the middle of the screen that leaves fading trails.
void draw_trace(int32_t frame) {
    if (!screen) return;
    const int16_t* t = img_sine_table.values;
    const int32_t m = img_sine_table.mask;
    const uint32_t colour = wave_colour(frame * 16) | 0x808080;
    for (int32_t x = 0; x < screen->width; ++x) {
        const int32_t y = (screen->height >> 1) + ((t[(x * 8 + frame * 12) & m] * 48) >> 15);
        img_put_pixel(screen, x, y, colour);
    }
}

}  // namespace

void demo_part_pictures() {
    demo_fade_out();
    for (int32_t frame = 0; frame < kPicturesFrames; ++frame) {
        draw_columns(frame);
        dpy_present(display, screen);
        read_key();
        if (part_request != 0) break;
        demo_music_feed();
        pace();
    }
}

void demo_part_tiles() {
    demo_fade_out();
    for (int32_t frame = 1;; ++frame) {
        draw_rows(frame);
        dpy_present(display, screen);
        demo_music_feed();
        pace();
        read_key();
        if (part_request != 0 || frame == kTilesFrames) {
            demo_fade_out();
            return;
        }
    }
}

void demo_part_logo() {
    for (int32_t counter = kLogoFrames - 1; counter >= 0; --counter) {
        demo_music_feed();
        pace();
        draw_trace(counter);
        img_fade(screen, 0x020202);
        dpy_present(display, screen);
        read_key();
        if (part_request != 0) break;
    }
}
