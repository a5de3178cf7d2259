// Nearest-neighbour scaling along the run lists, and rotation.
#include "image/tests/image_test_util.h"

// Source pixels are numbered (y + 1) * 100 + x + 1, naming their place.
TEST(Scale, FourCasesFollowTheRunLists) {
    // Narrower takes the last column of each run, wider repeats columns by
    // their runs; lower takes the first row of each run (the last when the
    // columns reduce too), higher repeats rows.
    const Rows<int32_t, int32_t, int32_t, int32_t, Px> cases = {
        {4, 1, 2, 1, {102, 104}},                 // runs 2, 2, 1
        {2, 1, 5, 1, {101, 101, 101, 102, 102}},  // runs 3, 2, 1
        {1, 3, 1, 2, {101, 301}},                 // runs 2, 1, 1
        {2, 3, 1, 2, {202, 302}},
        {4, 2, 2, 3, {102, 104, 102, 104, 202, 204}},
        {2, 3, 3, 2, {101, 101, 102, 301, 301, 302}},
    };
    Keep keep;
    for (auto& [sw, sh, dw, dh, want] : cases) {
        Image* dst = keep(sized(dw, dh));
        img_scale(keep(numbered(sw, sh, 101, 100)), dst);
        EXPECT_EQ(pixels(dst), want);
    }

    // A negative source size is refused: it has no pixels to read.
    Image* src = keep(numbered(3, 3));
    Image* dst = keep(sized(2, 2));
    src->width = -3;
    EXPECT_EQ(errors(3), reported([&] {
                  img_scale(src, dst);
                  img_scale(nullptr, dst);
                  img_scale(src, nullptr);
              }));
}

TEST(Rotate, SizesAndAngles) {
    Keep keep;
    // 16 x 16 turns into 22 x 22, the same for every whole number of turns.
    Image* src = keep(numbered(16, 16));
    Image* r0 = keep(img_rotate(src, 0));
    ASSERT_NE(r0, nullptr);
    EXPECT_EQ(std::pair(r0->width, r0->height), std::pair(22, 22));
    for (int32_t angle : {1024, -1024, INT32_MIN})
        EXPECT_EQ(img_equal(r0, keep(img_rotate(src, angle))), 1) << angle;
    // 2 x 2 at 512 is an upright copy; at 0 every pixel reads source (1, 1).
    src = keep(numbered(2, 2));
    EXPECT_EQ(img_equal(src, keep(img_rotate(src, 512))), 1);
    EXPECT_EQ(pixels(keep(img_rotate(src, 0))), Px(4, 4));
    // 4 x 4 at 512: 5 x 5 reading columns and rows 0, 1, 2, 2, 3; at 256 the
    // bottom row lies outside the source.
    src = keep(numbered(4, 4));
    Image* r = keep(img_rotate(src, 512));
    ASSERT_EQ(r->width, 5);
    const int32_t map[5] = {0, 1, 2, 2, 3};
    for (int32_t y = 0; y < 5; ++y) {
        for (int32_t x = 0; x < 5; ++x)
            EXPECT_EQ(img_get_pixel(r, x, y), uint32_t(map[y] * 4 + map[x] + 1)) << x << " " << y;
    }
    r = keep(img_rotate(src, 256));
    EXPECT_EQ(Px(r->pixels + 20, r->pixels + 25), Px(5, 0));

    // A negative size is refused.
    src->width = -4;
    EXPECT_EQ(errors(2), reported([&] { EXPECT_EQ(img_rotate(src, 0), img_rotate(nullptr, 0)); }));
}
