// The endless one-line scroller.
#include "text/scroll.h"

#include <cstdlib>
#include <cstring>

#include "container/common.h"

const char* const scroll_ident[4] = {"SCROLL", "20261206", "VRL", "A scroll's default text. "};

namespace {

// A scroller as scroll_new allocates it: the public record followed by the
// default font it made, which it owns whatever font it is given later.
struct ScrollBlock {
    Scroll scroll;  // first, so that the record's address is the block's
    Font* own_font;
};

ScrollBlock* block_of(Scroll* scroll) {
    return reinterpret_cast<ScrollBlock*>(scroll);
}

// Releases the cursor, the default font and the block (a missing cursor or
// font is passed over); gives null.
Scroll* release(ScrollBlock* block) {
    cursor_free(&block->scroll.cursor);
    font_free(&block->own_font);
    free(block);
    return nullptr;
}

// A new cursor over the cells of text: 1 row of (length of text) columns, step 1.
Cursor* cursor_over(const char* text) {
    Cursor* cursor = cursor_new();
    if (cursor) cursor_set(cursor, 1, font_text_length(text), 1);
    return cursor;
}

// Moves the cursor by characters; a count past 32 bits is first brought
// into one turn of the text, which ends at the same place.
void advance_by(Cursor* cursor, int64_t characters) {
    if (characters < INT32_MIN || characters > INT32_MAX) {
        if (cursor->columns < 1) return;
        characters %= cursor->columns;
    }
    cursor->step = static_cast<int32_t>(characters);
    cursor_advance(cursor);
}

// True when the scroller has what moving its line needs: a text that is not
// empty, a cursor over it and a font whose characters have a width.
bool can_move(const Scroll* scroll) {
    if (!scroll->text) return false;
    if (scroll->text[0] == '\0') return false;
    if (!scroll->cursor) return false;
    if (!scroll->font) return false;
    return scroll->font->width >= 1;
}

}  // namespace

Scroll* scroll_new() {
    ScrollBlock* block = static_cast<ScrollBlock*>(calloc(1, sizeof(ScrollBlock)));
    if (!block) return nullptr;
    Scroll* scroll = &block->scroll;
    scroll->text = scroll_ident[3];
    scroll->cursor = cursor_over(scroll->text);
    block->own_font = font_new();
    if (!scroll->cursor) return release(block);
    if (!block->own_font) return release(block);
    scroll->font = block->own_font;
    scroll->speed = 1;
    return scroll;
}

void scroll_set(Scroll* scroll, const char* text, Font* font, Image* image) {
    if (!scroll) return;
    if (!text) return;
    if (!font) return;
    if (!image) return;
    cursor_free(&scroll->cursor);
    scroll->text = text;
    scroll->cursor = cursor_over(text);  // null when memory runs out: the line stays still
    scroll->font = font;
    scroll->image = image;
    scroll->x = 0;
    scroll->y = 0;
    scroll->active = 1;
    scroll->width = image->width;
    scroll->height = image->height;
    scroll->reserved = 0;
}

void scroll_update(Scroll* scroll) {
    if (!scroll) return;
    if (!can_move(scroll)) return;
    const int64_t w = scroll->font->width;
    int64_t offset = static_cast<int64_t>(scroll->offset) + scroll->speed;
    if (offset >= w) {
        advance_by(scroll->cursor, offset / w);
        offset %= w;
    } else if (offset < 0) {
        // One character further back than the division alone gives, so that
        // the offset comes out in 1 .. w (w exactly when the move was a whole
        // number of characters).
        offset -= w;
        advance_by(scroll->cursor, offset / w);
        offset = offset % w + w;
    }
    scroll->offset = static_cast<int32_t>(offset);
}

void scroll_draw(Scroll* scroll) {
    if (!scroll) return;
    if (!can_move(scroll)) return;
    if (!scroll->image) return;
    Cursor* cursor = scroll->cursor;
    const int64_t w = scroll->font->width;
    const int64_t len = static_cast<int64_t>(strlen(scroll->text));
    int64_t count = scroll->width / w + 1;  // whole characters plus the partly hidden one
    int64_t px = static_cast<int64_t>(scroll->x) - scroll->offset;

    cursor_save(cursor);
    // Characters wholly left of the image are passed over in one move.
    if (px < 0 && count > 0) {
        const int64_t hidden = -px / w < count ? -px / w : count;
        if (hidden > 0) {
            advance_by(cursor, hidden);
            px += hidden * w;
            count -= hidden;
        }
    }
    cursor->step = 1;
    for (int64_t i = 0; i < count && px < scroll->image->width; ++i) {
        // A position outside the text (a cursor seeked below 0, or a text
        // swapped under the scroller) is wrapped into it so that no byte past
        // the text is read.
        const char byte = scroll->text[common::floor_mod(cursor->position, len)];
        font_draw_char(scroll->font, static_cast<int8_t>(byte), static_cast<int32_t>(px), scroll->y,
                       scroll->image);
        px += w;
        cursor_advance(cursor);
    }
    cursor_restore(cursor);
}

void scroll_free(Scroll** scroll) {
    if (!scroll) return;
    if (!*scroll) return;
    release(block_of(*scroll));
    *scroll = nullptr;
}
