// SAMPLE: sound as a growable array of signed 32-bit values, one value per
// audio frame of one channel.
//
// Ownership: sample_new (and every operation that returns a Sample) gives the
// caller a record that owns its value buffer; sample_free(&s) releases both and
// nulls the reference. Records may also be made by hand, for example constant
// records over constant storage with length == capacity; such records are only
// ever read (pass them as the const source arguments). Texts returned by the
// module are malloc'ed; the caller frees them.
//
// Validity: a record is usable when data is non-null and 0 <= length <=
// capacity. Any other record (null data included) is treated as missing.
//
// Numbers: values carry no rate or depth; the sound output plays the low 16
// bits of each value. Arithmetic wraps modulo 2^32 (computed unsigned, never
// signed overflow). sample_rescale uses 16.16 fixed point.
//
// Errors: silent. A failed check gives the neutral result (null, 0, -1 or no
// change); a failed allocation leaves the sample exactly as it was.
//
// Threads: no locks. A sample queued on the sound output is read by the audio
// thread; rewrite it only while holding snd_lock() (see platform/snd.h).
#pragma once

#include <cstdint>
#include <cstdio>

struct Sample {
    int32_t length;    // values in use, indices 0 .. length-1
    int32_t capacity;  // values allocated in data
    int32_t* data;     // capacity values, owned; null when the record has none
};

// Size in bytes of one value, used for every allocation.
constexpr int32_t sample_element_size = 4;

// ---- Record (sample.cpp) ----------------------------------------------------

// The module's failure hook: every failed check passes here. Prints nothing.
void sample_error();
// A new sample: length 0, capacity 32, 32 zero values. Null when the record
// cannot be allocated; a record with capacity 0 and null data when the values cannot.
Sample* sample_new();
// Releases the values and the record and nulls the reference.
void sample_free(Sample** sample);
// Sets the length; grows the buffer to exactly n when n > capacity. Values
// between the old and the new length are not cleared.
void sample_set_length(Sample* sample, int32_t n);
// Reallocates to exactly n values (n > 0), cutting the length when it shrinks.
void sample_set_capacity(Sample* sample, int32_t n);
// The value at index, or 0 outside 0 .. length-1.
int32_t sample_get(const Sample* sample, int32_t index);
// Stores value at index; nothing outside 0 .. length-1.
void sample_set(Sample* sample, int32_t value, int32_t index);
// Sets the values in use to 0.
void sample_clear(Sample* sample);
// Lowest index >= start holding value, or -1.
int32_t sample_find(const Sample* sample, int32_t value, int32_t start);
// Smallest value in use; 0 for an empty or missing sample.
int32_t sample_min(const Sample* sample);
// Largest value in use; 0 for an empty or missing sample.
int32_t sample_max(const Sample* sample);
// Inserts value before position (0 .. length); doubles the capacity when full.
void sample_insert(Sample* sample, int32_t value, int32_t position);
// Removes the value at index; the slot past the new end keeps its old value.
void sample_remove(Sample* sample, int32_t index);
// 1 when both have the same length and values, else 0.
int32_t sample_equal(const Sample* a, const Sample* b);
// A new sample with the same values, capacity = length (32 when empty), or null.
Sample* sample_copy(const Sample* sample);
// Copies count values from source[from..] to destination[to..], as through a
// temporary buffer, so overlapping ranges in one sample are safe.
void sample_move(const Sample* source, Sample* destination, int32_t count, int32_t from,
                 int32_t to);
// Reverses the order of the values in use.
void sample_reverse(Sample* sample);

// ---- Arithmetic and matching (sample_math.cpp) ------------------------------

// target[i] += source[i] for i below both lengths (wrapping).
void sample_add(Sample* target, const Sample* source);
// target[i] *= source[i] for i below both lengths (wrapping).
void sample_multiply(Sample* target, const Sample* source);
// Every value *= factor (wrapping).
void sample_scale(Sample* sample, int32_t factor);
// Every value shifted left by n mod 32 bits; nothing when n > 32.
void sample_shift_left(Sample* sample, int32_t n);
// Every value shifted right arithmetically by n mod 32 bits; nothing when n > 32.
void sample_shift_right(Sample* sample, int32_t n);
// Maps the values linearly so that min goes to lo and max to about hi (16.16).
// NOTE: when every value is equal there is no range to map; the values all become lo.
void sample_rescale(Sample* sample, int32_t lo, int32_t hi);
// Number of equal values where b, laid over a with b[0] at a[offset], overlaps a.
int32_t sample_count_matches(const Sample* a, const Sample* b, int32_t offset);
// The offset (1 - b length .. a length - 1) with the most matches; ties go to the
// smallest; -(b length) when nothing matches.
int32_t sample_best_offset(const Sample* a, const Sample* b);

// ---- Reshaping (sample_shape.cpp) -------------------------------------------

// Resamples to n values by nearest-value stepping; length = capacity = n.
void sample_stretch(Sample* sample, int32_t n);
// Value i moves to (i + n) mod length; any n, negative included.
void sample_rotate_right(Sample* sample, int32_t n);
// Value i moves to (i - n) mod length; any n, negative included.
void sample_rotate_left(Sample* sample, int32_t n);
// Inserts source's values into target before position (0 .. target length).
// The target's capacity becomes exactly the new length.
void sample_insert_sample(Sample* target, const Sample* source, int32_t position);
// A new sample holding values from .. to-1 (clamped to the sample); null when from > to.
Sample* sample_slice(const Sample* sample, int32_t from, int32_t to);

// ---- Text form, raw PCM and utilities (sample_text.cpp) ---------------------

// The text "SAMPLE{<length>\n<value>\n...}\n" (malloc'ed), or null.
char* sample_to_text(const Sample* sample);
// A new sample read from the text form, or null (see sample_text.cpp for the
// tolerant reading rules).
Sample* sample_from_text(const char* text);
// Writes the values as raw PCM of depth 8, 16, 24 or 32 bits ('b' big-endian,
// anything else little-endian), clamped to the depth.
void sample_write_raw(const Sample* sample, FILE* stream, int32_t depth, char order);
// Reads raw 8- or 16-bit PCM ('b'/'l', 's'/'u') to the end of the stream.
// Signed data keeps its unsigned bit pattern (see sample_sign_extend).
Sample* sample_read_raw(FILE* stream, int32_t depth, char order, char sign);
// The n-bit value in the low bits of word, sign-extended to 32 bits.
int32_t sample_sign_extend(int32_t word, int32_t n);
// Characters before the terminating zero, or -1 for null.
int32_t sample_text_length(const char* text);
// 1 when word stands in text at position (letters compared without case), else 0.
int32_t sample_text_matches_at(const char* text, const char* word, int32_t position);

// Identification record: name, date, author, language, kind (constant data, read by no code).
extern const char* const sample_ident[5];
