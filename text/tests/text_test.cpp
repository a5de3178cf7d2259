#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "image/tests/image_test_util.h"
#include "text/font.h"
#include "text/scroll.h"

namespace {

// An 8 x 8 font on a sheet_width x 32 sheet (256: 32 cells a row, codes 0 to
// 127). Each pixel is 0x100 + the code of its cell on a 256-wide sheet, except
// the transparent 0s at the even columns of each cell's last row.
Font* test_font(int32_t sheet_width = 256) {
    Font* font = font_new();
    font->width = font->height = 8;
    font->image = sized(sheet_width, 32);
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < sheet_width; ++x)
            img_put_pixel(font->image, x, y,
                          y % 8 == 7 && x % 2 == 0 ? 0 : 0x100 + y / 8 * 32 + x / 8);
    return font;
}

// The character at every step-th pixel column of the image's top row ('.' for none).
std::string shown(const Image* image, int32_t step = 1) {
    std::string out;
    for (int32_t x = 0; x < image->width; x += step)
        out += image->pixels[x] ? static_cast<char>(image->pixels[x] - 0x100) : '.';
    return out;
}

// The top row of a 304-wide line image: each character over the 8 pixel
// columns of its cell, the first skip columns left out, '.' after the last.
std::string wide(const std::string& chars, size_t skip = 0) {
    std::string out;
    for (char c : chars)
        out += std::string(8, c);
    out.erase(0, skip);
    out.resize(304, '.');
    return out;
}

}  // namespace

TEST(Font, GlyphCellsTextAndHexOnA256By32Sheet) {
    Font* font = test_font();
    Font* strip = test_font(20);  // the cells as one strip: code 3 at column 4 of cell row 1
    Font no_sheet = {8, 8, nullptr}, empty_sheet = {8, 8, sized(0, 32)};
    Image no_pixels = {0, 0, 8, 8, nullptr};
    char* exact = strdup("AB");  // no newline: the line ends at the zero, nothing read past it
    Image* got = sized(72, 40);
    std::fill_n(got->pixels, 72 * 40, 0xEEEEEEu);  // a background for the transparent pixels
    Image* want = img_clone(got);
    // Font, code, x, y -> the sheet cell (sx, sy), put into want by one transparent copy.
    const std::tuple<Font*, int32_t, int32_t, int32_t, int32_t, int32_t> glyphs[] = {
        {font, 65, 5, 3, 8, 16},     {font, 31, 15, 3, 248, 0}, {font, 32, 25, 3, 0, 8},
        {font, 127, 35, 3, 248, 24}, {strip, 3, 45, 3, 4, 8},   {font, 65, -3, -2, 8, 16},
        {font, 66, 68, 35, 16, 16},  {font, 65, 10, 20, 8, 16}, {font, 66, 18, 20, 16, 16},
        {font, 65, 30, 20, 8, 16},   {font, 66, 38, 20, 16, 16}};
    for (auto [f, code, x, y, sx, sy] : glyphs)
        img_blit_transparent(f->image, want, sx, sy, x, y, 8, 8);
    // Everything is drawn into one image (the cells at y 20 as two lines of
    // text), the cases at (50, 20) drawing nothing; with IMG reports on, the
    // one report is the copy's, for the target without pixels.
    EXPECT_EQ(reported([&] {
                  for (auto [f, code, x, y, sx, sy] : glyphs)
                      if (y != 20) font_draw_char(f, code, x, y, got);
                  font_draw_text(font, "AB\nC", 10, 20, got);
                  font_draw_text(font, exact, 30, 20, got);
                  for (int32_t code : {-1, -128, -40, 128, 200, INT32_MIN, INT32_MAX})
                      font_draw_char(font, code, 50, 20, got);
                  font_draw_char(&no_sheet, 65, 50, 20, got);
                  font_draw_char(&empty_sheet, 65, 50, 20, got);
                  font_draw_char(font, 65, 0, 0, &no_pixels);
                  font_draw_char(font, 65, INT32_MAX, INT32_MIN, got);
                  font_draw_text(font, "\nAB\n", 50, 20, got);
                  font_draw_text(font, nullptr, 50, 20, got);
                  font_draw_text(font, "\xFF\x80\n", 50, 20, got);            // codes -1 and -128
                  font_draw_text(font, "ABCDEFGH", INT32_MAX - 20, 20, got);  // no overflow
              }),
              "IMG error\n");
    EXPECT_EQ(img_equal(got, want), 1);
    free(exact);
    EXPECT_EQ(std::pair(font_text_length("abc"), font_text_length(nullptr)), std::pair(3, 0));

    // Hex read-outs a cell apart, so that a digit too many would show.
    Image* line = sized(200, 8);
    font_draw_hex8(font, 0x1FF, 0, 0, line);
    font_draw_hex16(font, 0x12345, 24, 0, line);
    font_draw_hex32(font, 0x1F, 64, 0, line);
    font_draw_hex32(font, 0xFEDCBA98, 136, 0, line);
    EXPECT_EQ(shown(line, 8), "FF.2345.0000001F.FEDCBA98");
    for (Image** p : {&got, &want, &line, &empty_sheet.image})
        img_free(p);
    for (Font** p : {&strip, &font, &font})  // the second time a null reference
        font_free(p);
    EXPECT_EQ(font, nullptr);
}

