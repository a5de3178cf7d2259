#include "text/scroll.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

// An 8 x 8 font on a 256 x 32 sheet whose cell of code c is filled with
// 0x100 + c, so every drawn pixel tells which character it belongs to.
Font* solid_font() {
    Font* font = font_new();
    font->width = font->height = 8;
    font->image = img_new();
    img_resize(font->image, 256, 32);
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 256; ++x)
            font->image->pixels[y * 256 + x] = 0x100u + (y / 8) * 32 + x / 8;
    return font;
}

Image* line_image(int32_t width) {
    Image* image = img_new();
    img_resize(image, width, 8);
    return image;
}

// The character at each pixel column of the line's top row ('.' for none).
std::string shown(const Image* image) {
    std::string out;
    for (int32_t x = 0; x < image->width; ++x)
        out += image->pixels[x] ? static_cast<char>(image->pixels[x] - 0x100) : '.';
    return out;
}

// What the line should show: column x holds character (x + offset) / 8 after
// the cursor's, for count characters.
std::string expected(const char* text, int32_t position, int32_t offset, int32_t width,
                     int32_t count) {
    std::string out(width, '.');
    for (int32_t x = 0; x < width; ++x)
        if ((x + offset) / 8 < count) out[x] = text[(position + (x + offset) / 8) % strlen(text)];
    return out;
}

}  // namespace

