#include "text/font.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kBackground = 0xEEEEEE;

// The sheet pixel at (x, y): unique and non-zero, except a diagonal pattern
// of transparent 0 pixels inside every cell.
uint32_t sheet_pixel(int32_t x, int32_t y) {
    return (x + y) % 5 == 0 ? 0 : static_cast<uint32_t>(y * 256 + x + 1);
}

// An 8 x 8 font on a 256 x 32 sheet: 32 cells per row, codes 0 to 127.
Font* test_font() {
    Font* font = font_new();
    font->width = 8;
    font->height = 8;
    font->image = img_new();
    img_resize(font->image, 256, 32);
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 256; ++x)
            img_put_pixel(font->image, x, y, sheet_pixel(x, y));
    return font;
}

Image* target(int32_t width, int32_t height) {
    Image* image = img_new();
    img_resize(image, width, height);
    for (int32_t i = 0; i < width * height; ++i)
        image->pixels[i] = kBackground;
    return image;
}

// Number of target pixels that are not the background.
int count_drawn(const Image* image) {
    int n = 0;
    for (int32_t i = 0; i < image->width * image->height; ++i)
        n += image->pixels[i] != kBackground;
    return n;
}

// Checks that the 8 x 8 cell at (sx, sy) of the sheet appears at (x, y) of
// the target, background where the sheet is 0, and counts the drawn pixels.
int expect_cell(const Image* image, int32_t x, int32_t y, int32_t sx, int32_t sy) {
    int drawn = 0;
    for (int32_t r = 0; r < 8; ++r)
        for (int32_t c = 0; c < 8; ++c) {
            if (x + c < 0 || x + c >= image->width || y + r < 0 || y + r >= image->height) continue;
            const uint32_t s = sheet_pixel(sx + c, sy + r);
            EXPECT_EQ(img_get_pixel(image, x + c, y + r), s != 0 ? s : kBackground)
                << "cell (" << sx << ", " << sy << ") pixel " << c << ", " << r;
            drawn += s != 0;
        }
    return drawn;
}

}  // namespace

TEST(Font, NewFontHasNoSheetAndDrawsNothing) {
    Font* font = font_new();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->width, 6);
    EXPECT_EQ(font->height, 6);
    EXPECT_EQ(font->image, nullptr);
    Image* image = target(32, 8);
    font_draw_char(font, 65, 0, 0, image);
    font_draw_text(font, "AB\n", 0, 0, image);
    font_draw_hex32(font, 0x12345678, 0, 0, image);
    font_draw_char(nullptr, 65, 0, 0, image);
    EXPECT_EQ(count_drawn(image), 0);

    font_free(&font);
    EXPECT_EQ(font, nullptr);
    font_free(&font);  // already null: nothing
    font_free(nullptr);
    img_free(&image);
}

TEST(Font, GlyphCellsOnA256By32Sheet) {
    Font* font = test_font();
    struct Case {
        int32_t code, sx, sy;
    };
    for (Case c :
         {Case{65, 8, 16}, Case{31, 248, 0}, Case{32, 0, 8}, Case{0, 0, 0}, Case{127, 248, 24}}) {
        Image* image = target(40, 20);
        font_draw_char(font, c.code, 5, 3, image);
        const int drawn = expect_cell(image, 5, 3, c.sx, c.sy);
        EXPECT_EQ(count_drawn(image), drawn) << "code " << c.code << " drew outside its cell";
        img_free(&image);
    }

    // Negative codes and codes past the last cell draw nothing.
    Image* image = target(40, 20);
    for (int32_t code : {-1, -128, -40, 128, 200, INT32_MIN, INT32_MAX})
        font_draw_char(font, code, 5, 3, image);
    EXPECT_EQ(count_drawn(image), 0);

    // Glyphs hanging over any edge of the target are clipped, not shifted.
    font_draw_char(font, 65, -3, -2, image);
    font_draw_char(font, 66, 36, 15, image);
    expect_cell(image, -3, -2, 8, 16);
    expect_cell(image, 36, 15, 16, 16);
    font_draw_char(font, 65, INT32_MAX, INT32_MIN, image);  // far away: nothing

    // A null or empty target, or a sheet of width 0, draws nothing and
    // reports nothing (even with the image library's reports switched on).
    img_error_switch = 1;
    testing::internal::CaptureStdout();
    font_draw_char(font, 65, 0, 0, nullptr);
    Image no_pixels = {0, 0, 8, 8, nullptr};
    font_draw_char(font, 65, 0, 0, &no_pixels);
    Font empty_sheet = {8, 8, img_new()};
    img_resize(empty_sheet.image, 0, 32);
    font_draw_char(&empty_sheet, 65, 0, 0, image);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    img_error_switch = 0;
    img_free(&empty_sheet.image);

    img_free(&image);
    font_free(&font);
}

