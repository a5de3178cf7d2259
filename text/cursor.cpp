// The wrapping cell cursor.
#include "text/cursor.h"

#include <cstdlib>

#include "container/common.h"

const char* const cursor_ident[3] = {"CURSOR", "20261206", "VRL"};

Cursor* cursor_new() {
    Cursor* cursor = static_cast<Cursor*>(calloc(1, sizeof(Cursor)));
    if (!cursor) return nullptr;
    cursor->rows = 4;
    cursor->columns = 16;
    cursor->step = 1;
    return cursor;
}

void cursor_set(Cursor* cursor, int32_t rows, int32_t columns, int32_t step) {
    if (!cursor) return;
    cursor->rows = rows;
    cursor->columns = columns;
    cursor->step = step;
    cursor->position = 0;
}

void cursor_advance(Cursor* cursor) {
    if (!cursor) return;
    if (cursor->columns < 1) return;
    // Subtracting or adding columns until the position lies in 0 .. columns - 1
    // is the floored remainder; taken in one division, and in 64 bits so that
    // no position and step can overflow.
    const int64_t p = static_cast<int64_t>(cursor->position) + cursor->step;
    cursor->position = static_cast<int32_t>(common::floor_mod(p, cursor->columns));
}

void cursor_save(Cursor* cursor) {
    if (!cursor) return;
    cursor->mark = cursor->position;
}

void cursor_restore(Cursor* cursor) {
    if (!cursor) return;
    cursor->position = cursor->mark;
}

int32_t cursor_seek(Cursor* cursor, int32_t index) {
    if (!cursor) return index;
    if (cursor->columns == 0) return index;
    // In 64 bits: the one quotient that leaves 32 bits, INT32_MIN / -1,
    // wraps back to INT32_MIN.
    const int64_t columns = cursor->columns;
    cursor->position = static_cast<int32_t>(index % columns);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(index / columns)));
}

void cursor_free(Cursor** cursor) {
    if (!cursor) return;
    if (!*cursor) return;
    free(*cursor);
    *cursor = nullptr;
}