TEST(Scroll, NewScrollerDefaults) {
    Scroll* s = scroll_new();
    EXPECT_EQ(s->speed, 1);
    EXPECT_EQ(s->offset, 0);
    EXPECT_EQ(s->font->width, 6);
    EXPECT_EQ(s->font->image, nullptr);
    EXPECT_EQ(s->image, nullptr);
    EXPECT_EQ(s->text, scroll_ident[3]);
    EXPECT_EQ(strspn(s->text, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 (),-./:@"), strlen(s->text));
    EXPECT_EQ(s->cursor->columns, font_text_length(s->text));
    EXPECT_EQ(s->cursor->rows, 1);
    scroll_draw(s);  // no image: nothing, but updates move the cursor
    for (int i = 0; i < 6; ++i)
        scroll_update(s);
    EXPECT_EQ(s->cursor->position, 1);

    // The default font goes with the scroller, also after scroll_set has
    // replaced it and with a sheet attached (the leak check would see it).
    s->font->image = img_new();
    Font* font = solid_font();
    Image* image = line_image(16);
    scroll_set(s, "AB", font, image);
    scroll_free(&s);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(font->width, 8);  // the caller's font is left alone
    font_free(&font);
    img_free(&image);
}

TEST(Scroll, UpdateMovesByPixelsAndCharacters) {
    Scroll* s = scroll_new();
    Font* font = solid_font();
    Image* image = line_image(256);
    const char* text = "0123456789";
    struct Case {
        int32_t speed, updates, position, offset;
    };
    for (Case c : {Case{1, 8, 1, 0}, Case{1, 5, 0, 5}, Case{4, 2, 1, 0}, Case{0, 9, 0, 0},
                   Case{20, 1, 2, 4}, Case{-1, 1, 9, 7}, Case{-20, 1, 7, 4}, Case{-8, 1, 8, 8}}) {
        scroll_set(s, text, font, image);
        s->offset = 0;
        s->speed = c.speed;
        for (int i = 0; i < c.updates; ++i)
            scroll_update(s);
        EXPECT_EQ(s->cursor->position, c.position) << c.speed << " x" << c.updates;
        EXPECT_EQ(s->offset, c.offset) << c.speed << " x" << c.updates;
    }
    // Offset 8 draws the same as one character further at offset 0.
    scroll_draw(s);
    EXPECT_EQ(shown(image), expected(text, 9, 0, 256, 33));

    s->speed = s->offset = INT32_MIN;  // extremes: no overflow, offset stays in range
    scroll_update(s);
    EXPECT_TRUE(s->offset >= 1 && s->offset <= 8);
    s->speed = s->offset = INT32_MAX;
    scroll_update(s);
    EXPECT_TRUE(s->offset >= 0 && s->offset < 8);
    EXPECT_TRUE(s->cursor->position >= 0 && s->cursor->position < 10);
    scroll_free(&s);
    font_free(&font);
    img_free(&image);
}

TEST(Scroll, DrawsThirtyThreeCharactersAndRepeatsTheText) {
    Scroll* s = scroll_new();
    Font* font = solid_font();
    Image* image = line_image(300);  // wider than the line, to see where it stops
    const char* text = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789()-";
    scroll_set(s, text, font, image);
    s->width = 256;
    scroll_draw(s);
    EXPECT_EQ(shown(image), expected(text, 0, 0, 300, 33));
    EXPECT_EQ(shown(image).find('.'), 264u);

    img_clear(image);
    cursor_seek(s->cursor, 30);  // runs past the end into the start
    s->offset = 7;
    s->cursor->step = 5;
    image->pixels[299] = 0xABCDEF;
    scroll_draw(s);
    EXPECT_EQ(shown(image).substr(0, 260), expected(text, 30, 7, 260, 33));
    EXPECT_EQ(image->pixels[299], 0xABCDEFu);  // only glyph pixels are written
    EXPECT_EQ(s->cursor->position, 30);
    EXPECT_EQ(s->cursor->mark, 30);
    EXPECT_EQ(s->cursor->step, 1);

    Image* short_line = line_image(64);
    scroll_set(s, "ABC", font, short_line);
    EXPECT_EQ(s->offset, 7);  // kept by scroll_set
    s->offset = 0;
    scroll_draw(s);
    EXPECT_EQ(shown(short_line), expected("ABC", 0, 0, 64, 9));
    img_clear(short_line);
    cursor_seek(s->cursor, -2);  // a position below 0 still reads inside the text
    s->x = 4;
    s->offset = 2;
    scroll_draw(s);
    EXPECT_EQ(shown(short_line).substr(0, 18), "..BBBBBBBBCCCCCCCC");
    scroll_free(&s);
    font_free(&font);
    img_free(&image);
    img_free(&short_line);
}

TEST(Scroll, SetAgainAndMissingPieces) {
    Scroll* s = scroll_new();
    Font* font = solid_font();
    Image* image = line_image(64);
    scroll_set(s, "ABCDEFGH", font, image);
    s->speed = 3;
    for (int i = 0; i < 7; ++i)
        scroll_update(s);
    s->x = 9;
    scroll_set(s, "XYZ", font, image);
    EXPECT_EQ(s->cursor->position, 0);
    EXPECT_EQ(s->cursor->columns, 3);
    EXPECT_EQ(s->speed, 3);
    EXPECT_EQ(s->offset, 5);
    EXPECT_EQ(s->x, 0);
    scroll_set(s, "ABC", nullptr, image);
    EXPECT_STREQ(s->text, "XYZ");

    // An empty text or a font without width: nothing drawn, nothing hangs.
    img_clear(image);
    scroll_set(s, "", font, image);
    scroll_update(s);
    scroll_draw(s);
    scroll_set(s, "ABC", font, image);
    font->width = 0;
    scroll_update(s);
    scroll_draw(s);
    EXPECT_EQ(s->offset, 5);
    EXPECT_EQ(shown(image), std::string(64, '.'));
    font->width = 8;
    s->width = s->offset = INT32_MAX;  // absurd values set by hand stay bounded
    scroll_draw(s);
    scroll_free(&s);
    font_free(&font);
    img_free(&image);
}

TEST(Cursor, SeekAndAdvance) {
    Cursor* c = cursor_new();
    EXPECT_EQ(c->columns, 16);
    EXPECT_EQ(cursor_seek(c, 37), 2);
    EXPECT_EQ(c->position, 5);
    EXPECT_EQ(cursor_seek(c, -3), 0);
    EXPECT_EQ(c->position, -3);
    EXPECT_EQ(cursor_seek(c, INT32_MIN), INT32_MIN / 16);
    EXPECT_EQ(cursor_seek(nullptr, 77), 77);
    struct Case {
        int32_t from, step, to;
    };
    for (Case k : {Case{0, 40, 8}, Case{0, -17, 15}, Case{15, 1, 0}, Case{-3, 1, 14},
                   Case{INT32_MAX, INT32_MAX, 14}, Case{5, INT32_MIN + 1, 6}}) {
        c->position = k.from;
        c->step = k.step;
        cursor_advance(c);
        EXPECT_EQ(c->position, k.to) << k.from << " + " << k.step;
    }
    cursor_save(c);
    cursor_set(c, 1, 3, 2);
    EXPECT_EQ(c->position, 0);
    cursor_restore(c);
    EXPECT_EQ(c->position, 6);
    cursor_set(c, 1, 0, 1);  // no columns: nothing moves, nothing hangs
    cursor_advance(c);
    EXPECT_EQ(cursor_seek(c, 9), 9);
    EXPECT_EQ(c->position, 0);
    cursor_free(&c);
    EXPECT_EQ(c, nullptr);
}