TEST(Scroll, MovesDrawsAndRepeatsTheLine) {
    Scroll* s = scroll_new();
    EXPECT_EQ(s->text, scroll_ident[3]);
    EXPECT_STREQ(s->text, "A scroll's default text. ");
    EXPECT_EQ(s->cursor->columns, 25);
    scroll_draw(s);  // no image: nothing, but updates move the cursor
    for (int i = 0; i < 6; ++i)
        scroll_update(s);
    EXPECT_EQ(s->cursor->position, 1);  // speed 1, default font 6 wide
    // The default font goes with the scroller, also after scroll_set has
    // replaced it and with a sheet attached (the leak check would see it).
    s->font->image = img_new();

    Font* font = test_font();
    Image* image = sized(304, 8);
    // Speed, offset, updates -> cursor position, offset; the extremes without overflow.
    const int32_t lo = INT32_MIN, hi = INT32_MAX;
    const int32_t moves[][5] = {{1, 0, 8, 1, 0},   {1, 0, 5, 0, 5},   {4, 0, 2, 1, 0},
                                {0, 0, 9, 0, 0},   {20, 0, 1, 2, 4},  {-1, 0, 1, 9, 7},
                                {-20, 0, 1, 7, 4}, {lo, lo, 1, 7, 8}, {hi, hi, 1, 1, 6},
                                {-8, 0, 1, 8, 8}};
    for (auto& m : moves) {
        scroll_set(s, "0123456789", font, image);
        std::tie(s->speed, s->offset) = std::pair(m[0], m[1]);
        for (int i = 0; i < m[2]; ++i)
            scroll_update(s);
        EXPECT_EQ(std::pair(s->cursor->position, s->offset), std::pair(m[3], m[4])) << m[0];
    }
    scroll_draw(s);  // offset 8 draws as one character further at offset 0
    EXPECT_EQ(shown(image).substr(0, 256), wide("90123456789012345678901234567890").substr(0, 256));

    // Text, cursor seek, offset, x, width -> the line's top row. A short text
    // repeats, an empty one draws nothing, a 256-wide line shows 33 characters
    // and runs on from the end of the text into its start, and a position
    // below 0 still reads inside the text.
    const char* text = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789()-";
    const std::tuple<const char*, int32_t, int32_t, int32_t, int32_t, std::string> lines[] = {
        {"ABC", 0, 0, 0, 64, wide("ABCABCABC")},
        {"", 0, 0, 0, 304, wide("")},
        {text, 30, 7, 0, 256, wide("456789()-ABCDEFGHIJKLMNOPQRSTUVWX", 7)},
        {"ABC", -2, 2, 4, 64, wide(".BCABCABCA", 6)}};
    image->pixels[304 + 300] = 0xABCDEF;
    for (auto& [t, seek, offset, x, width, want] : lines) {
        scroll_set(s, t, font, image);
        cursor_seek(s->cursor, seek);
        s->cursor->step = 5;
        std::tie(s->offset, s->x, s->width) = std::tuple(offset, x, width);
        std::fill_n(image->pixels, 304, 0u);
        scroll_draw(s);
        EXPECT_EQ(shown(image), want) << t << " from " << seek;
    }
    EXPECT_EQ(image->pixels[604], 0xABCDEFu);  // only glyph pixels are written
    EXPECT_EQ(std::tuple(s->cursor->position, s->cursor->mark, s->cursor->step),
              std::tuple(-2, -2, 1));

    // scroll_set starts the new text from its first byte, keeps speed and
    // offset, and does nothing without all its pieces.
    scroll_set(s, "XYZ", font, image);
    EXPECT_EQ(std::tuple(s->cursor->position, s->cursor->columns, s->speed, s->offset, s->x),
              std::tuple(0, 3, -8, 2, 0));
    scroll_set(s, "ABC", nullptr, image);
    EXPECT_STREQ(s->text, "XYZ");
    // A font without width: nothing moves or is drawn, nothing hangs.
    font->width = 0;
    std::fill_n(image->pixels, 304, 0u);
    scroll_update(s);
    scroll_draw(s);
    EXPECT_EQ(std::pair(s->offset, shown(image)), std::pair(2, wide("")));
    font->width = 8;
    s->width = s->offset = INT32_MAX;  // absurd values set by hand stay bounded
    scroll_draw(s);
    scroll_free(&s);
    EXPECT_EQ(s, nullptr);
    font_free(&font);
    img_free(&image);
}

TEST(Cursor, SeekAndAdvance) {
    Cursor* c = cursor_new();  // 16 columns
    EXPECT_EQ(cursor_seek(c, 37), 2);
    EXPECT_EQ(c->position, 5);
    EXPECT_EQ(cursor_seek(c, -3), 0);
    EXPECT_EQ(c->position, -3);
    EXPECT_EQ(cursor_seek(c, INT32_MIN), INT32_MIN / 16);
    EXPECT_EQ(cursor_seek(nullptr, 77), 77);
    cursor_set(c, 1, -5, 1);  // negative columns divide as integers do
    EXPECT_EQ((std::pair(cursor_seek(c, 12), c->position)), std::pair(-2, 2));
    cursor_set(c, 1, -1, 1);  // the one quotient past 32 bits wraps
    EXPECT_EQ(cursor_seek(c, INT32_MIN), INT32_MIN);
    cursor_set(c, 4, 16, 1);
    // From, step -> position.
    const int32_t moves[][3] = {
        {0, 40, 8},           {0, -17, 15}, {15, 1, 0}, {-3, 1, 14}, {INT32_MAX, INT32_MAX, 14},
        {5, INT32_MIN + 1, 6}};
    for (auto& m : moves) {
        std::tie(c->position, c->step) = std::pair(m[0], m[1]);
        cursor_advance(c);
        EXPECT_EQ(c->position, m[2]) << m[0] << " + " << m[1];
    }
    cursor_set(c, 1, 0, 1);  // no columns: nothing moves, nothing hangs
    cursor_advance(c);
    EXPECT_EQ(cursor_seek(c, 9), 9);
    EXPECT_EQ(c->position, 0);
    cursor_free(&c);
    EXPECT_EQ(c, nullptr);
}
