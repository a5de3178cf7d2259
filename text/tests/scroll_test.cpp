#include "text/scroll.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "text/cursor.h"
#include "text/font.h"

namespace {

// An 8 x 8 font on a 256 x 32 sheet whose cell of code c is filled with the
// colour 0x100 + c, so every drawn pixel tells which character it belongs to.
Font* solid_font() {
    Font* font = font_new();
    font->width = 8;
    font->height = 8;
    font->image = img_new();
    img_resize(font->image, 256, 32);
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 256; ++x)
            img_put_pixel(font->image, x, y, 0x100u + static_cast<uint32_t>((y / 8) * 32 + x / 8));
    return font;
}

Image* line_image(int32_t width) {
    Image* image = img_new();
    img_resize(image, width, 8);
    return image;
}

// The character drawn at each pixel column of the line ('.' where nothing is).
std::string line_text(const Image* image) {
    std::string out;
    for (int32_t x = 0; x < image->width; ++x) {
        const uint32_t p = img_get_pixel(image, x, 0);
        out += p == 0 ? '.' : static_cast<char>(p - 0x100);
    }
    return out;
}

// What the line should show: pixel column x shows the character (x + offset)
// / 8 places after the cursor's, for count characters.
std::string expected_line(const char* text, int32_t position, int32_t offset, int32_t width,
                          int32_t count) {
    const int32_t len = static_cast<int32_t>(strlen(text));
    std::string out(static_cast<size_t>(width), '.');
    for (int32_t x = 0; x < width; ++x) {
        const int32_t k = (x + offset) / 8;
        if (k < count) out[x] = text[(position + k) % len];
    }
    return out;
}

}  // namespace

TEST(Scroll, NewScrollerDefaults) {
    Scroll* s = scroll_new();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->speed, 1);
    EXPECT_EQ(s->offset, 0);
    EXPECT_EQ(s->x, 0);
    EXPECT_EQ(s->active, 0);
    EXPECT_EQ(s->width, 0);
    EXPECT_EQ(s->image, nullptr);
    ASSERT_NE(s->font, nullptr);
    EXPECT_EQ(s->font->width, 6);
    EXPECT_EQ(s->font->height, 6);
    EXPECT_EQ(s->font->image, nullptr);

    // The default text, which is the identification record's, of capitals,
    // digits, blanks and a few signs only.
    EXPECT_EQ(s->text, scroll_ident[3]);
    const int32_t len = font_text_length(s->text);
    ASSERT_GT(len, 0);
    for (const char* c = s->text; *c; ++c)
        EXPECT_NE(strchr("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 (),-./:@", *c), nullptr) << *c;
    ASSERT_NE(s->cursor, nullptr);
    EXPECT_EQ(s->cursor->rows, 1);
    EXPECT_EQ(s->cursor->columns, len);
    EXPECT_EQ(s->cursor->step, 1);
    EXPECT_EQ(s->cursor->position, 0);

    // Without an image nothing is drawn, but updates move the cursor.
    scroll_draw(s);
    for (int i = 0; i < 6; ++i)
        scroll_update(s);
    EXPECT_EQ(s->cursor->position, 1);
    EXPECT_EQ(s->offset, 0);

    scroll_free(&s);
    EXPECT_EQ(s, nullptr);
    scroll_free(&s);
    scroll_free(nullptr);
}

TEST(Scroll, UpdateMovesByPixelsAndCharacters) {
    Scroll* s = scroll_new();
    Font* font = solid_font();
    Image* image = line_image(256);
    const char* text = "0123456789";
    scroll_set(s, text, font, image);

    struct Case {
        int32_t speed, updates, position, offset;
    };
    // From position 0, offset 0 each time.
    for (Case c : {Case{1, 8, 1, 0}, Case{1, 5, 0, 5}, Case{4, 2, 1, 0}, Case{0, 9, 0, 0},
                   Case{20, 1, 2, 4}, Case{-1, 1, 9, 7}, Case{-1, 8, 9, 0}, Case{-8, 1, 8, 8},
                   Case{-20, 1, 7, 4}, Case{25, 2, 6, 2}}) {
        scroll_set(s, text, font, image);
        s->offset = 0;
        s->speed = c.speed;
        for (int i = 0; i < c.updates; ++i)
            scroll_update(s);
        EXPECT_EQ(s->cursor->position, c.position) << "speed " << c.speed << " x" << c.updates;
        EXPECT_EQ(s->offset, c.offset) << "speed " << c.speed << " x" << c.updates;
    }

    // A move of exactly one character back draws the same line as the cursor
    // one character back at offset 0.
    scroll_set(s, text, font, image);
    s->offset = 0;
    s->speed = -8;
    scroll_update(s);
    scroll_draw(s);
    const std::string back = line_text(image);
    EXPECT_EQ(back, expected_line(text, 9, 0, 256, 33));

    // Extreme speeds and offsets move without overflow and keep the offset
    // inside the character.
    s->speed = INT32_MAX;
    s->offset = INT32_MAX;
    scroll_update(s);
    EXPECT_GE(s->offset, 0);
    EXPECT_LT(s->offset, 8);
    s->speed = INT32_MIN;
    s->offset = INT32_MIN;
    scroll_update(s);
    EXPECT_GE(s->offset, 1);
    EXPECT_LE(s->offset, 8);
    EXPECT_GE(s->cursor->position, 0);
    EXPECT_LT(s->cursor->position, 10);

    scroll_free(&s);
    font_free(&font);
    img_free(&image);
}

