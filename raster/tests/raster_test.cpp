// Colour bars painted, blended and smoothed, and one report line per failed check.
#include "raster/raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <functional>
#include <numeric>
#include <vector>

#include "image/tests/image_test_util.h"

using Colours = std::vector<uint32_t>;
constexpr uint32_t W = 0xFFFFFF;  // white
constexpr uint32_t G = 0x7F7F7F;  // white blended with black at 128
const std::string kError = "RASTER error\n";

// Static records with static lists throughout: painting and stepping work
// on them as on allocated ones.
TEST(Raster, PaintingBlendingAndLineFills) {
    uint32_t two[] = {W, 0};
    uint32_t ten[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    Raster r = {2, 1, two};
    Raster longer = {10, 8, ten};
    Raster far = {10, INT32_MIN, ten};
    Raster empty = {0, 0, two};
    Image* image = sized(3, 3);
    // Each operation in turn, and the whole image after it; nothing is reported.
    const std::pair<std::function<void()>, Colours> steps[] = {
        {[&] { std::fill_n(image->pixels, 9, 5u); }, Colours(9, 5)},
        {[&] { raster_draw_rows(&r, image); }, {0, 0, 0, W, W, W, 0, 0, 0}},       // repeats
        {[&] { raster_draw_rows(&longer, image); }, {8, 8, 8, 9, 9, 9, 0, 0, 0}},  // cut, wraps
        // INT32_MIN = -214748365 * 10 + 2: still inside the list.
        {[&] { raster_draw_columns(&far, image); }, {2, 3, 4, 2, 3, 4, 2, 3, 4}},
        {[&] { std::fill_n(image->pixels, 9, W); }, Colours(9, W)},
        {[&] { raster_blend_columns(&r, image, 128); }, {G, W, G, G, W, G, G, W, G}},
        {[&] { raster_blend_rows(&r, image, 256); }, {0, 0, 0, W, W, W, 0, 0, 0}},
        {[&] { raster_fill_image(&longer, image); }, {0, 1, 2, 0, 1, 2, 0, 1, 2}},
        {[&] { raster_fill_image(&r, image); }, {W, 0, 2, W, 0, 2, W, 0, 2}},  // part of a row
        {[&] { img_blend_column(image, 1, W, 128); }, {W, G, 2, W, G, 2, W, G, 2}},
        {[&] { img_blend_row(image, 1, 0, 1000); }, {W, G, 2, 0, 0, 0, W, G, 2}},  // alpha 256
        {[&] { img_fill_row(image, 2, 7); }, {W, G, 2, 0, 0, 0, 7, 7, 7}},
        {[&] { img_fill_column(image, 0, 1); }, {1, G, 2, 1, 0, 0, 1, 7, 7}},
        {[&] {  // an empty list, a line outside the image, alpha below 0: no change
             raster_blend_rows(&empty, image, 128);
             img_blend_row(image, 0, W, -5);
             raster_draw_columns(&empty, image);
             raster_fill_image(&empty, image);
             img_fill_row(image, 3, 0);
             img_fill_column(image, -1, 0);
             img_blend_column(image, 3, 0, 256);
             img_blend_row(image, INT32_MIN, 0, 256);
         },
         {1, G, 2, 1, 0, 0, 1, 7, 7}},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        EXPECT_EQ(reported(steps[i].first), "");
        EXPECT_EQ(Colours(image->pixels, image->pixels + 9), steps[i].second) << "step " << i;
    }
    // red (0x10 * 192 + 0xF0 * 64) / 256 = 0x48, green 0x50, blue 0x58; top bytes dropped.
    image->pixels[2] = 0xAB102030;
    img_blend_column(image, 2, 0xCDF0E0D0, 64);
    EXPECT_EQ(image->pixels[2], 0x00485058u);
    img_free(&image);

    // Steps wrap both ways, also from extremes set by hand, without overflow.
    const int32_t moves[][3] = {{8, 1, 9},  {9, 1, 0},  {INT32_MAX, 1, 0},
                                {1, -1, 0}, {0, -1, 9}, {INT32_MIN, -1, 9}};
    for (auto& m : moves) {
        longer.position = m[0];
        (m[1] > 0 ? raster_step_forward : raster_step_back)(&longer);
        EXPECT_EQ(longer.position, m[2]) << m[0];
    }
}

TEST(Raster, SmoothReflectsAtZeroAndWrapsAtTheEnd) {
    uint32_t fixed[4] = {0x406080, 0x406080, 0x406080, 0x406080};
    Raster still = {4, 0, fixed};
    raster_smooth(&still, INT32_MAX);  // at once, without overflow
    EXPECT_EQ(Colours(fixed, fixed + 4), Colours(4, 0x406080));
    // Against the rule, neighbour by neighbour: the demo's 256 colours at
    // reach 2, reaches as long as and longer than the list, one colour, more
    // colours than the stack copy holds.
    const std::pair<int32_t, int32_t> cases[] = {{256, 2}, {5, 13}, {6, 6}, {1, 3}, {2000, 2}};
    for (auto [n, reach] : cases) {
        Colours c(n);
        Colours want(n, 0);
        std::generate(c.begin(), c.end(), [i = 0u]() mutable { return ++i * 2654435761u >> 7; });
        for (int64_t i = 0; i < n; ++i)
            for (int shift = 0; shift <= 16; shift += 8) {
                auto ch = [&](int64_t k) { return (c[k % n] >> shift) & 0xFF; };
                uint32_t sum = 2 * ch(i);
                for (int64_t d = 1; d <= reach; ++d)
                    sum += ch(i + d) + ch(std::llabs(i - d));
                want[i] |= sum / (2 * reach + 2) << shift;
            }
        Raster s = {n, 0, c.data()};
        raster_smooth(&s, reach);
        EXPECT_EQ(c, want) << n << " colours, reach " << reach;
    }
}

TEST(Raster, CloneEqualSaveLoadAndOneLinePerFailedCheck) {
    Raster* r = raster_new();
    std::iota(r->colours, r->colours + 256, 1u);
    r->position = 9;
    const char* name = "raster_save_test.tmp";
    std::ofstream(name) << "old content";
    EXPECT_EQ(raster_save(r, name), 1);
    EXPECT_EQ(slurp(name), "");  // emptied, nothing written
    Raster* loaded = raster_load(name);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->count, 0);
    remove(name);

    testing::internal::CaptureStdout();
    raster_step_forward(loaded);  // an ordinary empty list
    Raster* c = raster_clone(r);
    Raster* e = raster_clone(loaded);
    EXPECT_EQ(c->position, 0);
    EXPECT_EQ(std::pair(raster_equal(r, c), raster_equal(e, loaded)), std::pair(1, 1));
    c->colours[255] ^= 1;
    EXPECT_EQ(std::pair(raster_equal(r, c), raster_equal(r, e)), std::pair(0, 0));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // equality is not a failure

    Raster no_list = {4, 0, nullptr};
    Raster* null_ref = nullptr;
    EXPECT_EQ(reported([&] { raster_resize(nullptr, 4); }), kError);
    EXPECT_EQ(reported([&] { raster_resize(r, -1); }), kError);
    EXPECT_EQ(reported([&] { EXPECT_EQ(raster_clone(&no_list), nullptr); }), kError);
    EXPECT_EQ(reported([&] { raster_free(&null_ref); }), kError);
    EXPECT_EQ(reported([&] { raster_smooth(r, 0); }), kError);
    Raster empty = {0, 0, r->colours};
    raster_step_back(&empty);  // wraps from 0 to count - 1, here -1
    EXPECT_EQ(empty.position, -1);
    EXPECT_EQ(reported([&] { raster_draw_rows(r, nullptr); }), kError);
    EXPECT_EQ(reported([&] { EXPECT_EQ(raster_save(loaded, name), 0); }), kError);  // empty
    EXPECT_EQ(reported([&] { EXPECT_EQ(raster_load("no-such-file.tmp"), nullptr); }), kError);
    EXPECT_EQ(r->count, 256);
    for (Raster** p : {&r, &c, &e, &loaded})
        raster_free(p);
}
