// The Sample record: growth, length and capacity, element access, the list
// operations and the checks that keep bad arguments harmless.
#include "audio/sample.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

// A new sample holding the given values.
Sample* make(std::initializer_list<int32_t> values) {
    Sample* s = sample_new();
    for (int32_t v : values)
        sample_insert(s, v, s->length);
    return s;
}

// The values in use.
std::vector<int32_t> values(const Sample* s) {
    return std::vector<int32_t>(s->data, s->data + s->length);
}

using V = std::vector<int32_t>;

}  // namespace

TEST(Sample, NewAndGrowthByAppending) {
    Sample* s = sample_new();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->length, 0);
    EXPECT_EQ(s->capacity, 32);
    for (int32_t i = 0; i < 32; ++i)
        EXPECT_EQ(s->data[i], 0);
    for (int32_t i = 0; i < 33; ++i)
        sample_insert(s, i * 3, s->length);
    EXPECT_EQ(s->length, 33);
    EXPECT_EQ(s->capacity, 64);
    for (int32_t i = 0; i < 33; ++i)
        EXPECT_EQ(sample_get(s, i), i * 3);
    for (int32_t i = 33; i < 65; ++i)
        sample_insert(s, 1, s->length);
    EXPECT_EQ(s->capacity, 128);
    sample_free(&s);
    EXPECT_EQ(s, nullptr);
    sample_free(&s);  // a null reference is harmless
    sample_free(nullptr);
}