TEST(Scroll, DrawsThirtyThreeCharactersAcrossA256Line) {
    Scroll* s = scroll_new();
    Font* font = solid_font();
    Image* image = line_image(300);  // wider than the line, to see where it stops
    const char* text = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789()-";  // 39 bytes
    scroll_set(s, text, font, image);
    s->width = 256;

    scroll_draw(s);
    EXPECT_EQ(line_text(image), expected_line(text, 0, 0, 300, 33));
    EXPECT_EQ(line_text(image).find('.'), 264u);  // 33 whole characters, no more

    img_clear(image);
    s->speed = 3;
    for (int i = 0; i < 5; ++i)
        scroll_update(s);  // 15 pixels: 1 character and 7
    EXPECT_EQ(s->cursor->position, 1);
    EXPECT_EQ(s->offset, 7);
    scroll_draw(s);
    // The first character starts at x = -7, the 33rd ends at 256 - 7 + 8.
    EXPECT_EQ(line_text(image), expected_line(text, 1, 7, 300, 33));

    // The line runs on past the end of the text into its start.
    img_clear(image);
    cursor_seek(s->cursor, 30);
    s->offset = 0;
    scroll_draw(s);
    EXPECT_EQ(line_text(image), expected_line(text, 30, 0, 300, 33));

    // Drawing keeps the position, leaves the mark on it and the step at 1,
    // and writes only glyph pixels.
    s->cursor->step = 5;
    s->cursor->mark = 2;
    const int32_t position = s->cursor->position;
    img_clear(image);
    img_put_pixel(image, 299, 7, 0xABCDEF);
    scroll_draw(s);
    EXPECT_EQ(s->cursor->position, position);
    EXPECT_EQ(s->cursor->mark, position);
    EXPECT_EQ(s->cursor->step, 1);
    EXPECT_EQ(img_get_pixel(image, 299, 7), 0xABCDEFu);

    scroll_free(&s);
    font_free(&font);
    img_free(&image);
}

TEST(Scroll, ShortTextRepeatsAcrossTheLine) {
    Scroll* s = scroll_new();
    Font* font = solid_font();
    Image* image = line_image(64);
    scroll_set(s, "ABC", font, image);
    scroll_draw(s);
    EXPECT_EQ(line_text(image), std::string("AAAAAAAABBBBBBBBCCCCCCCCAAAAAAAABBBBBBBB"
                                            "CCCCCCCCAAAAAAAABBBBBBBB"));
    // A line moved right by x, with an offset, starts there.
    img_clear(image);
    s->x = 4;
    s->offset = 2;
    scroll_draw(s);
    EXPECT_EQ(line_text(image).substr(0, 10), "..AAAAAAAA");

    // A cursor seeked below 0 still reads inside the text.
    img_clear(image);
    s->x = 0;
    s->offset = 0;
    EXPECT_EQ(cursor_seek(s->cursor, -2), 0);
    scroll_draw(s);
    EXPECT_EQ(line_text(image).substr(0, 24), "BBBBBBBBCCCCCCCCAAAAAAAA");

    scroll_free(&s);
    font_free(&font);
    img_free(&image);
}

TEST(Scroll, SetAgainStartsTheNewTextAndKeepsTheMotion) {
    Scroll* s = scroll_new();
    Font* font = solid_font();
    Image* image = line_image(64);
    Image* other = line_image(32);
    scroll_set(s, "ABCDEFGH", font, image);
    EXPECT_EQ(s->active, 1);
    EXPECT_EQ(s->width, 64);
    EXPECT_EQ(s->height, 8);
    s->speed = 3;
    for (int i = 0; i < 7; ++i)
        scroll_update(s);
    EXPECT_EQ(s->cursor->position, 2);
    EXPECT_EQ(s->offset, 5);
    s->x = 9;
    s->y = 4;

    scroll_set(s, "XYZ", font, other);
    EXPECT_EQ(s->cursor->position, 0);
    EXPECT_EQ(s->cursor->columns, 3);
    EXPECT_EQ(s->cursor->mark, 0);
    EXPECT_EQ(s->speed, 3);
    EXPECT_EQ(s->offset, 5);
    EXPECT_EQ(s->x, 0);
    EXPECT_EQ(s->y, 0);
    EXPECT_EQ(s->width, 32);
    EXPECT_EQ(s->image, other);

    // Missing pieces: the call is ignored.
    scroll_set(s, nullptr, font, image);
    scroll_set(s, "ABC", nullptr, image);
    scroll_set(s, "ABC", font, nullptr);
    scroll_set(nullptr, "ABC", font, image);
    EXPECT_STREQ(s->text, "XYZ");
    EXPECT_EQ(s->image, other);

    scroll_free(&s);
    // The caller's font survives the scroller.
    EXPECT_EQ(font->width, 8);
    font_free(&font);
    img_free(&image);
    img_free(&other);
}

