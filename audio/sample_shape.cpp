// Sample reshaping: stretching by nearest-value stepping, rotation, inserting
// one sample into another and slicing.
#include "audio/sample.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "audio/sample_internal.h"
#include "container/common.h"

namespace {

// Fills out[0 .. n-1] from in[0 .. l-1], n > l >= 1: each input repeated about n / l times.
void stretch_up(const int32_t* in, int32_t l, int32_t* out, int32_t n) {
    int64_t err = int64_t{l} - n;
    int32_t j = 0;
    for (int32_t k = 0; k < n; ++k) {
        if (err > 0) {
            err -= n;
            j += 1;
        }
        out[k] = in[j];
        err += l;
    }
}

// Fills out[0 .. n-1] from in[0 .. l-1], 1 <= n < l, taking every (l / n)-th
// input. The stepping reaches only n - 1 outputs; the last output slot takes
// the last input, so the shrunk sample ends where the original ended.
void stretch_down(const int32_t* in, int32_t l, int32_t* out, int32_t n) {
    int64_t err = int64_t{n} - l;
    int32_t j = 0;
    for (int32_t i = 0; i < l && j < n - 1; ++i) {
        if (err > 0) {
            err -= l;
            out[j] = in[i];
            j += 1;
        }
        err += n;
    }
    out[n - 1] = in[l - 1];
}

// Rotates the values right by r (0 <= r < length) and clears the slots past
// the length, as a rotation through a fresh zero-filled buffer leaves them.
void rotate_right(Sample* sample, int32_t r) {
    int32_t* d = sample->data;
    std::rotate(d, d + (sample->length - r), d + sample->length);
    memset(d + sample->length, 0, sample_bytes(sample->capacity - sample->length));
}

// The rotation amount n reduced to 0 .. length-1 (length >= 1).
int32_t reduce(int32_t n, int32_t length) {
    return static_cast<int32_t>(common::floor_mod(n, length));
}

}  // namespace

void sample_stretch(Sample* sample, int32_t n) {
    if (!sample_usable(sample)) return sample_fail();
    if (n < 1) return sample_fail();
    if (n == sample->length) return sample_fail();
    int32_t* out = static_cast<int32_t*>(calloc(static_cast<size_t>(n), sample_element_size));
    if (!out) return sample_fail();
    const int32_t l = sample->length;
    // An empty sample has nothing to repeat: it stretches to n zero values.
    if (l > 0 && n > l) stretch_up(sample->data, l, out, n);
    if (l > 0 && n < l) stretch_down(sample->data, l, out, n);
    free(sample->data);
    sample->data = out;
    sample->length = n;
    sample->capacity = n;
}

void sample_rotate_right(Sample* sample, int32_t n) {
    if (!sample_usable(sample)) return sample_fail();
    if (sample->length == 0) return;  // nothing to rotate
    rotate_right(sample, reduce(n, sample->length));
}

void sample_rotate_left(Sample* sample, int32_t n) {
    if (!sample_usable(sample)) return sample_fail();
    if (sample->length == 0) return;
    const int32_t r = reduce(n, sample->length);
    rotate_right(sample, r == 0 ? 0 : sample->length - r);
}

void sample_insert_sample(Sample* target, const Sample* source, int32_t position) {
    if (!sample_usable(target)) return sample_fail();
    if (!sample_usable(source)) return sample_fail();
    // A position outside 0 .. length is refused: there is no place to insert at.
    if (position < 0 || position > target->length) return sample_fail();
    const int32_t old = target->length;
    const int32_t m = source->length;
    const int64_t total = int64_t{old} + m;
    if (total > INT32_MAX) return sample_fail();
    if (total > 0) {
        sample_set_capacity(target, static_cast<int32_t>(total));
        if (target->capacity != total) return sample_fail();
    }
    target->length = static_cast<int32_t>(total);
    int32_t* d = target->data;
    memmove(d + position + m, d + position, sample_bytes(old - position));
    if (source != target) {
        if (m > 0) memcpy(d + position, source->data, sample_bytes(m));
        return;
    }
    // Inserting a sample into itself inserts its values as they were before
    // the call: those at and past the position now stand m places higher.
    // None of them lies in the gap being filled, so any order is safe.
    for (int32_t k = 0; k < m; ++k)
        d[position + k] = d[k < position ? k : k + m];
}

Sample* sample_slice(const Sample* sample, int32_t from, int32_t to) {
    if (!sample_usable(sample)) return sample_fail(nullptr);
    if (from > to) return sample_fail(nullptr);
    if (from < 0) from = 0;
    if (to > sample->length) to = sample->length;
    const int32_t count = std::max(to - from, 0);
    Sample* slice = sample_new_empty(count);
    if (!slice) return sample_fail(nullptr);
    if (count > 0) memcpy(slice->data, sample->data + from, sample_bytes(count));
    slice->length = count;
    return slice;
}
