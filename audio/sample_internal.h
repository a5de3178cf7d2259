// Helpers the SAMPLE module's source files share; not part of its interface.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/sample.h"
#include "container/common.h"

// A failed check: passes the module's failure hook and gives the result the
// operation returns on failure, so that a check is one line:
//   if (!sample_usable(sample)) return sample_fail(nullptr);
inline constexpr common::Fail<sample_error> sample_fail{};

// True when the record has values that can be read: a buffer and a length
// within its capacity.
inline bool sample_usable(const Sample* sample) {
    return sample && sample->data && sample->length >= 0 && sample->length <= sample->capacity;
}

// Bytes taken by n values.
inline size_t sample_bytes(int32_t n) {
    return static_cast<size_t>(n) * sample_element_size;
}

// A new sample of length 0 with a zeroed buffer of capacity values (the
// usual 32 when capacity is 0); null when memory runs out.
Sample* sample_new_empty(int32_t capacity);

// Reallocates to exactly n values (n >= length, n > 0) for a reader about to
// write them: the values in use are kept, the ones past them are left unset,
// and the caller writes or clears them before anyone reads them. False, with
// the sample unchanged, when memory runs out.
bool sample_reserve_unset(Sample* sample, int32_t n);
