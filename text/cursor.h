// CURSOR: a wrapping position in a row of cells, with one saved mark.
//
// The scroller keeps its place in its text with one: 1 row of (text length)
// columns, so the position is an index into the text that wraps from the
// last byte to the first.
//
// Ownership: cursor_new returns a record the caller owns; cursor_free(&c)
// releases it and nulls the reference.
//
// Errors: none are printed; every operation ignores a null cursor. A cursor
// needs columns >= 1 to wrap: with fewer, cursor_advance leaves the position
// alone, and cursor_seek does too when columns is 0.
//
// Threads: main thread only.
#pragma once

#include <cstdint>

struct Cursor {
    int32_t rows;      // rows of cells; stored, read by nothing
    int32_t columns;   // cells per row; the position wraps modulo this
    int32_t step;      // amount cursor_advance adds to the position
    int32_t position;  // current cell
    int32_t mark;      // a saved position
};

// A cursor of 4 rows of 16 columns, step 1, position and mark 0; null when
// memory runs out.
Cursor* cursor_new();
// Sets rows, columns and step and puts the position at 0; the mark stays.
void cursor_set(Cursor* cursor, int32_t rows, int32_t columns, int32_t step);
// position + step, wrapped into 0 .. columns - 1 (any step, either sign).
void cursor_advance(Cursor* cursor);
// mark = position.
void cursor_save(Cursor* cursor);
// position = mark.
void cursor_restore(Cursor* cursor);
// position = index mod columns and returns index div columns (the row), both
// truncating toward zero, so a negative index leaves a negative position.
// A null cursor (or one of 0 columns) returns the index unchanged.
int32_t cursor_seek(Cursor* cursor, int32_t index);
// Releases the cursor and nulls the reference.
void cursor_free(Cursor** cursor);

// Identification record: name, date, author (constant data, read by no code).
extern const char* const cursor_ident[3];
