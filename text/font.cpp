// The bitmap font: glyph cells cut from a sheet and copied transparently.
#include "text/font.h"

#include <cstdlib>
#include <cstring>

const char* const font_ident[3] = {"FONT", "20261206", "VRL"};

namespace {

// Does v fit a signed 32-bit coordinate?
bool fits(int64_t v) {
    return v >= INT32_MIN && v <= INT32_MAX;
}

// The glyph of code at (x, y) of target. The cell's place on the sheet is
// worked out in 64 bits (code times width can pass 2^31) with truncating
// division, so negative codes land left of or above the sheet; a position
// that no 32-bit coordinate can reach is off the sheet or target anyway.
void draw_glyph(const Font* font, int32_t code, int64_t x, int64_t y, Image* target) {
    if (!font) return;
    if (!font->image) return;
    if (!font->image->pixels) return;
    const int64_t sheet_width = font->image->width;
    if (sheet_width <= 0) return;
    const int64_t p = static_cast<int64_t>(code) * font->width;
    const int64_t sx = p % sheet_width;
    const int64_t sy = (p / sheet_width) * font->height;
    if (!fits(x)) return;
    if (!fits(y)) return;
    if (!fits(sy)) return;
    img_blit_transparent(font->image, target, static_cast<int32_t>(sx), static_cast<int32_t>(sy),
                         static_cast<int32_t>(x), static_cast<int32_t>(y), font->width,
                         font->height);
}

// Character code of a hex digit 0 .. 15, upper case.
int32_t hex_digit(uint32_t nibble) {
    return static_cast<int32_t>(nibble < 10 ? '0' + nibble : 'A' + (nibble - 10));
}

// Two hex digits of the low byte of value at x and x + width.
void draw_hex_byte(const Font* font, uint32_t value, int64_t x, int32_t y, Image* target) {
    if (!font) return;
    draw_glyph(font, hex_digit((value >> 4) & 0xF), x, y, target);
    draw_glyph(font, hex_digit(value & 0xF), x + font->width, y, target);
}

// The bytes of value from the most significant of count bytes down, each two
// digits (2 x width) after the previous.
void draw_hex(const Font* font, uint32_t value, int count, int32_t x, int32_t y, Image* target) {
    if (!font) return;
    for (int i = 0; i < count; ++i) {
        const uint32_t byte = value >> (8 * (count - 1 - i));
        draw_hex_byte(font, byte, x + static_cast<int64_t>(2) * i * font->width, y, target);
    }
}

}  // namespace

Font* font_new() {
    Font* font = static_cast<Font*>(calloc(1, sizeof(Font)));
    if (!font) return nullptr;
    font->width = 6;
    font->height = 6;
    return font;
}

void font_free(Font** font) {
    if (!font) return;
    if (!*font) return;
    if ((*font)->image) img_free(&(*font)->image);
    free(*font);
    *font = nullptr;
}

void font_draw_char(const Font* font, int32_t code, int32_t x, int32_t y, Image* target) {
    draw_glyph(font, code, x, y, target);
}

void font_draw_text(const Font* font, const char* text, int32_t x, int32_t y, Image* target) {
    if (!font) return;
    if (!text) return;
    int64_t px = x;
    for (const char* b = text; *b != '\n' && *b != '\0'; ++b) {
        draw_glyph(font, static_cast<int8_t>(*b), px, y, target);
        px += font->width;
        if (!fits(px)) break;  // nothing further along can be on the target
    }
}

void font_draw_hex8(const Font* font, uint32_t value, int32_t x, int32_t y, Image* target) {
    draw_hex(font, value, 1, x, y, target);
}

void font_draw_hex16(const Font* font, uint32_t value, int32_t x, int32_t y, Image* target) {
    draw_hex(font, value, 2, x, y, target);
}

void font_draw_hex32(const Font* font, uint32_t value, int32_t x, int32_t y, Image* target) {
    draw_hex(font, value, 4, x, y, target);
}

int32_t font_text_length(const char* text) {
    if (!text) return 0;
    const size_t n = strlen(text);
    return n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n);
}
