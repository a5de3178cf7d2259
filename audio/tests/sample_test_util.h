// Small helpers shared by the sample tests.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "audio/sample.h"

using V = std::vector<int32_t>;

// Constant records over constant storage: only ever read.
inline const int32_t stored[3] = {7, 8, 9};
inline const Sample fixed = {3, 3, const_cast<int32_t*>(stored)};
inline const int32_t edge_values[3] = {1, -1, 65536};
inline const Sample edges = {3, 3, const_cast<int32_t*>(edge_values)};

// A new sample holding the values in order.
inline Sample* make(const V& values) {
    Sample* s = sample_new();
    for (int32_t v : values)
        sample_insert(s, v, s->length);
    return s;
}

// Values 0 to length - 1 of a sample the caller keeps.
inline V values(const Sample* s) {
    return V(s->data, s->data + s->length);
}

// Values 0 to length - 1 of a sample, {-999} for null; frees the sample.
inline V take(Sample* s) {
    V out = s ? V(s->data, s->data + s->length) : V{-999};
    sample_free(&s);
    return out;
}

// A sample made from `in`, changed by `op`, holds `out`.
struct Case {
    V in;
    void (*op)(Sample*);
    V out;
};

// Checks each case on a fresh sample.
inline void expect_cases(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        Sample* s = make(c.in);
        c.op(s);
        EXPECT_EQ(take(s), c.out) << "case " << &c - cases.begin();
    }
}
