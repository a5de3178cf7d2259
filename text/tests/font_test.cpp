#include "text/font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kBackground = 0xEEEEEE;

// Unique non-zero sheet pixels, with a diagonal pattern of transparent 0s.
uint32_t sheet_pixel(int32_t x, int32_t y) {
    return (x + y) % 5 == 0 ? 0 : static_cast<uint32_t>(y * 256 + x + 1);
}

// An 8 x 8 font on a sheet_width x 32 sheet (256: 32 cells a row, codes 0 to 127).
Font* test_font(int32_t sheet_width = 256) {
    Font* font = font_new();
    font->width = font->height = 8;
    font->image = img_new();
    img_resize(font->image, sheet_width, 32);
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < sheet_width; ++x)
            img_put_pixel(font->image, x, y, sheet_pixel(x, y));
    return font;
}

Image* target(int32_t width, int32_t height) {
    Image* image = img_new();
    img_resize(image, width, height);
    std::fill_n(image->pixels, width * height, kBackground);
    return image;
}

int count_drawn(const Image* image) {
    return static_cast<int>(
        image->width * image->height -
        std::count(image->pixels, image->pixels + image->width * image->height, kBackground));
}

// Checks that the 8 x 8 sheet cell at (sx, sy) shows at (x, y), clipped, with
// the background where the sheet is 0; returns the number of pixels drawn.
int expect_cell(const Image* image, int32_t x, int32_t y, int32_t sx, int32_t sy) {
    int drawn = 0;
    for (int32_t r = 0; r < 8; ++r)
        for (int32_t c = 0; c < 8; ++c) {
            if (x + c < 0 || x + c >= image->width || y + r < 0 || y + r >= image->height) continue;
            const uint32_t s = sheet_pixel(sx + c, sy + r);
            EXPECT_EQ(img_get_pixel(image, x + c, y + r), s ? s : kBackground) << sx << "," << sy;
            drawn += s != 0;
        }
    return drawn;
}

}  // namespace

TEST(Font, GlyphCellsOnA256By32Sheet) {
    Font* fresh = font_new();
    EXPECT_EQ(fresh->width, 6);
    EXPECT_EQ(fresh->image, nullptr);
    Font* font = test_font();
    struct Case {
        int32_t code, sx, sy;
    };
    for (Case c : {Case{65, 8, 16}, Case{31, 248, 0}, Case{32, 0, 8}, Case{127, 248, 24}}) {
        Image* image = target(40, 20);
        font_draw_char(font, c.code, 5, 3, image);
        EXPECT_EQ(count_drawn(image), expect_cell(image, 5, 3, c.sx, c.sy)) << c.code;
        img_free(&image);
    }

    // Nothing for negative codes, codes past the sheet, a font without a
    // sheet, an empty sheet or target; no report even with IMG reports on.
    Image* image = target(40, 20);
    Font empty_sheet = {8, 8, img_new()};
    img_resize(empty_sheet.image, 0, 32);
    Image no_pixels = {0, 0, 8, 8, nullptr};
    img_error_switch = 1;
    testing::internal::CaptureStdout();
    for (int32_t code : {-1, -128, -40, 128, 200, INT32_MIN, INT32_MAX})
        font_draw_char(font, code, 5, 3, image);
    font_draw_char(fresh, 65, 0, 0, image);
    font_draw_char(&empty_sheet, 65, 0, 0, image);
    font_draw_char(font, 65, 0, 0, &no_pixels);
    font_draw_char(font, 65, INT32_MAX, INT32_MIN, image);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    img_error_switch = 0;
    EXPECT_EQ(count_drawn(image), 0);

    // Over the edges: clipped, not shifted.
    font_draw_char(font, 65, -3, -2, image);
    font_draw_char(font, 66, 36, 15, image);
    expect_cell(image, -3, -2, 8, 16);
    expect_cell(image, 36, 15, 16, 16);

    // A sheet 20 wide holds the cells as one strip: code 3 starts at strip
    // pixel 24, column 4 of cell row 1.
    Font* strip = test_font(20);
    Image* small = target(8, 8);
    font_draw_char(strip, 3, 0, 0, small);
    EXPECT_EQ(count_drawn(small), expect_cell(small, 0, 0, 4, 8));

    img_free(&empty_sheet.image);
    for (Image** p : {&image, &small})
        img_free(p);
    for (Font** p : {&font, &fresh, &strip})
        font_free(p);
    EXPECT_EQ(font, nullptr);
    font_free(&font);
}

TEST(Font, TextRunsToTheNewlineOrTheEnd) {
    Font* font = test_font();
    Image* image = target(64, 8);
    font_draw_text(font, "AB\nC", 10, 0, image);
    int drawn = expect_cell(image, 10, 0, 8, 16);
    drawn += expect_cell(image, 18, 0, 16, 16);
    EXPECT_EQ(count_drawn(image), drawn);

    Image* blank = target(64, 8);
    font_draw_text(font, "\nAB\n", 0, 0, blank);
    font_draw_text(font, nullptr, 0, 0, blank);
    font_draw_text(font, "\xFF\x80\n", 0, 0, blank);  // codes -1 and -128
    EXPECT_EQ(count_drawn(blank), 0);

    // No newline: the line ends at the zero, with no byte read after it.
    char* exact = static_cast<char*>(malloc(3));
    memcpy(exact, "AB", 3);
    Image* no_newline = target(64, 8);
    font_draw_text(font, exact, 10, 0, no_newline);
    EXPECT_EQ(img_equal(no_newline, image), 1);
    free(exact);
    font_draw_text(font, "ABCDEFGH", INT32_MAX - 20, 0, blank);  // no overflow
    EXPECT_EQ(font_text_length(""), 0);
    EXPECT_EQ(font_text_length("abc"), 3);
    for (Image** p : {&image, &blank, &no_newline})
        img_free(p);
    font_free(&font);
}

TEST(Font, HexReadOuts) {
    Font* font = test_font();
    using Draw = void (*)(const Font*, uint32_t, int32_t, int32_t, Image*);
    auto check = [&](Draw draw, uint32_t value, const char* digits) {
        Image* got = target(80, 8);
        Image* want = target(80, 8);
        draw(font, value, 4, 0, got);
        for (int i = 0; digits[i]; ++i)
            font_draw_char(font, digits[i], 4 + 8 * i, 0, want);
        EXPECT_EQ(img_equal(got, want), 1) << digits;
        img_free(&got);
        img_free(&want);
    };
    check(font_draw_hex8, 0x3D, "3D");
    check(font_draw_hex8, 0x0A, "0A");
    check(font_draw_hex8, 0x1FF, "FF");
    check(font_draw_hex16, 0x12345, "2345");
    check(font_draw_hex32, 0x1F, "0000001F");
    check(font_draw_hex32, 0xFEDCBA98, "FEDCBA98");
    font_free(&font);
}
