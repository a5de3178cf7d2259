// FONT: text drawn with a fixed-cell bitmap font.
//
// A Font is a glyph sheet (an Image) cut into equal width x height cells, one
// per character code, packed as one long strip of cells wrapped at the
// sheet's width: code c starts at sheet column (c * width) mod W, sheet row
// ((c * width) div W) * height. Each glyph is one transparent rectangle copy
// (img_blit_transparent): sheet pixels of 0 leave the target as it was, all
// others are copied unchanged, so text takes the colours stored in the sheet.
//
// Ownership: font_new returns a record the caller owns; the caller sets the
// cell size and attaches the sheet directly. The font owns its sheet:
// font_free(&f) releases the sheet (img_free) and the record and nulls the
// reference. Drawing never changes the font.
//
// Codes: text bytes are signed 8-bit codes, so bytes 128 .. 255 are codes
// -128 .. -1; negative codes and codes past the last cell fall outside the
// sheet and draw nothing.
//
// Errors: the module prints none of its own. A null font, a font without a
// sheet, a sheet of width 0 or a null text draws nothing; a null target is
// reported by the copy (an IMG error); glyphs partly or wholly outside the
// target are clipped.
//
// Threads: main thread only.
#pragma once

#include <cstdint>

#include "image/img.h"

struct Font {
    int32_t width;   // cell width in pixels, also the advance per character
    int32_t height;  // cell height in pixels
    Image* image;    // the glyph sheet, owned; null until the caller attaches one
};

// A font of 6 x 6 cells with no sheet; null when memory runs out.
Font* font_new();
// Releases the sheet (if any) and the record and nulls the reference.
void font_free(Font** font);
// Draws the glyph of code with its top-left corner at (x, y) of target.
void font_draw_char(const Font* font, int32_t code, int32_t x, int32_t y, Image* target);
// Draws the bytes of text from (x, y) to the right, width pixels apart, up to
// the first newline.
// NOTE: a zero byte ends the line as well: text without a newline is drawn up
// to its end and nothing past it is read.
void font_draw_text(const Font* font, const char* text, int32_t x, int32_t y, Image* target);
// Draws the low byte of value as two upper-case hex digits.
void font_draw_hex8(const Font* font, uint32_t value, int32_t x, int32_t y, Image* target);
// Draws the low 16 bits of value as four upper-case hex digits.
void font_draw_hex16(const Font* font, uint32_t value, int32_t x, int32_t y, Image* target);
// Draws value as eight upper-case hex digits, most significant first.
void font_draw_hex32(const Font* font, uint32_t value, int32_t x, int32_t y, Image* target);
// Number of bytes before the terminating zero; 0 for a null text.
int32_t font_text_length(const char* text);

// Identification record: name, date, author (constant data, read by no code).
extern const char* const font_ident[3];