TEST(Font, CellsRunAsOneStripWhenTheSheetIsNotAMultiple) {
    Font* font = test_font();
    img_resize(font->image, 20, 32);  // 2.5 cells per sheet row
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 20; ++x)
            img_put_pixel(font->image, x, y, sheet_pixel(x, y));
    Image* image = target(16, 16);
    // Code 3 starts at strip pixel 24: column 4 of cell row 1 (sheet row 8).
    font_draw_char(font, 3, 0, 0, image);
    const int drawn = expect_cell(image, 0, 0, 4, 8);
    EXPECT_EQ(count_drawn(image), drawn);
    img_free(&image);
    font_free(&font);
}

TEST(Font, TextRunsToTheNewline) {
    Font* font = test_font();
    Image* image = target(64, 8);
    font_draw_text(font, "AB\nC", 10, 0, image);
    int drawn = expect_cell(image, 10, 0, 8, 16);  // 'A'
    drawn += expect_cell(image, 18, 0, 16, 16);    // 'B'
    EXPECT_EQ(count_drawn(image), drawn);          // nothing after the newline

    Image* blank = target(64, 8);
    font_draw_text(font, "\nAB\n", 0, 0, blank);
    font_draw_text(font, nullptr, 0, 0, blank);
    font_draw_text(nullptr, "AB\n", 0, 0, blank);
    font_draw_text(font, "\xFF\x80\n", 0, 0, blank);  // codes -1 and -128
    EXPECT_EQ(count_drawn(blank), 0);

    // Without a newline the text ends at its terminating zero; the copy
    // below has no byte after it to read.
    char* exact = static_cast<char*>(malloc(3));
    memcpy(exact, "AB", 3);
    Image* no_newline = target(64, 8);
    font_draw_text(font, exact, 10, 0, no_newline);
    EXPECT_EQ(img_equal(no_newline, image), 1);
    free(exact);

    // The advance is the font's width; far to the right nothing overflows.
    font->width = 10;
    Image* wide = target(64, 8);
    font_draw_text(font, "AB", 0, 0, wide);
    // 'B' (strip pixel 660: sheet column 148, row 16) starts at x = 10.
    EXPECT_EQ(img_get_pixel(wide, 12, 0), sheet_pixel(150, 16));
    font_draw_text(font, "ABCDEFGH", INT32_MAX - 20, 0, wide);

    img_free(&image);
    img_free(&blank);
    img_free(&no_newline);
    img_free(&wide);
    font_free(&font);
}

TEST(Font, HexReadOuts) {
    Font* font = test_font();
    // Each read-out against the same digits drawn one by one.
    auto check = [&](void (*draw)(const Font*, uint32_t, int32_t, int32_t, Image*), uint32_t value,
                     const char* digits) {
        Image* got = target(80, 8);
        Image* want = target(80, 8);
        draw(font, value, 4, 0, got);
        for (int i = 0; digits[i]; ++i)
            font_draw_char(font, digits[i], 4 + 8 * i, 0, want);
        EXPECT_EQ(img_equal(got, want), 1) << digits;
        EXPECT_GT(count_drawn(got), 0);
        img_free(&got);
        img_free(&want);
    };
    check(font_draw_hex8, 0x3D, "3D");
    check(font_draw_hex8, 0x0A, "0A");
    check(font_draw_hex8, 0x1FF, "FF");
    check(font_draw_hex16, 0x12345, "2345");
    check(font_draw_hex16, 0xBEEF, "BEEF");
    check(font_draw_hex32, 0x1F, "0000001F");
    check(font_draw_hex32, 0xFEDCBA98, "FEDCBA98");

    Image* image = target(80, 8);
    font_draw_hex32(nullptr, 0x1234, 0, 0, image);
    EXPECT_EQ(count_drawn(image), 0);
    img_free(&image);
    font_free(&font);
}

TEST(Font, TextLength) {
    EXPECT_EQ(font_text_length(""), 0);
    EXPECT_EQ(font_text_length("abc"), 3);
    EXPECT_EQ(font_text_length("a\nb"), 3);
    EXPECT_EQ(font_text_length(nullptr), 0);
}
