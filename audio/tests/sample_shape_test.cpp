// Sample reshaping: stretch both ways, rotation by any amount, inserting one
// sample into another (itself included) and slicing.
#include "audio/sample.h"
#include "audio/tests/sample_test_util.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

TEST(SampleShape, Stretch) {
    Sample* s = make({0, 1, 2});
    sample_stretch(s, 7);
    EXPECT_EQ(values(s), (V{0, 0, 1, 1, 2, 2, 2}));
    EXPECT_EQ(s->capacity, 7);
    sample_free(&s);

    // Shrinking steps through the inputs; the last slot takes the last input.
    s = make({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    sample_stretch(s, 5);
    EXPECT_EQ(values(s), (V{2, 4, 6, 8, 9}));
    sample_stretch(s, 1);
    EXPECT_EQ(values(s), (V{9}));
    sample_stretch(s, 1);  // same length
    sample_stretch(s, 0);
    EXPECT_EQ(values(s), (V{9}));
    sample_free(&s);

    // An empty sample has nothing to repeat: it becomes silence.
    s = sample_new();
    sample_stretch(s, 3);
    EXPECT_EQ(values(s), (V{0, 0, 0}));
    sample_free(&s);
}

TEST(SampleShape, RotationByAnyAmount) {
    Sample* s = make({1, 2, 3, 4});
    sample_rotate_right(s, 5);
    EXPECT_EQ(values(s), (V{4, 1, 2, 3}));
    sample_rotate_left(s, 2);
    EXPECT_EQ(values(s), (V{2, 3, 4, 1}));
    sample_rotate_left(s, 4);
    EXPECT_EQ(values(s), (V{2, 3, 4, 1}));
    sample_rotate_right(s, -1);  // negative: the other way
    EXPECT_EQ(values(s), (V{3, 4, 1, 2}));
    sample_rotate_left(s, INT32_MAX);  // 2^31 - 1 mod 4 = 3
    EXPECT_EQ(values(s), (V{2, 3, 4, 1}));
    sample_rotate_right(s, INT32_MIN);
    EXPECT_EQ(values(s), (V{2, 3, 4, 1}));
    EXPECT_EQ(s->capacity, 32);
    sample_free(&s);

    // Slots past the length hold 0 afterwards; an empty sample stays as it is.
    s = make({1, 2, 3});
    sample_set_length(s, 2);
    sample_rotate_right(s, 1);
    EXPECT_EQ(values(s), (V{2, 1}));
    EXPECT_EQ(s->data[2], 0);
    sample_set_length(s, 0);
    sample_rotate_left(s, 3);
    EXPECT_EQ(s->length, 0);
    sample_free(&s);
}

TEST(SampleShape, InsertSample) {
    Sample* src = make({8, 9});
    Sample* t = make({1, 2, 3});
    sample_insert_sample(t, src, 1);
    EXPECT_EQ(values(t), (V{1, 8, 9, 2, 3}));
    EXPECT_EQ(t->capacity, 5);
    sample_insert_sample(t, src, 5);
    sample_insert_sample(t, src, 0);
    EXPECT_EQ(values(t), (V{8, 9, 1, 8, 9, 2, 3, 8, 9}));

    // Positions outside the target are refused.
    sample_insert_sample(t, src, -1);
    sample_insert_sample(t, src, 10);
    EXPECT_EQ(t->length, 9);
    EXPECT_EQ(t->capacity, 9);
    sample_free(&t);

    // A sample inserted into itself inserts its values as they were.
    t = make({1, 2, 3});
    sample_insert_sample(t, t, 1);
    EXPECT_EQ(values(t), (V{1, 1, 2, 3, 2, 3}));
    sample_free(&t);
    sample_free(&src);
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
    EXPECT_EQ(d->length, 0);
    EXPECT_EQ(d->capacity, 32);
    for (Sample* x : {s, a, b, c, d})
        sample_free(&x);
}
