// SAM: moves a Sample between memory and files: the SAM format (a loose text
// header, then binary or decimal values), WAVE files, headerless value files
// and the width-line form, chosen by the file name in sam_save / sam_load.
//
// Ownership: a SamFile owns its sample, its name and its open stream.
// sam_free(&r) closes the stream, frees the name (which must come from malloc)
// and the sample (sample_free) and nulls the caller's reference. A reader
// that stores a new sample releases the one the record held before, so a
// sample handed over with sam_set_sample belongs to the record from then on.
//
// Streams: when `file` is null, readers and writers open `name` themselves;
// a caller may instead put its own open stream in `file` (with `name` null).
// Every reader and writer that runs to its end closes the stream and clears
// `file`, so one record can be read or written again by name.
//
// Number formats: header numbers and decimal values are read as value * 10 +
// digit wrapping modulo 2^32. SAM binary values: the full form is 16-bit
// little-endian, the packed form 8/16/24/32-bit most significant byte first;
// letter-by-letter headers read most significant byte first, unsigned. WAVE
// data: 8-bit unsigned (0..255) or 16-bit signed little-endian.
//
// Errors: nothing is printed (except by sam_bit_count); a failed check goes
// through sam_error() and the operation returns 0. sam_new ends the process
// with exit status -1 when no memory is left for the record.
//
// Threads: main thread only; nothing here locks.
#pragma once

#include <cstdint>
#include <cstdio>

#include "audio/sample.h"

struct SamFile {
    Sample* sample;    // the sample read or to be written; owned
    char* name;        // file name, malloc'ed by the caller; owned
    FILE* file;        // open stream while an operation runs; owned
    int32_t channels;  // channel count from a header
    int32_t depth;     // bits per value; the width of binary values
    char sign;         // 's' or 'u' (either case); informative only
    char format;       // 'b'/'B' binary, 'a'/'A' decimal text
    char order;        // 'l' least significant byte first, 'm' most
};

// ---- Record ------------------------------------------------------------------

// The module's failure hook: the SAM module reports nothing, so it prints nothing.
void sam_error();
// A record with every field zero or null; exits with status -1 when memory runs out.
SamFile* sam_new();
// Closes the stream, frees name, sample and record, nulls the reference.
void sam_free(SamFile** r);
// Stores sample in the record when both are present; an earlier sample is not released.
void sam_set_sample(SamFile* r, Sample* sample);
// 1 when both references are present, else 0.
int32_t sam_ready(const void* a, const void* b);
// Opens name with mode unless a stream is open already; 1 when a stream is open after.
int32_t sam_open(SamFile* r, const char* mode);
// Closes and clears the stream; 1 when everything written reached the file, else 0.
int32_t sam_close(SamFile* r);

// ---- SAM format --------------------------------------------------------------

// Full header ("SAM", format word, fixed description lines, count) and the
// values: 16-bit little-endian for 'b'/'B', one decimal line each for 'a'/'A'.
// NOTE: with any other format only the header is written, the stream stays
// open in the record and the result is 0.
int32_t sam_write(SamFile* r);
// Short header ("SAM", "binary", count, width) and each value in the smallest
// of 8, 16, 24, 32 bits that holds the whole sample, most significant byte first.
int32_t sam_write_packed(SamFile* r);
// Reads a SAM file into a new sample. The exact headers written by sam_write
// and sam_write_packed are read word by word and give back their values; any
// other header is scanned letter by letter (see sam.cpp). 0 when the file
// cannot be opened or ends inside the header.
int32_t sam_read(SamFile* r);
// Prints "BITS: %d\n" with v and with the result: the bits that hold v with its sign.
int32_t sam_bit_count(int32_t v);

// ---- WAVE, headerless and width-line files -----------------------------------

// Reads a canonical 44-byte-header PCM WAVE file of depth 8 or 16; 0 when
// the file cannot be opened or is rejected (tags, audio format, other depths).
int32_t sam_read_wav(SamFile* r);
// Reads values of depth / 8 bytes (depth 8, 16, 24 or 32) in the record's
// order until the end of the file; 0 for any other depth.
int32_t sam_read_raw(SamFile* r);
// Writes "8\n" or "16\n" and each value in 1 byte or 2 bytes (most
// significant first). A sample outside the 16-bit range leaves the file
// empty and gives 0.
int32_t sam_write_plain(SamFile* r);
// Reads the width-line form that sam_write_plain writes; 0 when the file
// does not start with "8\n" or "16\n".
int32_t sam_read_plain(SamFile* r);

// ---- Choice by file name -----------------------------------------------------

// Writes the record with the writer its name ending selects: "wav" the
// width-line form, "raw" the packed SAM form, anything else the full SAM form.
int32_t sam_save(SamFile* r);
// Reads the record with the reader its name ending suggests, then tries the
// WAVE, SAM and headerless readers in turn; the first success wins.
int32_t sam_load(SamFile* r);
// 1 when text ends with suffix, ASCII letters compared without case, else 0.
int32_t sam_ends_with(const char* text, const char* suffix);

// Identification record: name, date, author, language, kind (constant data, read by no code).
extern const char* const sam_ident[5];
