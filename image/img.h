// IMG: the one picture type of the system and everything drawn into it.
//
// Ownership: every Image is made by img_new (or a constructor built on it) and
// owns its pixel buffer; img_free(&image) releases both and nulls the caller's
// reference. Only img_resize and img_free release a buffer: never free(pixels)
// (a small image's first buffer lies in its record's own allocation). Texts
// returned by the module are malloc'ed; the caller frees them.
//
// Pixels: one uint32_t per pixel, 0x00RRGGBB, row-major, row 0 at the top.
// 0 (black) is the transparent colour of the transparent copies.
//
// Sine table: 1024 entries for one full turn, peak 32766. An amplitude a is
// scaled by entry i as (a * T[i]) >> 15; the cosine of i is T[(i + 256) & 1023].
//
// Errors: a failed argument check calls img_error(), which prints "IMG error"
// while img_error_switch is non-zero (it is 0 at start and nothing sets it),
// and the operation returns its neutral result (null, 0, or no change).
//
// Threads: main thread only; nothing here locks.
#pragma once

#include <cstdint>

struct Image {
    int32_t x;  // position used by img_add_at only
    int32_t y;
    int32_t width;     // pixels per row
    int32_t height;    // rows
    uint32_t* pixels;  // width * height words, owned
};

struct SineTable {
    int32_t mask;          // 1023
    int32_t count;         // 1024
    int16_t values[1024];  // one period, peak 32766
};

extern const SineTable img_sine_table;
extern uint8_t img_error_switch;

// ---- Image record and whole-image operations -------------------------------

// Prints "IMG error" while the error switch is on.
void img_error();
// A zeroed 16 x 16 image at (0, 0), or null.
Image* img_new();
// Releases the image and its buffer and nulls the reference.
void img_free(Image** image);
// Replaces the buffer by a zeroed one of width x height pixels.
// NOTE: a negative size or one whose pixel count does not fit 31 bits is refused
// like an allocation failure: IMG error, the image keeps its old size and pixels.
void img_resize(Image* image, int32_t width, int32_t height);
// The pixel at (x, y); 0 outside the image (silently).
uint32_t img_get_pixel(const Image* image, int32_t x, int32_t y);
// Stores colour at (x, y); nothing outside the image (silently).
void img_put_pixel(Image* image, int32_t x, int32_t y, uint32_t colour);
// Every pixel to 0.
void img_clear(Image* image);
// Subtracts colour from every channel with a floor of 0; top byte becomes 0.
void img_fade(Image* image, uint32_t colour);
// Copies every pixel word of source into destination of the same size.
void img_copy(const Image* source, Image* destination);
// A new image of the same size and pixels, at (0, 0).
Image* img_clone(const Image* image);
// 1 when both have the same size and pixel words, else 0.
int32_t img_equal(const Image* a, const Image* b);
// destination[k] &= mask[k] for every index k of the mask.
void img_and_mask(const Image* mask, Image* destination);

// ---- Drawing primitives ------------------------------------------------------

