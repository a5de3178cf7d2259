// The Sample record: growth rules, values past the length, overlapping moves
// and records that are not what they claim.
#include "audio/tests/sample_test_util.h"

TEST(Sample, GrowthRules) {
    Sample* s = sample_new();
    EXPECT_EQ((V{s->length, s->capacity}), (V{0, 32}));
    for (int32_t i = 1; i <= 33; ++i)
        sample_insert(s, i, s->length);
    EXPECT_EQ(s->capacity, 64);

    // Growing takes exactly what is asked, zero-filled; shortening keeps the
    // values, and growing back brings them back.
    sample_set_length(s, 44100);
    EXPECT_EQ((V{s->capacity, sample_get(s, 32), sample_get(s, 44099)}), (V{44100, 33, 0}));
    sample_set(s, 7, 40000);
    sample_set_length(s, 10);
    sample_set_length(s, -1);  // refused
    EXPECT_EQ((V{s->length, sample_get(s, 40000)}), (V{10, 0}));
    sample_set_length(s, 44100);
    EXPECT_EQ(sample_get(s, 40000), 7);
    sample_set_capacity(s, 5);  // cuts the length
    EXPECT_EQ((V{s->capacity, s->length, s->data[4]}), (V{5, 5, 5}));
    sample_set_length(s, 0);
    EXPECT_EQ((V{sample_min(s), s->data != nullptr}), (V{0, 1}));  // min: not the stale 1
    s->length = 9;               // a record made by hand that claims more than it holds
    sample_set_capacity(s, 12);  // copies only the 5 values the buffer has
    EXPECT_EQ((V{s->capacity, s->length, s->data[4], s->data[5]}), (V{12, 9, 5, 0}));
    sample_free(&s);
    EXPECT_EQ(s, nullptr);
}

TEST(Sample, ListOperationsMovesAndBadRecords) {
    // find from a start that matches and from the length, get outside, min, max
    EXPECT_EQ((V{sample_find(&fixed, 9, 2), sample_find(&fixed, 9, 3), sample_get(&fixed, -1),
                 sample_get(&fixed, 3), sample_min(&edges), sample_max(&edges)}),
              (V{2, -1, 0, 0, -1, 65536}));
    Sample* c = sample_copy(&fixed);
    EXPECT_EQ((V{sample_equal(c, &fixed), sample_equal(c, &edges), sample_equal(c, nullptr)}),
              (V{1, 0, 0}));
    sample_free(&c);
    expect_cases({
        // Inserting past the length is refused.
        {{5, 7},
         [](Sample* s) {
             sample_insert(s, 8, 3);
             sample_insert(s, 9, 0);
         },
         {9, 5, 7}},
        {{1, 2, 3}, [](Sample* s) { sample_reverse(s); }, {3, 2, 1}},
        {{1, 2, 3}, [](Sample* s) { sample_clear(s); }, {0, 0, 0}},
        // The slot past the end keeps its value after a removal.
        {{1, 2, 3},
         [](Sample* s) {
             sample_remove(s, 0);
             sample_set_length(s, 3);
         },
         {2, 3, 3}},
        // Moves as through a temporary buffer: overlap both ways, another sample.
        {{1, 2, 3, 4, 5}, [](Sample* s) { sample_move(s, s, 3, 0, 2); }, {1, 2, 1, 2, 3}},
        {{1, 2, 3, 4, 5}, [](Sample* s) { sample_move(s, s, 3, 2, 0); }, {3, 4, 5, 4, 5}},
        {{0, 0, 0}, [](Sample* s) { sample_move(&fixed, s, 2, 1, 1); }, {0, 8, 9}},
        // Ranges that do not fit, including ones whose end overflows, change nothing.
        {{0, 0},
         [](Sample* s) {
             for (V r : {V{2, 2, 0}, V{2, 0, 1}, V{INT32_MAX, 1, 0}, V{1, INT32_MAX, 0}})
                 sample_move(&fixed, s, r[0], r[1], r[2]);
         },
         {0, 0}},
    });

    // Records without usable values are left alone.
    // A length beyond the buffer must never be read or written.
    int32_t two[2] = {1, 2};
    Sample none = {0, 0, nullptr};
    Sample liar = {5, 2, two};
    sample_insert(&none, 1, 0);
    sample_reverse(&liar);
    sample_clear(&liar);
    EXPECT_EQ((V{none.length, sample_equal(&none, &none), sample_get(&liar, 4), sample_max(&liar),
                 two[0], sample_find(nullptr, 0, 0), sample_copy(&none) != nullptr}),
              (V{0, 0, 0, 0, 1, -1, 0}));
}
