// SCROLL: one line of text running sideways through an image, pixel by
// pixel, as an endless loop.
//
// Use: scroll_new, then scroll_set(s, text, font, image) to attach the text,
// the font and the target image; once per frame scroll_draw and scroll_update
// (either order). speed (pixels per update, positive moves the text left) may
// be changed at any time. The line shows width / font width whole characters
// plus one partly hidden one; offset is how many pixels of the first visible
// character are already scrolled out on the left.
//
// Ownership: the scroller owns its cursor and the default font scroll_new
// gives it; scroll_free(&s) releases both (the default font with its sheet,
// if the caller attached one) and the record, and nulls the reference. The
// text, a font given to scroll_set and the image belong to the caller and
// must outlive the scroller; the scroller never frees them. scroll_set keeps
// the default font alive, so a reference the caller took to it stays valid
// until scroll_free.
// NOTE: scroll_free is for records made by scroll_new only.
//
// Errors: none are printed. Every operation ignores a null scroller; update
// and draw do nothing while a piece they use is missing, the text is empty or
// the font's width is below 1. Characters outside the sheet draw nothing;
// characters outside the image are clipped. Only glyph pixels are written:
// the caller clears the image first when it wants a clean line.
//
// Threads: main thread only.
#pragma once

#include <cstdint>

#include "image/img.h"
#include "text/cursor.h"
#include "text/font.h"

struct Scroll {
    int32_t x;         // left edge of the line in the image; 0 after scroll_set
    int32_t y;         // top edge of the line in the image; 0 after scroll_set
    int32_t active;    // 0 after scroll_new, 1 after scroll_set; read by nothing
    int32_t width;     // visible width in pixels: the image's width after scroll_set
    int32_t height;    // the image's height after scroll_set; for the caller
    int32_t reserved;  // always 0
    int32_t speed;     // pixels per update; positive moves the text to the left
    int32_t offset;    // pixels of the first visible character scrolled out
    const char* text;  // zero-terminated, not owned
    Cursor* cursor;    // index of the first visible character in text, owned
    Font* font;        // not owned (except the default font, see above)
    Image* image;      // where the line is drawn, not owned
};

// A scroller with the default text, a cursor over it, a default 6 x 6 font
// without a sheet, no image, speed 1; null when memory runs out.
Scroll* scroll_new();
// Attaches text, font and image, starts at the text's first byte and puts the
// line at (0, 0) with the image's size; speed and offset are kept. Does
// nothing unless all four arguments are given.
void scroll_set(Scroll* scroll, const char* text, Font* font, Image* image);
// Moves the text by speed pixels, the cursor by whole characters.
void scroll_update(Scroll* scroll);
// Draws the visible characters into the image; the cursor's position is kept,
// its mark is set to that position and its step to 1.
void scroll_draw(Scroll* scroll);
// Releases the cursor, the default font and the record; nulls the reference.
void scroll_free(Scroll** scroll);

// Identification record: name, date, author and the default text that
// scroll_new uses (constant data).
extern const char* const scroll_ident[4];
