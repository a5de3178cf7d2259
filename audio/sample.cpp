// The Sample record: allocation, the reallocation rule, element access and the
// list operations (insert, remove, find, move, copy, compare).
#include "audio/sample.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "audio/sample_internal.h"

const char* const sample_ident[5] = {"SAMPLE  ", "20261206", "Vandrell", "C++     ", "CODE    "};

namespace {

// Capacity of a new sample.
constexpr int32_t initial_capacity = 32;

// A zero-filled buffer of n values, or null.
int32_t* alloc_values(int32_t n) {
    return static_cast<int32_t*>(calloc(static_cast<size_t>(n), sample_element_size));
}

// Reallocates to exactly n values (n > 0), keeping the first min(length, n)
// values. Returns false, with the sample unchanged, when memory runs out.
// Moves the values in use into the new buffer of n values and frees the old one.
void adopt(Sample* sample, int32_t* values, int32_t n) {
    if (sample->length > n) sample->length = n;
    // A record made by hand may claim more values than its buffer holds: only
    // what the old buffer has is copied.
    const int32_t kept = std::min(sample->length, sample->capacity);
    if (sample->data && kept > 0) memcpy(values, sample->data, sample_bytes(kept));
    free(sample->data);
    sample->data = values;
    sample->capacity = n;
}

bool reallocate(Sample* sample, int32_t n) {
    int32_t* values = alloc_values(n);
    if (!values) return false;
    adopt(sample, values, n);
    return true;
}

}  // namespace

Sample* sample_new_empty(int32_t capacity) {
    Sample* sample = sample_new();
    if (!sample) return nullptr;
    bool ready = sample->data != nullptr;
    if (ready && capacity > 0) ready = reallocate(sample, capacity);
    if (!ready) sample_free(&sample);
    return sample;
}

bool sample_reserve_unset(Sample* sample, int32_t n) {
    if (n <= 0 || n < sample->length) return false;
    // malloc rather than calloc: the reader fills every value it takes, so
    // clearing them first would pass over the buffer twice.
    int32_t* values = static_cast<int32_t*>(malloc(sample_bytes(n)));
    if (!values) return false;
    adopt(sample, values, n);  // n >= length: nothing is cut
    return true;
}

void sample_error() {}

Sample* sample_new() {
    Sample* sample = static_cast<Sample*>(calloc(1, sizeof(Sample)));
    if (!sample) return sample_fail(nullptr);
    sample->data = alloc_values(initial_capacity);
    if (!sample->data) return sample_fail(sample);  // the record, without values
    sample->capacity = initial_capacity;
    return sample;
}

void sample_free(Sample** sample) {
    if (!sample) return sample_fail();
    if (!*sample) return sample_fail();
    free((*sample)->data);
    free(*sample);
    *sample = nullptr;
}

void sample_set_length(Sample* sample, int32_t n) {
    if (!sample) return sample_fail();
    if (n < 0) return sample_fail();
    if (n > sample->capacity) {
        if (!reallocate(sample, n)) return sample_fail();
    }
    sample->length = n;
}

void sample_set_capacity(Sample* sample, int32_t n) {
    if (!sample) return sample_fail();
    if (n <= 0) return sample_fail();
    if (!reallocate(sample, n)) return sample_fail();
}

int32_t sample_get(const Sample* sample, int32_t index) {
    if (!sample_usable(sample)) return sample_fail(0);
    if (index < 0 || index >= sample->length) return sample_fail(0);
    return sample->data[index];
}

void sample_set(Sample* sample, int32_t value, int32_t index) {
    if (!sample_usable(sample)) return sample_fail();
    if (index < 0 || index >= sample->length) return sample_fail();
    sample->data[index] = value;
}

void sample_clear(Sample* sample) {
    if (!sample_usable(sample)) return sample_fail();
    memset(sample->data, 0, sample_bytes(sample->length));
}

int32_t sample_find(const Sample* sample, int32_t value, int32_t start) {
    if (!sample_usable(sample)) return sample_fail(-1);
    if (start < 0 || start >= sample->length) return sample_fail(-1);
    for (int32_t i = start; i < sample->length; ++i) {
        if (sample->data[i] == value) return i;
    }
    return -1;
}

int32_t sample_min(const Sample* sample) {
    if (!sample_usable(sample)) return sample_fail(0);
    if (sample->length < 1) return sample_fail(0);
    return *std::min_element(sample->data, sample->data + sample->length);
}

int32_t sample_max(const Sample* sample) {
    if (!sample_usable(sample)) return sample_fail(0);
    if (sample->length < 1) return sample_fail(0);
    return *std::max_element(sample->data, sample->data + sample->length);
}

void sample_insert(Sample* sample, int32_t value, int32_t position) {
    if (!sample_usable(sample)) return sample_fail();
    if (position < 0 || position > sample->length) return sample_fail();
    if (sample->length >= sample->capacity) {
        // Doubling; a hand-made record without room starts at the usual 32, and a
        // capacity that cannot double within 31 bits cannot take another value.
        const int64_t doubled =
            sample->capacity > 0 ? 2 * int64_t{sample->capacity} : int64_t{initial_capacity};
        if (doubled > INT32_MAX) return sample_fail();
        if (!reallocate(sample, static_cast<int32_t>(doubled))) return sample_fail();
    }
    int32_t* d = sample->data;
    memmove(d + position + 1, d + position, sample_bytes(sample->length - position));
    d[position] = value;
    sample->length += 1;
}

void sample_remove(Sample* sample, int32_t index) {
    if (!sample_usable(sample)) return sample_fail();
    if (index < 0 || index >= sample->length) return sample_fail();
    int32_t* d = sample->data;
    memmove(d + index, d + index + 1, sample_bytes(sample->length - index - 1));
    sample->length -= 1;
}

int32_t sample_equal(const Sample* a, const Sample* b) {
    if (!sample_usable(a)) return sample_fail(0);
    if (!sample_usable(b)) return sample_fail(0);
    if (a->length != b->length) return 0;
    if (a->length == 0) return 1;
    return memcmp(a->data, b->data, sample_bytes(a->length)) == 0 ? 1 : 0;
}

Sample* sample_copy(const Sample* sample) {
    if (!sample_usable(sample)) return sample_fail(nullptr);
    Sample* copy = sample_new_empty(sample->length);
    if (!copy) return sample_fail(nullptr);
    if (sample->length > 0) memcpy(copy->data, sample->data, sample_bytes(sample->length));
    copy->length = sample->length;
    return copy;
}

void sample_move(const Sample* source, Sample* destination, int32_t count, int32_t from,
                 int32_t to) {
    if (!sample_usable(source)) return sample_fail();
    if (!sample_usable(destination)) return sample_fail();
    if (count <= 0) return sample_fail();
    if (from < 0) return sample_fail();
    if (to < 0) return sample_fail();
    if (int64_t{from} + count > source->length) return sample_fail();
    if (int64_t{to} + count > destination->length) return sample_fail();
    // memmove copies as through a temporary buffer, so overlap either way is safe.
    memmove(destination->data + to, source->data + from, sample_bytes(count));
}

void sample_reverse(Sample* sample) {
    if (!sample_usable(sample)) return sample_fail();
    if (sample->length < 2) return sample_fail();
    std::reverse(sample->data, sample->data + sample->length);
}