// Bresenham points of the line (x0, y0) to (x1, y1): word 0 is 2n, then n (x, y)
// pairs. The caller frees the list. Null only when memory runs out.
int32_t* img_line_points(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// Run counts of a line with sides |a| and |b|: min(|a|, |b|) + 1 counts adding
// up to max(|a|, |b|) + 1. The caller frees the list. Null only when memory runs out.
int32_t* img_line_runs(int32_t a, int32_t b);
// One-pixel outline of the w x h rectangle at (x, y); the rectangle must lie
// wholly inside the image (no clipping).
void img_draw_frame(Image* image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
// Fills the w x h rectangle at (x, y); it must lie wholly inside the image.
void img_fill_rect(Image* image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
// Circle outline of radius r around (cx, cy) from the sine table; the centre
// must lie inside the image, points outside it are skipped.
void img_circle(Image* image, int32_t cx, int32_t cy, int32_t r, uint32_t colour);

// ---- Copying and blitting ----------------------------------------------------
// Source first, destination second; only the destination changes. Rectangles
// are clipped against both images, each pixel keeping its unclipped position.

// Copies the w x h rectangle at (sx, sy) of source to (dx, dy) of destination.
void img_blit(const Image* source, Image* destination, int32_t sx, int32_t sy, int32_t dx,
              int32_t dy, int32_t w, int32_t h);
// As img_blit, but source pixels of 0 leave the destination unchanged.
void img_blit_transparent(const Image* source, Image* destination, int32_t sx, int32_t sy,
                          int32_t dx, int32_t dy, int32_t w, int32_t h);
// As img_blit, adding whole words modulo 2^32 (carries cross channels).
void img_blit_add(const Image* source, Image* destination, int32_t sx, int32_t sy, int32_t dx,
                  int32_t dy, int32_t w, int32_t h);
// As img_blit, adding each colour channel with a ceiling of 255; top byte 0.
void img_blit_add_saturate(const Image* source, Image* destination, int32_t sx, int32_t sy,
                           int32_t dx, int32_t dy, int32_t w, int32_t h);
// Each non-zero source pixel goes to the top-left of its own zx x zy cell;
// cells not wholly inside the destination are skipped.
// NOTE: zx or zy below 1 is refused (IMG error), as it would stack cells.
void img_blit_spread(const Image* source, Image* destination, int32_t sx, int32_t sy, int32_t dx,
                     int32_t dy, int32_t w, int32_t h, int32_t zx, int32_t zy);
// Averages the whole source into destination at (x, y), halving each channel
// of both; source pixels of 0 are skipped.
void img_blend_at(const Image* source, Image* destination, int32_t x, int32_t y);
// Adds the whole source (words, modulo 2^32) into destination at the source's
// own (x, y).
void img_add_at(const Image* source, Image* destination);
// Copies the first min(widths) pixels of a source row into a destination row.
void img_copy_row(const Image* source, Image* destination, int32_t source_row,
                  int32_t destination_row);
// Copies a source row into a destination row starting at column offset
// (modulo the width, wrapping round); source pixels of 0 are skipped.
void img_copy_row_wrap(const Image* source, Image* destination, int32_t source_row,
                       int32_t destination_row, int32_t offset);
// As img_copy_row_wrap, ORing every pixel in.
void img_or_row_wrap(const Image* source, Image* destination, int32_t source_row,
                     int32_t destination_row, int32_t offset);
// Copies a source column into a destination column starting at row offset
// (modulo the height, wrapping round); source pixels of 0 are skipped.
void img_copy_column_wrap(const Image* source, Image* destination, int32_t source_column,
                          int32_t destination_column, int32_t offset);

// ---- PNM decoding ------------------------------------------------------------
// P1 to P6 pictures into new Images (the caller frees them). maxval is read and
// ignored; a set bitmap bit is white (0xFFFFFF), a clear one black (0). Every
// failure (no input, a type other than 1 to 6, a width or height of 0, a size
// beyond 2^31 - 1 pixels, a header number beyond 2^31 - 1, input that ends
// before the picture does) reports an IMG error and gives null.

// Decodes the picture at data. A zero byte ends the header and text pixel data
// (P1 to P3). P1 and P4 widths are rounded up to a multiple of 8, each P1 pixel
// is one digit character, and the one byte after the header is skipped.
// NOTE: without a length the raw data of P4 to P6 is read as far as the header
// says: use it only on pictures the program carries itself, and
// img_from_pnm_length on anything else.
Image* img_from_pnm(const uint8_t* data);
// Decodes exactly as img_from_pnm, but reads nothing at or past data + length:
// input that ends early gives null instead of being read past.
Image* img_from_pnm_length(const uint8_t* data, int64_t length);
// Reads a picture from a file ("rb"). Unlike the memory decoders, every header
// byte examined is consumed (no byte is skipped after the header), widths are
// kept as given, each P4 row starts on a new byte and each P1 pixel is a whole
// number (non-zero is white).
Image* img_load_pnm(const char* path);

// ---- Image writing and the text form ---------------------------------------

// Writes a P6 file: "P6\n", "<width> <height>\n", "255\n", then red, green,
// blue per pixel. 1 when written, 0 (IMG error) otherwise.
int32_t img_save_ppm(const Image* image, const char* path);
// The IMG text form: "IMG{\nP3\n<w> <h>\n255\n", each channel as "%3d ", six
// pixels per line, then "}\n"; "IMG{}" for an image without pixels. The
// caller frees the text; null on failure.
char* img_to_text(const Image* image);
// Reads the IMG text form back into a new Image; null when "IMG", "{" or
// "P3\n" is missing, or when the text ends or a number overflows before the
// last pixel.
Image* img_from_text(const char* text);
// Index in text just past the first occurrence of pattern, or 0 when there is
// none (or either is empty).
int32_t img_find_after(const char* text, const char* pattern);

// ---- Scaling and rotation ------------------------------------------------------

// Rewrites every pixel of destination with source resampled to destination's
// own size (nearest neighbour along the img_line_runs runs).
void img_scale(const Image* source, Image* destination);
// A new image, about 1.414 times the source's size each way, holding the source
// turned by angle (1024 steps a full turn; 512 shows it upright). Null on failure.
Image* img_rotate(const Image* source, int32_t angle);

// Identification record: name, date, author, language, kind (constant data, read by no code).
extern const char* const img_ident[5];
