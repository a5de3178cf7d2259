// RASTER: colour bars. A Raster is a circular list of colours with a moving
// start position; painting it gives one colour per image row or column,
// replacing the pixels or blending over them with an alpha out of 256.
// Beside it, four plain image operations fill or blend one row or column.
//
// Ownership: raster_new, raster_clone and raster_load return a record the
// caller owns; raster_free(&r) releases it and nulls the reference. Every
// other operation also works on static records with static colour arrays
// (raster_resize and raster_free replace or free the list, so not on those).
//
// Colour index: row or column k is painted with colours[(position + k) mod
// count], the remainder taken in 0 .. count - 1 even for a negative position.
//
// Blend of pixel p with colour c at alpha a (0 .. 256), per channel:
// (p * (256 - a) + c * a) / 256, truncating; the top byte of the result is 0.
// An alpha outside 0 .. 256 is clamped into it.
//
// Errors: every failed argument check of the RASTER operations prints the
// line "RASTER error" on standard output, always (there is no switch), and
// the operation returns its neutral result (null, 0, or no change). The four
// img_* row and column operations report through img_error() instead.
//
// Threads: main thread only; nothing here locks.
#pragma once

#include <cstdint>

#include "image/img.h"

struct Raster {
    int32_t count;      // number of colours in the list
    int32_t position;   // index of the colour on the first row or column
    uint32_t* colours;  // count colour words, 0x00RRGGBB, owned
};

// ---- Row and column operations on an Image ---------------------------------

// Sets every pixel of column x to colour; a column outside the image changes nothing.
void img_fill_column(Image* image, int32_t x, uint32_t colour);
// Sets every pixel of row y to colour; a row outside the image changes nothing.
void img_fill_row(Image* image, int32_t y, uint32_t colour);
// Blends every pixel of column x with colour at alpha (0 .. 256).
void img_blend_column(Image* image, int32_t x, uint32_t colour, int32_t alpha);
// Blends every pixel of row y with colour at alpha (0 .. 256).
void img_blend_row(Image* image, int32_t y, uint32_t colour, int32_t alpha);

// ---- RASTER ----------------------------------------------------------------

// Prints "RASTER error" (every time).
void raster_error();
// A raster of 256 colours, all 0, at position 0; null when memory runs out.
Raster* raster_new();
// Replaces the list by count zeroed colours and sets position 0.
// NOTE: a negative count, or a list that cannot be allocated, is reported
// and leaves the raster as it was.
void raster_resize(Raster* raster, int32_t count);
// A new raster with a copy of the colours, at position 0; null on failure.
Raster* raster_clone(const Raster* raster);
// Releases the list and the record and nulls the reference.
void raster_free(Raster** raster);
// Sets every colour to 0.
void raster_clear(Raster* raster);
// 1 when both lists hold the same colours in the same order, else 0.
int32_t raster_equal(const Raster* a, const Raster* b);
// Replaces each colour by a weighted mean of itself (weight 2) and its reach
// neighbours on each side (weight 1); after the end the list wraps, before
// index 0 it is mirrored (index |i - d|). Any reach >= 1 is accepted.
void raster_smooth(Raster* raster, int32_t reach);
// position + 1, wrapping from count - 1 to 0.
void raster_step_forward(Raster* raster);
// position - 1, wrapping from 0 to count - 1 (to -1 for an empty list).
void raster_step_back(Raster* raster);
// Sets row y of the image to the colour for k = y, for every row.
void raster_draw_rows(const Raster* raster, Image* image);
// Sets column x of the image to the colour for k = x, for every column.
void raster_draw_columns(const Raster* raster, Image* image);
// Blends row y of the image with the colour for k = y at alpha.
void raster_blend_rows(const Raster* raster, Image* image, int32_t alpha);
// Blends column x of the image with the colour for k = x at alpha.
void raster_blend_columns(const Raster* raster, Image* image, int32_t alpha);
// Copies the list, from colours[0], into the first min(count, width) pixels
// of every row; the rest of each row is left as it was.
void raster_fill_image(const Raster* raster, Image* image);
// Creates (or empties) the named file; colour lists have no file format, so
// nothing is written. 1 on success, else 0.
int32_t raster_save(const Raster* raster, const char* file_name);
// Checks that the named file can be opened and returns an empty raster
// (count 0, position 0); null when the file cannot be opened.
Raster* raster_load(const char* file_name);

// Identification record: name, date, author (constant data, read by no code).
extern const char* const raster_ident[3];
