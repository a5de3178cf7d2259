// Small helpers shared by the sample tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "audio/sample.h"

using V = std::vector<int32_t>;

// A new sample holding the values in order.
inline Sample* make(std::initializer_list<int32_t> values) {
    Sample* s = sample_new();
    for (int32_t v : values) sample_insert(s, v, s->length);
    return s;
}

// Values 0 to length - 1 of a sample.
inline V values(const Sample* s) { return V(s->data, s->data + s->length); }
