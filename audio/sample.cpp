// The Sample record: allocation, the reallocation rule, element access and the
// list operations (insert, remove, find, move, copy, compare).
#include "audio/sample.h"

#include <cstdlib>
#include <cstring>

const char* const sample_ident[5] = {"SAMPLE  ", "20261206", "Vandrell", "C++     ", "CODE    "};

namespace {

// Capacity of a new sample.
constexpr int32_t initial_capacity = 32;

// True when the record has values that can be read: a buffer and a length
// within its capacity.
bool usable(const Sample* sample) {
    return sample && sample->data && sample->length >= 0 && sample->length <= sample->capacity;
}

// A zero-filled buffer of n values, or null.
int32_t* alloc_values(int32_t n) {
    return static_cast<int32_t*>(calloc(static_cast<size_t>(n), sample_element_size));
}

// Reallocates to exactly n values (n > 0), keeping the first min(length, n)
// values. Returns false, with the sample unchanged, when memory runs out.
bool reallocate(Sample* sample, int32_t n) {
    int32_t* values = alloc_values(n);
    if (!values) return false;
    if (sample->length > n) sample->length = n;
    // A record made by hand may claim more values than its buffer holds: only
    // what the old buffer has is copied.
    const int32_t kept = sample->length < sample->capacity ? sample->length : sample->capacity;
    if (sample->data && kept > 0)
        memcpy(values, sample->data, static_cast<size_t>(kept) * sample_element_size);
    free(sample->data);
    sample->data = values;
    sample->capacity = n;
    return true;
}

}  // namespace

void sample_error() {}

Sample* sample_new() {
    Sample* sample = static_cast<Sample*>(calloc(1, sizeof(Sample)));
    if (!sample) {
        sample_error();
        return nullptr;
    }
    sample->data = alloc_values(initial_capacity);
    if (!sample->data) {
        sample_error();
        return sample;
    }
    sample->capacity = initial_capacity;
    return sample;
}

void sample_free(Sample** sample) {
    if (!sample || !*sample) {
        sample_error();
        return;
    }
    free((*sample)->data);
    free(*sample);
    *sample = nullptr;
}

void sample_set_length(Sample* sample, int32_t n) {
    if (!sample || n < 0) {
        sample_error();
        return;
    }
    if (n > sample->capacity) {
        if (!reallocate(sample, n)) {
            sample_error();
            return;
        }
    }
    sample->length = n;
}

void sample_set_capacity(Sample* sample, int32_t n) {
    if (!sample || n <= 0) {
        sample_error();
        return;
    }
    if (!reallocate(sample, n)) sample_error();
}

int32_t sample_get(const Sample* sample, int32_t index) {
    if (!usable(sample) || index < 0 || index >= sample->length) {
        sample_error();
        return 0;
    }
    return sample->data[index];
}

void sample_set(Sample* sample, int32_t value, int32_t index) {
    if (!usable(sample) || index < 0 || index >= sample->length) {
        sample_error();
        return;
    }
    sample->data[index] = value;
}

void sample_clear(Sample* sample) {
    if (!usable(sample)) {
        sample_error();
        return;
    }
    memset(sample->data, 0, static_cast<size_t>(sample->length) * sample_element_size);
}

int32_t sample_find(const Sample* sample, int32_t value, int32_t start) {
    if (!usable(sample) || start < 0 || start >= sample->length) {
        sample_error();
        return -1;
    }
    for (int32_t i = start; i < sample->length; ++i) {
        if (sample->data[i] == value) return i;
    }
    return -1;
}

int32_t sample_min(const Sample* sample) {
    if (!usable(sample) || sample->length < 1) {
        sample_error();
        return 0;
    }
    int32_t smallest = sample->data[0];
    for (int32_t i = 1; i < sample->length; ++i) {
        if (sample->data[i] < smallest) smallest = sample->data[i];
    }
    return smallest;
}

int32_t sample_max(const Sample* sample) {
    if (!usable(sample) || sample->length < 1) {
        sample_error();
        return 0;
    }
    int32_t largest = sample->data[0];
    for (int32_t i = 1; i < sample->length; ++i) {
        if (sample->data[i] > largest) largest = sample->data[i];
    }
    return largest;
}

void sample_insert(Sample* sample, int32_t value, int32_t position) {
    if (!usable(sample) || position < 0 || position > sample->length) {
        sample_error();
        return;
    }
    if (sample->length >= sample->capacity) {
        // Doubling; a hand-made record without room starts at the usual 32, and a
        // capacity that cannot double within 31 bits cannot take another value.
        const int64_t doubled =
            sample->capacity > 0 ? 2 * int64_t{sample->capacity} : int64_t{initial_capacity};
        if (doubled > INT32_MAX || !reallocate(sample, static_cast<int32_t>(doubled))) {
            sample_error();
            return;
        }
    }
    int32_t* d = sample->data;
    memmove(d + position + 1, d + position,
            static_cast<size_t>(sample->length - position) * sample_element_size);
    d[position] = value;
    sample->length += 1;
}

void sample_remove(Sample* sample, int32_t index) {
    if (!usable(sample) || index < 0 || index >= sample->length) {
        sample_error();
        return;
    }
    int32_t* d = sample->data;
    memmove(d + index, d + index + 1,
            static_cast<size_t>(sample->length - index - 1) * sample_element_size);
    sample->length -= 1;
}

int32_t sample_equal(const Sample* a, const Sample* b) {
    if (!usable(a) || !usable(b)) {
        sample_error();
        return 0;
    }
    if (a->length != b->length) return 0;
    if (a->length == 0) return 1;
    return memcmp(a->data, b->data, static_cast<size_t>(a->length) * sample_element_size) == 0 ? 1
                                                                                               : 0;
}

Sample* sample_copy(const Sample* sample) {
    if (!usable(sample)) {
        sample_error();
        return nullptr;
    }
    Sample* copy = sample_new();
    if (!copy || !copy->data || (sample->length > 0 && !reallocate(copy, sample->length))) {
        sample_free(&copy);
        sample_error();
        return nullptr;
    }
    if (sample->length > 0)
        memcpy(copy->data, sample->data, static_cast<size_t>(sample->length) * sample_element_size);
    copy->length = sample->length;
    return copy;
}

void sample_move(const Sample* source, Sample* destination, int32_t count, int32_t from,
                 int32_t to) {
    if (!usable(source) || !usable(destination) || count <= 0 || from < 0 || to < 0 ||
        int64_t{from} + count > source->length || int64_t{to} + count > destination->length) {
        sample_error();
        return;
    }
    // memmove copies as through a temporary buffer, so overlap either way is safe.
    memmove(destination->data + to, source->data + from,
            static_cast<size_t>(count) * sample_element_size);
}

void sample_reverse(Sample* sample) {
    if (!usable(sample) || sample->length < 2) {
        sample_error();
        return;
    }
    for (int32_t i = 0, j = sample->length - 1; i < j; ++i, --j) {
        const int32_t t = sample->data[i];
        sample->data[i] = sample->data[j];
        sample->data[j] = t;
    }
}
