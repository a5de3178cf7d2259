// The art, text and sound compiled into the program: the catalogue.
//
// Ownership: everything here is program data that lives for the whole run.
// The blobs, the scroll text, the sample table and the hue colours are
// constant: read them, never write them. The three Rasters are mutable
// program state (their colours and positions move while the demo runs) and
// are never freed.
//
// Threads: main thread only, except the values of the sample table, which the
// audio thread may read through the mix buffer's voices (they never change).
//
// Formats: the pictures are whole PNM files in memory (magic line, one to
// three comment lines, size line, 255 for P6, raster); decode them with
// img_from_pnm_length(blob.data, blob.size). Pixel words are 0x00RRGGBB.
// Sample values are signed 16-bit numbers held in 32-bit words.
//
// Errors: none; the data is made and checked at build time (assets/gen/).
#pragma once

#include <cstdint>

#include "assets/gen/asset_counts.h"

struct Raster;
struct Sample;

// A whole file held in memory.
struct Blob {
    const uint8_t* data;
    int64_t size;  // bytes
};

extern const Blob font_sheet;      // P4 256 x 32: 4 rows of 32 glyph cells of 8 x 8 (font)
extern const Blob logo_mask_blob;  // P4 320 x 64: white letters on black (logo_mask)
extern const Blob logo_blob;       // P6 320 x 64: the same letters in colour (logo)
constexpr int32_t picture_count = asset_counts::pictures;
extern const Blob picture_blobs[picture_count];  // P6 128 x 128 each (sprites, tiles)

constexpr int32_t scroll_text_length = 1743;
extern const char* const scroll_text;  // zero-terminated, scroll_text_length characters

constexpr int32_t sample_count = asset_counts::sounds;
extern const Sample sample_table[sample_count];  // the music's sounds, values in constant storage

extern Raster bar_colours;   // 256 colours, all 0 at start (colour bars)
extern Raster ramp_colours;  // 128 colours, yellow-red-yellow ramp (scroll text stripes)
constexpr int32_t hue_count = 24;
extern const uint32_t hue_colours[hue_count];  // colour wheel (logo colouring)

// 64-bit FNV-1a over the bytes of every embedded file, one after the other in
// a fixed order: the font sheet, the logo mask, the logo, pictures 0 to 6, the
// scroll text and the sounds (as the generators wrote them, without the zero
// that ends each embedded copy). One number to compare the data of two builds,
// such as the browser's and this machine's.
uint64_t assets_hash();
