// Sample reshaping: stretch both ways, rotations by any amount, inserting one
// sample into another (itself included) and slicing.
#include "audio/sample.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

Sample* make(std::initializer_list<int32_t> values) {
    Sample* s = sample_new();
    for (int32_t v : values)
        sample_insert(s, v, s->length);
    return s;
}

std::vector<int32_t> values(const Sample* s) {
    return std::vector<int32_t>(s->data, s->data + s->length);
}

using V = std::vector<int32_t>;

}  // namespace

TEST(SampleShape, StretchUpAndDown) {
    Sample* s = make({1, 2});
    sample_stretch(s, 4);
    EXPECT_EQ(values(s), (V{1, 1, 2, 2}));
    EXPECT_EQ(s->capacity, 4);
    sample_free(&s);

    s = make({0, 1, 2});
    sample_stretch(s, 7);
    EXPECT_EQ(values(s), (V{0, 0, 1, 1, 2, 2, 2}));
    sample_free(&s);

    // Shrinking steps through the inputs; the last slot takes the last input.
    s = make({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    sample_stretch(s, 5);
    EXPECT_EQ(values(s), (V{2, 4, 6, 8, 9}));
    EXPECT_EQ(s->capacity, 5);
    sample_free(&s);
    s = make({0, 1, 2, 3});
    sample_stretch(s, 3);
    EXPECT_EQ(values(s), (V{1, 2, 3}));
    sample_stretch(s, 1);
    EXPECT_EQ(values(s), (V{3}));
    sample_stretch(s, 1);  // same length: nothing
    sample_stretch(s, 0);
    sample_stretch(s, -4);
    EXPECT_EQ(values(s), (V{3}));
    EXPECT_EQ(s->capacity, 1);
    sample_stretch(s, 3);
    EXPECT_EQ(values(s), (V{3, 3, 3}));
    sample_free(&s);

    // An empty sample has nothing to repeat: it becomes silence.
    s = sample_new();
    sample_stretch(s, 3);
    EXPECT_EQ(values(s), (V{0, 0, 0}));
    sample_free(&s);

    // Long stretches stay within the input.
    s = make({5, 6, 7});
    sample_stretch(s, 100000);
    EXPECT_EQ(s->data[0], 5);
    EXPECT_EQ(s->data[99999], 7);
    sample_stretch(s, 2);
    EXPECT_EQ(values(s), (V{6, 7}));
    sample_free(&s);
}

TEST(SampleShape, RotationsByAnyAmount) {
    Sample* s = make({1, 2, 3, 4});
    sample_rotate_right(s, 1);
    EXPECT_EQ(values(s), (V{4, 1, 2, 3}));
    sample_rotate_right(s, 5);
    EXPECT_EQ(values(s), (V{3, 4, 1, 2}));
    sample_rotate_left(s, 2);
    EXPECT_EQ(values(s), (V{1, 2, 3, 4}));
    sample_rotate_left(s, 1);
    EXPECT_EQ(values(s), (V{2, 3, 4, 1}));
    sample_rotate_left(s, 4);
    EXPECT_EQ(values(s), (V{2, 3, 4, 1}));
    // Negative amounts rotate the other way.
    sample_rotate_right(s, -1);
    EXPECT_EQ(values(s), (V{3, 4, 1, 2}));
    sample_rotate_left(s, -3);
    EXPECT_EQ(values(s), (V{4, 1, 2, 3}));
    sample_rotate_right(s, INT32_MIN);  // -2^31 mod 4 = 0
    EXPECT_EQ(values(s), (V{4, 1, 2, 3}));
    sample_rotate_left(s, INT32_MAX);  // 2^31-1 mod 4 = 3
    EXPECT_EQ(values(s), (V{3, 4, 1, 2}));
    EXPECT_EQ(s->length, 4);
    EXPECT_EQ(s->capacity, 32);
    EXPECT_EQ(s->data[4], 0);
    sample_free(&s);

    // Slots past the length hold 0 afterwards.
    s = make({1, 2, 3});
    sample_set_length(s, 2);
    sample_rotate_right(s, 1);
    EXPECT_EQ(values(s), (V{2, 1}));
    EXPECT_EQ(s->data[2], 0);
    sample_free(&s);

    // An empty sample stays as it is.
    s = sample_new();
    sample_rotate_right(s, 3);
    sample_rotate_left(s, -3);
    EXPECT_EQ(s->length, 0);
    EXPECT_EQ(s->capacity, 32);
    sample_free(&s);
    sample_rotate_left(nullptr, 1);
}

TEST(SampleShape, InsertSample) {
    Sample* src = make({8, 9});
    Sample* t = make({1, 2, 3});
    sample_insert_sample(t, src, 1);
    EXPECT_EQ(values(t), (V{1, 8, 9, 2, 3}));
    EXPECT_EQ(t->capacity, 5);
    sample_free(&t);
    t = make({1, 2, 3});
    sample_insert_sample(t, src, 3);
    EXPECT_EQ(values(t), (V{1, 2, 3, 8, 9}));
    sample_insert_sample(t, src, 0);
    EXPECT_EQ(values(t), (V{8, 9, 1, 2, 3, 8, 9}));
    EXPECT_EQ(t->capacity, 7);

    // Positions outside the target are refused.
    sample_insert_sample(t, src, -1);
    sample_insert_sample(t, src, 8);
    sample_insert_sample(t, nullptr, 0);
    EXPECT_EQ(values(t), (V{8, 9, 1, 2, 3, 8, 9}));
    EXPECT_EQ(t->capacity, 7);

    // An empty source still trims the capacity to the length.
    Sample* e = sample_new();
    Sample* u = make({4});
    sample_insert_sample(u, e, 0);
    EXPECT_EQ(values(u), (V{4}));
    EXPECT_EQ(u->capacity, 1);
    sample_free(&t);
    sample_free(&u);

    // A sample inserted into itself inserts its values as they were.
    t = make({1, 2, 3});
    sample_insert_sample(t, t, 1);
    EXPECT_EQ(values(t), (V{1, 1, 2, 3, 2, 3}));
    sample_free(&t);
    t = make({1, 2, 3});
    sample_insert_sample(t, t, 3);
    EXPECT_EQ(values(t), (V{1, 2, 3, 1, 2, 3}));
    sample_insert_sample(e, e, 0);
    EXPECT_EQ(e->length, 0);
    for (Sample* s : {src, t, e})
        sample_free(&s);
}

TEST(SampleShape, Slice) {
    Sample* s = make({1, 2, 3, 4, 5});
    Sample* a = sample_slice(s, 1, 3);
    EXPECT_EQ(values(a), (V{2, 3}));
    EXPECT_EQ(a->capacity, 2);
    Sample* b = sample_slice(s, -5, 2);
    EXPECT_EQ(values(b), (V{1, 2}));
    Sample* c = sample_slice(s, 3, 100);
    EXPECT_EQ(values(c), (V{4, 5}));
    EXPECT_EQ(sample_slice(s, 4, 2), nullptr);
    Sample* d = sample_slice(s, 7, 9);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->length, 0);
    EXPECT_EQ(d->capacity, 32);
    Sample* e = sample_slice(s, -9, -4);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->length, 0);
    Sample* f = sample_slice(s, INT32_MIN, INT32_MAX);
    EXPECT_EQ(values(f), (V{1, 2, 3, 4, 5}));
    EXPECT_EQ(sample_slice(nullptr, 0, 1), nullptr);
    for (Sample* x : {s, a, b, c, d, e, f})
        sample_free(&x);
}
