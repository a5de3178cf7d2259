// The scroller: moving by pixels and whole characters, drawing the visible
// part of the line and running on from the end of the text into its start.
#include "text/scroll.h"

#include <gtest/gtest.h>

#include <climits>

#include "text/tests/text_test_util.h"

namespace {

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

TEST(Scroll, MovesDrawsAndRepeatsTheLine) {
    Scroll* s = scroll_new();
    EXPECT_STREQ(s->text, "A scroll's default text. ");
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
    const int32_t lo = INT32_MIN;
    const int32_t hi = INT32_MAX;
    const int32_t moves[][5] = {{1, 0, 8, 1, 0},   {1, 0, 5, 0, 5},   {20, 0, 1, 2, 4},
                                {-1, 0, 1, 9, 7},  {-20, 0, 1, 7, 4}, {lo, lo, 1, 7, 8},
                                {hi, hi, 1, 1, 6}, {-8, 0, 1, 8, 8}};
    for (auto& m : moves) {
        scroll_set(s, "0123456789", font, image);
        s->speed = m[0];
        s->offset = m[1];
        for (int i = 0; i < m[2]; ++i)
            scroll_update(s);
        EXPECT_EQ(std::pair(s->cursor->position, s->offset), std::pair(m[3], m[4])) << m[0];
    }

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
        s->offset = offset;
        s->x = x;
        s->width = width;
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
    scroll_free(&s);
    EXPECT_EQ(s, nullptr);
    font_free(&font);
    img_free(&image);
}
