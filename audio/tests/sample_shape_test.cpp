// Sample reshaping: stretch both ways, rotation by any amount, inserting a
// sample into itself and slicing.
#include "audio/tests/sample_test_util.h"

TEST(SampleShape, StretchRotationAndSlice) {
    expect_cases({
        {{0, 1, 2}, [](Sample* s) { sample_stretch(s, 7); }, {0, 0, 1, 1, 2, 2, 2}},
        // Shrinking steps through the inputs; the last slot takes the last input.
        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, [](Sample* s) { sample_stretch(s, 5); }, {2, 4, 6, 8, 9}},
        {{0, 1, 2, 3, 4}, [](Sample* s) { sample_stretch(s, 1); }, {4}},
        {{9}, [](Sample* s) { sample_stretch(s, 0); }, {9}},
        {{}, [](Sample* s) { sample_stretch(s, 3); }, {0, 0, 0}},  // nothing to repeat: silence
        {{1, 2, 3, 4}, [](Sample* s) { sample_rotate_right(s, 5); }, {4, 1, 2, 3}},
        {{1, 2, 3, 4}, [](Sample* s) { sample_rotate_right(s, -1); }, {2, 3, 4, 1}},
        {{1, 2, 3, 4}, [](Sample* s) { sample_rotate_left(s, -5); }, {4, 1, 2, 3}},
        {{1, 2, 3, 4}, [](Sample* s) { sample_rotate_left(s, INT32_MAX); }, {4, 1, 2, 3}},
        {{1, 2, 3, 4}, [](Sample* s) { sample_rotate_right(s, INT32_MIN); }, {1, 2, 3, 4}},
        {{1, 2, 3, 4}, [](Sample* s) { sample_rotate_left(s, INT32_MIN); }, {1, 2, 3, 4}},
        // Slots past the length hold 0 afterwards; an empty sample stays as it is.
        {{1, 2, 3},
         [](Sample* s) {
             sample_set_length(s, 2);
             sample_rotate_right(s, 1);
             sample_set_length(s, 3);
         },
         {2, 1, 0}},
        {{}, [](Sample* s) { sample_rotate_left(s, 3); }, {}},
        // Inserted into itself, a sample inserts its values as they were.
        {{1, 2, 3}, [](Sample* s) { sample_insert_sample(s, s, 1); }, {1, 1, 2, 3, 2, 3}},
    });

    // Slices are clamped to the sample; from > to gives null ({-999}).
    EXPECT_EQ(take(sample_slice(&fixed, 1, 2)), (V{8}));
    EXPECT_EQ(take(sample_slice(&fixed, -5, 2)), (V{7, 8}));
    EXPECT_EQ(take(sample_slice(&fixed, 2, 100)), (V{9}));
    EXPECT_EQ(take(sample_slice(&fixed, 7, 9)), V{});
    EXPECT_EQ(take(sample_slice(&fixed, 2, 1)), V{-999});
}
