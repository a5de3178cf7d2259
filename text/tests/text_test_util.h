// The font the text tests draw with, and a way to read back what it drew.
#pragma once

#include <string>

#include "image/tests/image_test_util.h"
#include "text/font.h"

// An 8 x 8 font on a sheet_width x 32 sheet (256: 32 cells a row, codes 0 to
// 127). Each pixel is 0x100 + the code of its cell on a 256-wide sheet, except
// the transparent 0s at the even columns of each cell's last row.
inline Font* test_font(int32_t sheet_width = 256) {
    Font* font = font_new();
    font->width = 8;
    font->height = 8;
    font->image = sized(sheet_width, 32);
    for (int32_t y = 0; y < 32; ++y) {
        for (int32_t x = 0; x < sheet_width; ++x) {
            const bool transparent = y % 8 == 7 && x % 2 == 0;
            img_put_pixel(font->image, x, y, transparent ? 0 : 0x100 + y / 8 * 32 + x / 8);
        }
    }
    return font;
}

// The character at every step-th pixel column of the image's top row ('.' for none).
inline std::string shown(const Image* image, int32_t step = 1) {
    std::string out;
    for (int32_t x = 0; x < image->width; x += step)
        out += image->pixels[x] ? static_cast<char>(image->pixels[x] - 0x100) : '.';
    return out;
}
