// Sample arithmetic (wrapping, never saturating), shifts, rescaling and the
// matching of one sample laid over another.
#include "audio/tests/sample_test_util.h"

TEST(SampleMath, WrappingShiftsRescaleAndMatching) {
    expect_cases({
        // Over the common length only; 2^32 wraps to 0.
        {{INT32_MAX, INT32_MIN, 65536, 4},
         [](Sample* s) { sample_add(s, &edges); },
         {INT32_MIN, INT32_MAX, 131072, 4}},
        {{INT32_MIN, 3, 65536}, [](Sample* s) { sample_multiply(s, &edges); }, {INT32_MIN, -3, 0}},
        {{INT32_MIN, -INT32_MAX}, [](Sample* s) { sample_scale(s, -1); }, {INT32_MIN, INT32_MAX}},
        // Shift counts go modulo 32; counts above 32 are refused.
        {{-9, -1, 7, 8}, [](Sample* s) { sample_shift_right(s, 3); }, {-2, -1, 0, 1}},
        {{-9, 8}, [](Sample* s) { sample_shift_right(s, 33); }, {-9, 8}},
        {{-9, 8}, [](Sample* s) { sample_shift_right(s, 32); }, {-9, 8}},
        {{-9, 8}, [](Sample* s) { sample_shift_right(s, -1); }, {-1, 0}},
        {{1, -1, 0x40000000}, [](Sample* s) { sample_shift_left(s, 1); }, {2, -2, INT32_MIN}},
        {{1, 2}, [](Sample* s) { sample_shift_left(s, -1); }, {INT32_MIN, 0}},
        // Factor 131072 and offset lo - min; all values equal: no range to
        // spread, every value goes to lo.
        {{10, 20}, [](Sample* s) { sample_rescale(s, 0, 20); }, {10, 30}},
        {{7, 7, 7}, [](Sample* s) { sample_rescale(s, -3, 40); }, {-3, -3, -3}},
    });
    // The widest range, and the quotient that overflows 32 bits, stay defined.
    Sample* s = make({INT32_MIN, INT32_MAX, 0});
    sample_rescale(s, INT32_MIN, INT32_MAX);
    sample_rescale(s, 0, -32768);
    sample_free(&s);

    // Matching: b laid over a with b[0] at a[offset].
    int32_t av[3] = {1, 2, 3};
    int32_t bv[3] = {2, 3, 4};
    int32_t cv[3] = {4, 9, 1};
    int32_t ones[2] = {1, 1};
    const Sample a = {3, 3, av};
    const Sample b = {3, 3, bv};
    const Sample c = {3, 3, cv};
    const Sample two = {2, 2, ones};
    const Sample one = {1, 1, ones};
    // c at -2 lays c[2] over a[0].
    EXPECT_EQ((V{sample_count_matches(&a, &b, 1), sample_count_matches(&a, &b, -1),
                 sample_count_matches(&a, &b, 3), sample_count_matches(&a, &b, INT32_MIN),
                 sample_count_matches(&a, &c, -2)}),
              (V{2, 0, 0, 0, 1}));
    // Ties go to the smallest offset; no match at all gives -(b length).
    EXPECT_EQ(
        (V{sample_best_offset(&a, &b), sample_best_offset(&a, &c), sample_best_offset(&two, &one),
           sample_best_offset(&one, &b), sample_best_offset(&a, nullptr)}),
        (V{1, -2, 0, -3, 0}));
}
