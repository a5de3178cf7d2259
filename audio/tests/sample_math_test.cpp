// Sample arithmetic (wrapping, never saturating), shifts, rescaling and the
// matching of one sample laid over another.
#include "audio/sample.h"
#include "audio/tests/sample_test_util.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

TEST(SampleMath, ElementWiseOverTheCommonLengthAndWrapping) {
    Sample* a = make({1, 2, 3});
    Sample* b = make({10, 20});
    Sample* c = make({10, 20, 30});
    sample_add(a, b);
    EXPECT_EQ(values(a), (V{11, 22, 3}));
    sample_add(b, c);
    EXPECT_EQ(values(b), (V{20, 40}));
    sample_multiply(a, b);
    EXPECT_EQ(values(a), (V{220, 880, 3}));

    Sample* w = make({INT32_MAX, INT32_MIN, 65536});
    Sample* x = make({1, -1, 65536});
    sample_add(w, x);
    EXPECT_EQ(values(w), (V{INT32_MIN, INT32_MAX, 131072}));
    sample_multiply(w, x);  // 2^33 wraps to 0
    EXPECT_EQ(values(w), (V{INT32_MIN, -INT32_MAX, 0}));
    sample_scale(w, -1);
    EXPECT_EQ(values(w), (V{INT32_MIN, INT32_MAX, 0}));
    for (Sample* s : {a, b, c, w, x})
        sample_free(&s);
}

TEST(SampleMath, Shifts) {
    Sample* s = make({-9, -1, 7, 8});
    sample_shift_right(s, 3);
    EXPECT_EQ(values(s), (V{-2, -1, 0, 1}));
    sample_shift_right(s, 33);  // refused
    sample_shift_right(s, 32);  // modulo 32: unchanged
    EXPECT_EQ(values(s), (V{-2, -1, 0, 1}));
    sample_shift_right(s, -1);  // modulo 32: by 31
    EXPECT_EQ(values(s), (V{-1, -1, 0, 0}));
    sample_free(&s);

    s = make({1, -1, 0x40000000});
    sample_shift_left(s, 1);  // into the sign bit: wraps
    EXPECT_EQ(values(s), (V{2, -2, INT32_MIN}));
    sample_shift_left(s, -1);
    EXPECT_EQ(values(s), (V{0, 0, 0}));
    sample_free(&s);
}

TEST(SampleMath, Rescale) {
    Sample* s = make({0, 50, 100});
    sample_rescale(s, 0, 200);
    EXPECT_EQ(values(s), (V{0, 100, 200}));
    sample_free(&s);
    s = make({10, 20});
    sample_rescale(s, 0, 20);  // factor 131072, offset lo - min
    EXPECT_EQ(values(s), (V{10, 30}));
    sample_free(&s);

    // All values equal: no range to spread, every value goes to lo.
    s = make({7, 7, 7});
    sample_rescale(s, -3, 40);
    EXPECT_EQ(values(s), (V{-3, -3, -3}));
    sample_free(&s);

    // The widest range, and the quotient that overflows 32 bits, stay defined.
    s = make({INT32_MIN, INT32_MAX, 0});
    sample_rescale(s, INT32_MIN, INT32_MAX);
    sample_rescale(s, 0, -32768);
    sample_free(&s);
}

TEST(SampleMath, MatchesAndBestOffset) {
    Sample* a = make({1, 2, 3});
    Sample* b = make({2, 3, 4});
    Sample* c = make({4, 9, 1});
    EXPECT_EQ(sample_count_matches(a, b, 1), 2);
    EXPECT_EQ(sample_count_matches(a, b, -1), 0);
    EXPECT_EQ(sample_count_matches(a, b, 3), 0);
    EXPECT_EQ(sample_count_matches(a, b, INT32_MIN), 0);
    EXPECT_EQ(sample_count_matches(a, c, -2), 1);  // a[0] against c[2]
    EXPECT_EQ(sample_best_offset(a, b), 1);
    EXPECT_EQ(sample_best_offset(a, c), -2);

    Sample* ones = make({1, 1});
    Sample* one = make({1});
    Sample* five = make({5});
    EXPECT_EQ(sample_best_offset(ones, one), 0);   // ties go to the smallest offset
    EXPECT_EQ(sample_best_offset(one, five), -1);  // no match: -(b length)
    EXPECT_EQ(sample_best_offset(a, nullptr), 0);
    for (Sample* s : {a, b, c, ones, one, five})
        sample_free(&s);
}