TEST(Sample, SetLengthKeepsOldValuesAndSetCapacityCuts) {
    Sample* s = sample_new();
    sample_set_length(s, 44100);
    EXPECT_EQ(s->length, 44100);
    EXPECT_EQ(s->capacity, 44100);
    EXPECT_EQ(sample_max(s), 0);
    EXPECT_EQ(sample_min(s), 0);
    sample_set(s, 7, 20);
    sample_set_length(s, 10);
    EXPECT_EQ(s->capacity, 44100);
    EXPECT_EQ(sample_get(s, 20), 0);  // past the length
    sample_set_length(s, 44100);
    EXPECT_EQ(sample_get(s, 20), 7);  // part of the sample again
    sample_set_length(s, -1);
    EXPECT_EQ(s->length, 44100);
    sample_set_length(s, 0);
    EXPECT_EQ(s->length, 0);
    EXPECT_EQ(s->capacity, 44100);
    EXPECT_NE(s->data, nullptr);
    sample_free(&s);

    s = make({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    sample_set_capacity(s, 5);
    EXPECT_EQ(s->length, 5);
    EXPECT_EQ(s->capacity, 5);
    EXPECT_EQ(values(s), (V{1, 2, 3, 4, 5}));
    sample_set_capacity(s, 0);
    sample_set_capacity(s, -3);
    EXPECT_EQ(s->capacity, 5);
    sample_set_capacity(s, 8);  // growing keeps the values, new slots are 0
    EXPECT_EQ(values(s), (V{1, 2, 3, 4, 5}));
    sample_set_length(s, 8);
    EXPECT_EQ(values(s), (V{1, 2, 3, 4, 5, 0, 0, 0}));
    sample_free(&s);
}

TEST(Sample, AccessOutsideTheValuesGivesNeutralResults) {
    Sample* s = make({4, -2, 9});
    EXPECT_EQ(sample_get(s, -1), 0);
    EXPECT_EQ(sample_get(s, 3), 0);
    EXPECT_EQ(sample_get(s, 2), 9);
    sample_set(s, 5, 3);
    sample_set(s, 5, -1);
    EXPECT_EQ(values(s), (V{4, -2, 9}));
    EXPECT_EQ(s->data[3], 0);
    EXPECT_EQ(sample_min(s), -2);
    EXPECT_EQ(sample_max(s), 9);

    EXPECT_EQ(sample_get(nullptr, 0), 0);
    EXPECT_EQ(sample_min(nullptr), 0);
    EXPECT_EQ(sample_find(nullptr, 0, 0), -1);
    sample_set(nullptr, 1, 0);
    sample_clear(nullptr);
    sample_insert(nullptr, 1, 0);
    sample_remove(nullptr, 0);
    sample_reverse(nullptr);
    sample_set_length(nullptr, 3);
    EXPECT_EQ(sample_copy(nullptr), nullptr);

    // A record without values, and one whose length claims more than it holds.
    Sample none = {0, 0, nullptr};
    EXPECT_EQ(sample_get(&none, 0), 0);
    sample_insert(&none, 1, 0);
    EXPECT_EQ(none.length, 0);
    EXPECT_EQ(sample_equal(&none, &none), 0);
    int32_t two[2] = {1, 2};
    Sample liar = {5, 2, two};
    EXPECT_EQ(sample_get(&liar, 4), 0);
    EXPECT_EQ(sample_max(&liar), 0);
    sample_reverse(&liar);
    EXPECT_EQ(two[0], 1);

    // Empty sample: min and max have nothing to report.
    Sample* e = sample_new();
    EXPECT_EQ(sample_min(e), 0);
    EXPECT_EQ(sample_max(e), 0);
    sample_free(&e);

    sample_clear(s);
    EXPECT_EQ(values(s), (V{0, 0, 0}));
    sample_free(&s);
}

TEST(Sample, FindInsertRemove) {
    Sample* s = make({5, 6, 5, 7});
    EXPECT_EQ(sample_find(s, 5, 0), 0);
    EXPECT_EQ(sample_find(s, 5, 1), 2);
    EXPECT_EQ(sample_find(s, 5, 2), 2);  // the start itself matches
    EXPECT_EQ(sample_find(s, 5, 3), -1);
    EXPECT_EQ(sample_find(s, 7, 4), -1);  // start = length
    EXPECT_EQ(sample_find(s, 7, -1), -1);
    sample_free(&s);

    s = make({1, 2});
    sample_insert(s, 9, 0);
    EXPECT_EQ(values(s), (V{9, 1, 2}));
    sample_insert(s, 8, 3);
    EXPECT_EQ(values(s), (V{9, 1, 2, 8}));
    sample_insert(s, 7, 2);
    EXPECT_EQ(values(s), (V{9, 1, 7, 2, 8}));
    sample_insert(s, 6, 6);
    sample_insert(s, 6, -1);
    EXPECT_EQ(values(s), (V{9, 1, 7, 2, 8}));
    sample_free(&s);

    s = make({1, 2, 3});
    sample_remove(s, 0);
    EXPECT_EQ(values(s), (V{2, 3}));
    EXPECT_EQ(s->data[2], 3);  // the slot past the end keeps its value
    sample_remove(s, 2);
    sample_remove(s, -1);
    EXPECT_EQ(values(s), (V{2, 3}));
    sample_remove(s, 1);
    sample_remove(s, 0);
    EXPECT_EQ(s->length, 0);
    sample_remove(s, 0);
    EXPECT_EQ(s->length, 0);
    sample_free(&s);
}

TEST(Sample, EqualCopyReverse) {
    Sample* a = make({1, 2, 3});
    Sample* b = make({1, 2, 3});
    Sample* c = make({1, 2});
    EXPECT_EQ(sample_equal(a, b), 1);
    EXPECT_EQ(sample_equal(a, c), 0);
    EXPECT_EQ(sample_equal(a, nullptr), 0);
    EXPECT_EQ(sample_equal(nullptr, nullptr), 0);
    sample_set(b, 4, 2);
    EXPECT_EQ(sample_equal(a, b), 0);

    Sample* e1 = sample_new();
    Sample* e2 = sample_new();
    EXPECT_EQ(sample_equal(e1, e2), 1);

    Sample* copy = sample_copy(a);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->data, a->data);
    EXPECT_EQ(copy->capacity, 3);
    EXPECT_EQ(sample_equal(copy, a), 1);
    Sample* empty_copy = sample_copy(e1);
    ASSERT_NE(empty_copy, nullptr);
    EXPECT_EQ(empty_copy->length, 0);
    EXPECT_EQ(empty_copy->capacity, 32);

    // A constant record over constant storage can be read and copied.
    static const int32_t stored[4] = {9, 8, 7, 6};
    const Sample fixed = {4, 4, const_cast<int32_t*>(stored)};
    Sample* from_fixed = sample_copy(&fixed);
    EXPECT_EQ(values(from_fixed), (V{9, 8, 7, 6}));

    sample_reverse(a);
    EXPECT_EQ(values(a), (V{3, 2, 1}));
    sample_reverse(c);
    EXPECT_EQ(values(c), (V{2, 1}));

    for (Sample* s : {a, b, c, e1, e2, copy, empty_copy, from_fixed})
        sample_free(&s);
}

TEST(Sample, MoveWithOverlapBothWays) {
    Sample* s = make({1, 2, 3, 4, 5});
    sample_move(s, s, 3, 0, 2);
    EXPECT_EQ(values(s), (V{1, 2, 1, 2, 3}));
    sample_free(&s);

    s = make({1, 2, 3, 4, 5});
    sample_move(s, s, 3, 2, 0);
    EXPECT_EQ(values(s), (V{3, 4, 5, 4, 5}));

    Sample* d = make({0, 0, 0});
    sample_move(s, d, 2, 3, 1);
    EXPECT_EQ(values(d), (V{0, 4, 5}));

    // Ranges that do not fit, and counts that would overflow, change nothing.
    sample_move(s, d, 3, 3, 0);
    sample_move(s, d, 2, 0, 2);
    sample_move(s, d, 0, 0, 0);
    sample_move(s, d, -1, 0, 0);
    sample_move(s, d, 2147483647, 1, 0);
    sample_move(s, d, 1, 2147483647, 0);
    sample_move(s, d, 1, 0, -1);
    sample_move(nullptr, d, 1, 0, 0);
    EXPECT_EQ(values(d), (V{0, 4, 5}));
    sample_free(&s);
    sample_free(&d);
}