TEST(Scroll, EmptyTextOrZeroWidthFontDrawsNothing) {
    Scroll* s = scroll_new();
    Font* font = solid_font();
    Image* image = line_image(64);

    scroll_set(s, "", font, image);
    s->speed = 5;
    scroll_update(s);
    scroll_draw(s);
    EXPECT_EQ(s->offset, 0);
    EXPECT_EQ(line_text(image), std::string(64, '.'));

    scroll_set(s, "ABC", font, image);
    font->width = 0;
    scroll_update(s);
    scroll_draw(s);
    font->width = -8;
    scroll_update(s);
    scroll_draw(s);
    EXPECT_EQ(s->offset, 0);
    EXPECT_EQ(s->cursor->position, 0);
    EXPECT_EQ(line_text(image), std::string(64, '.'));
    font->width = 8;

    // Absurd line widths and offsets set by hand stay bounded by the image.
    s->width = INT32_MAX;
    s->offset = INT32_MAX;
    scroll_draw(s);
    s->offset = INT32_MIN;
    scroll_draw(s);
    s->offset = 0;
    scroll_draw(s);
    EXPECT_EQ(line_text(image).substr(0, 24), "AAAAAAAABBBBBBBBCCCCCCCC");

    scroll_update(nullptr);
    scroll_draw(nullptr);
    scroll_free(&s);
    font_free(&font);
    img_free(&image);
}

TEST(Scroll, DefaultFontIsReleasedWithTheScroller) {
    // The default font, even with a sheet attached, goes with scroll_free
    // (the leak check of the sanitizer build would see it otherwise), also
    // after scroll_set has replaced it.
    Scroll* s = scroll_new();
    s->font->image = img_new();
    Font* font = solid_font();
    Image* image = line_image(16);
    scroll_set(s, "AB", font, image);
    scroll_free(&s);
    font_free(&font);
    img_free(&image);

    // Given its own default font back, the scroller still frees it once.
    Scroll* t = scroll_new();
    Image* line = line_image(16);
    scroll_set(t, "AB", t->font, line);
    scroll_draw(t);
    scroll_free(&t);
    img_free(&line);
}

TEST(Cursor, SeekAndAdvance) {
    Cursor* c = cursor_new();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->rows, 4);
    EXPECT_EQ(c->columns, 16);
    EXPECT_EQ(c->step, 1);
    EXPECT_EQ(c->position, 0);
    EXPECT_EQ(c->mark, 0);

    EXPECT_EQ(cursor_seek(c, 37), 2);
    EXPECT_EQ(c->position, 5);
    EXPECT_EQ(cursor_seek(c, -3), 0);
    EXPECT_EQ(c->position, -3);
    EXPECT_EQ(cursor_seek(c, -35), -2);
    EXPECT_EQ(c->position, -3);
    EXPECT_EQ(cursor_seek(c, INT32_MIN), INT32_MIN / 16);
    EXPECT_EQ(cursor_seek(nullptr, 77), 77);

    struct Case {
        int32_t from, step, to;
    };
    for (Case k : {Case{0, 40, 8}, Case{0, -17, 15}, Case{15, 1, 0}, Case{0, -1, 15},
                   Case{-3, 1, 14}, Case{3, 0, 3}, Case{INT32_MAX, INT32_MAX, 14},
                   Case{INT32_MIN, INT32_MIN, 0}, Case{5, INT32_MIN + 1, 6}}) {
        c->position = k.from;
        c->step = k.step;
        cursor_advance(c);
        EXPECT_EQ(c->position, k.to) << k.from << " + " << k.step;
    }

    c->position = 7;
    cursor_save(c);
    c->position = 2;
    cursor_restore(c);
    EXPECT_EQ(c->position, 7);
    EXPECT_EQ(c->mark, 7);

    cursor_set(c, 1, 3, 2);
    EXPECT_EQ(c->position, 0);
    EXPECT_EQ(c->mark, 7);
    cursor_advance(c);
    cursor_advance(c);
    EXPECT_EQ(c->position, 1);

    // No columns: nothing to wrap into, nothing moves, nothing hangs.
    cursor_set(c, 1, 0, 1);
    cursor_advance(c);
    EXPECT_EQ(c->position, 0);
    EXPECT_EQ(cursor_seek(c, 9), 9);
    EXPECT_EQ(c->position, 0);

    cursor_advance(nullptr);
    cursor_save(nullptr);
    cursor_restore(nullptr);
    cursor_set(nullptr, 1, 1, 1);
    cursor_free(&c);
    EXPECT_EQ(c, nullptr);
    cursor_free(&c);
    cursor_free(nullptr);
}
