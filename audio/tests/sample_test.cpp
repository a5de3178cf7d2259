// The Sample record: growth rules, values past the length, the list
// operations, overlapping moves and records that are not what they claim.
#include "audio/sample.h"
#include "audio/tests/sample_test_util.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

TEST(Sample, GrowthRules) {
    Sample* s = sample_new();
    EXPECT_EQ(s->length, 0);
    EXPECT_EQ(s->capacity, 32);
    for (int32_t i = 0; i < 33; ++i)
        sample_insert(s, i, s->length);
    EXPECT_EQ(s->capacity, 64);
    EXPECT_EQ(sample_get(s, 32), 32);
    sample_free(&s);
    EXPECT_EQ(s, nullptr);

    // Shortening keeps the values; growing back brings them back.
    s = sample_new();
    sample_set_length(s, 44100);
    EXPECT_EQ(s->capacity, 44100);
    EXPECT_EQ(sample_max(s), 0);
    sample_set(s, 7, 20);
    sample_set_length(s, 10);
    EXPECT_EQ(sample_get(s, 20), 0);
    sample_set_length(s, -1);
    EXPECT_EQ(s->length, 10);
    sample_set_length(s, 44100);
    EXPECT_EQ(sample_get(s, 20), 7);
    EXPECT_EQ(s->capacity, 44100);
    sample_set_length(s, 0);
    EXPECT_NE(s->data, nullptr);
    EXPECT_EQ(sample_min(s), 0);  // empty: nothing to report
    sample_free(&s);

    s = make({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    sample_set_capacity(s, 5);
    EXPECT_EQ(values(s), (V{1, 2, 3, 4, 5}));
    EXPECT_EQ(s->capacity, 5);
    sample_free(&s);
}

TEST(Sample, ListOperations) {
    Sample* s = make({5, -6, 5, 7});
    EXPECT_EQ(sample_find(s, 5, 2), 2);   // the start itself matches
    EXPECT_EQ(sample_find(s, 7, 4), -1);  // start = length
    EXPECT_EQ(sample_get(s, -1), 0);
    EXPECT_EQ(sample_get(s, 4), 0);
    EXPECT_EQ(sample_min(s), -6);
    EXPECT_EQ(sample_max(s), 7);
    sample_insert(s, 9, 0);
    sample_insert(s, 8, 6);  // past the length: refused
    EXPECT_EQ(values(s), (V{9, 5, -6, 5, 7}));
    sample_reverse(s);
    EXPECT_EQ(values(s), (V{7, 5, -6, 5, 9}));
    sample_remove(s, 0);
    EXPECT_EQ(values(s), (V{5, -6, 5, 9}));
    EXPECT_EQ(s->data[4], 9);  // the slot past the end keeps its value
    sample_clear(s);
    EXPECT_EQ(values(s), (V{0, 0, 0, 0}));
    sample_free(&s);
}

TEST(Sample, EqualAndCopy) {
    Sample* a = make({1, 2, 3});
    Sample* b = make({1, 2, 3});
    Sample* e = sample_new();
    EXPECT_EQ(sample_equal(a, b), 1);
    EXPECT_EQ(sample_equal(a, nullptr), 0);
    sample_set(b, 4, 2);
    EXPECT_EQ(sample_equal(a, b), 0);

    Sample* c = sample_copy(a);
    EXPECT_NE(c->data, a->data);
    EXPECT_EQ(c->capacity, 3);
    EXPECT_EQ(sample_equal(c, a), 1);
    Sample* ec = sample_copy(e);
    EXPECT_EQ(ec->capacity, 32);
    EXPECT_EQ(sample_equal(ec, e), 1);  // two empty samples are equal

    // A constant record over constant storage can be read and copied.
    static const int32_t stored[3] = {9, 8, 7};
    const Sample fixed = {3, 3, const_cast<int32_t*>(stored)};
    Sample* fc = sample_copy(&fixed);
    EXPECT_EQ(values(fc), (V{9, 8, 7}));
    for (Sample* s : {a, b, e, c, ec, fc})
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

    // Ranges that do not fit, including ones whose end overflows, change nothing.
    Sample* d = make({0, 0, 0});
    sample_move(s, d, 2, 3, 1);
    sample_move(s, d, 2, 0, 2);
    sample_move(s, d, 0, 0, 0);
    sample_move(s, d, 2147483647, 1, 0);
    sample_move(s, d, 1, 2147483647, 0);
    EXPECT_EQ(values(d), (V{0, 4, 5}));
    sample_free(&s);
    sample_free(&d);
}

TEST(Sample, RecordsWithoutUsableValuesAreLeftAlone) {
    Sample none = {0, 0, nullptr};
    sample_insert(&none, 1, 0);
    EXPECT_EQ(none.length, 0);
    EXPECT_EQ(sample_equal(&none, &none), 0);
    EXPECT_EQ(sample_copy(&none), nullptr);

    // A length beyond the buffer must not be read or written.
    int32_t two[2] = {1, 2};
    Sample liar = {5, 2, two};
    EXPECT_EQ(sample_get(&liar, 4), 0);
    EXPECT_EQ(sample_max(&liar), 0);
    sample_reverse(&liar);
    sample_clear(&liar);
    EXPECT_EQ(two[0], 1);

    EXPECT_EQ(sample_get(nullptr, 0), 0);
    EXPECT_EQ(sample_find(nullptr, 0, 0), -1);
    sample_free(nullptr);
}
