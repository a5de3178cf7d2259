// Glyph cells cut from the sheet and copied transparently, text lines and hex
// read-outs, on a 256 x 32 sheet whose pixels name their cell.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "text/tests/text_test_util.h"

TEST(Font, GlyphCellsTextAndHexOnA256By32Sheet) {
    Font* font = test_font();
    Font* strip = test_font(20);  // the cells as one strip: code 3 at column 4 of cell row 1
    Font no_sheet = {8, 8, nullptr};
    Font empty_sheet = {8, 8, sized(0, 32)};
    Image no_pixels = {0, 0, 8, 8, nullptr};
    char* exact = strdup("AB");  // no newline: the line ends at the zero, nothing read past it
    Image* got = sized(72, 40);
    std::fill_n(got->pixels, 72 * 40, 0xEEEEEEu);  // a background for the transparent pixels
    Image* want = img_clone(got);
    // Font, code, x, y -> the sheet cell (sx, sy), put into want by one transparent copy.
    const std::tuple<Font*, int32_t, int32_t, int32_t, int32_t, int32_t> glyphs[] = {
        {font, 65, 5, 3, 8, 16},    {font, 32, 25, 3, 0, 8},   {font, 127, 35, 3, 248, 24},
        {strip, 3, 45, 3, 4, 8},    {font, 65, -3, -2, 8, 16}, {font, 65, 10, 20, 8, 16},
        {font, 66, 18, 20, 16, 16}, {font, 65, 30, 20, 8, 16}, {font, 66, 38, 20, 16, 16}};
    for (auto [f, code, x, y, sx, sy] : glyphs)
        img_blit_transparent(f->image, want, sx, sy, x, y, 8, 8);
    // Everything is drawn into one image (the cells at y 20 as two lines of
    // text), the cases at (50, 20) drawing nothing; with IMG reports on, the
    // one report is the copy's, for the target without pixels.
    const std::string printed = reported([&] {
        for (auto [f, code, x, y, sx, sy] : glyphs) {
            if (y != 20) font_draw_char(f, code, x, y, got);
        }
        font_draw_text(font, "AB\nC", 10, 20, got);
        font_draw_text(font, exact, 30, 20, got);
        for (int32_t code : {-1, 128, INT32_MIN, INT32_MAX})
            font_draw_char(font, code, 50, 20, got);
        font_draw_char(&no_sheet, 65, 50, 20, got);
        font_draw_char(&empty_sheet, 65, 50, 20, got);
        font_draw_char(font, 65, 0, 0, &no_pixels);
        font_draw_char(font, 65, INT32_MAX, INT32_MIN, got);
        font_draw_text(font, "\nAB\n", 50, 20, got);
        font_draw_text(font, nullptr, 50, 20, got);
        font_draw_text(font, "\xFF\x80\n", 50, 20, got);            // codes -1 and -128
        font_draw_text(font, "ABCDEFGH", INT32_MAX - 20, 20, got);  // no overflow
    });
    EXPECT_EQ(printed, "IMG error\n");
    EXPECT_EQ(img_equal(got, want), 1);
    free(exact);
    EXPECT_EQ(font_text_length("abc"), 3);
    EXPECT_EQ(font_text_length(nullptr), 0);

    // Hex read-outs a cell apart, so that a digit too many would show.
    Image* line = sized(200, 8);
    font_draw_hex8(font, 0x1FF, 0, 0, line);
    font_draw_hex16(font, 0x12345, 24, 0, line);
    font_draw_hex32(font, 0x1F, 64, 0, line);
    font_draw_hex32(font, 0xFEDCBA98, 136, 0, line);
    EXPECT_EQ(shown(line, 8), "FF.2345.0000001F.FEDCBA98");
    for (Image** p : {&got, &want, &line, &empty_sheet.image})
        img_free(p);
    font_free(&strip);
    font_free(&font);
    font_free(&font);  // a null reference: nothing happens
    EXPECT_EQ(font, nullptr);
}
