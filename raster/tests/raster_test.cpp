#include "raster/raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Colours = std::vector<uint32_t>;

Image* filled(int32_t width, int32_t height, uint32_t colour) {
    Image* image = img_new();
    img_resize(image, width, height);
    std::fill_n(image->pixels, width * height, colour);
    return image;
}

Raster* make(const Colours& colours, int32_t position = 0) {
    Raster* raster = raster_new();
    raster_resize(raster, static_cast<int32_t>(colours.size()));
    std::copy(colours.begin(), colours.end(), raster->colours);
    raster->position = position;
    return raster;
}

Colours list(const Raster* r) {
    return Colours(r->colours, r->colours + r->count);
}

// n pixels from index start, step 1 along a row or step width down a column.
Colours line(const Image* image, int32_t start, int32_t step, int32_t n) {
    Colours out;
    for (int32_t i = 0; i < n; ++i)
        out.push_back(image->pixels[start + i * step]);
    return out;
}

// The smoothing rule evaluated neighbour by neighbour.
Colours smooth_by_rule(const Colours& c, int64_t reach) {
    const int64_t n = static_cast<int64_t>(c.size());
    Colours out(c.size(), 0);
    for (int64_t i = 0; i < n; ++i)
        for (int shift = 0; shift <= 16; shift += 8) {
            auto ch = [&](int64_t k) { return static_cast<int64_t>((c[k % n] >> shift) & 0xFF); };
            int64_t sum = 2 * ch(i);
            for (int64_t d = 1; d <= reach; ++d)
                sum += ch(i + d) + ch(std::llabs(i - d));
            out[i] |= static_cast<uint32_t>(sum / (2 * reach + 2)) << shift;
        }
    return out;
}

std::string errors(int n) {
    std::string out;
    while (n-- > 0)
        out += "RASTER error\n";
    return out;
}

}  // namespace

TEST(Raster, NewCloneEqual) {
    Raster* r = raster_new();
    EXPECT_EQ(list(r), Colours(256, 0));
    for (int32_t i = 0; i < 256; ++i)
        r->colours[i] = 0x010101u * i;
    r->position = 9;
    testing::internal::CaptureStdout();
    Raster* c = raster_clone(r);
    EXPECT_EQ(c->position, 0);
    EXPECT_EQ(raster_equal(r, c), 1);
    c->colours[255] ^= 1;
    EXPECT_EQ(raster_equal(r, c), 0);
    Raster* e = make({});
    Raster* e2 = raster_clone(e);
    EXPECT_EQ(raster_equal(e, e2), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // equality is not a failure
    for (Raster** p : {&r, &c, &e, &e2})
        raster_free(p);
    EXPECT_EQ(r, nullptr);
}

TEST(Raster, PaintingRepeatsShortListsAndCutsLongOnes) {
    Raster* r = make({0xA, 0xB, 0xC}, 1);
    Image* image = filled(4, 5, 0xFFFFFF);
    raster_draw_rows(r, image);
    EXPECT_EQ(line(image, 3, 4, 5), (Colours{0xB, 0xC, 0xA, 0xB, 0xC}));
    EXPECT_EQ(line(image, 16, 1, 4), Colours(4, 0xC));
    raster_draw_columns(r, image);
    EXPECT_EQ(line(image, 16, 1, 4), (Colours{0xB, 0xC, 0xA, 0xB}));
    EXPECT_EQ(line(image, 2, 4, 5), Colours(5, 0xA));
    EXPECT_EQ(r->position, 1);

    Raster* longer = make({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 7);
    raster_draw_rows(longer, image);
    EXPECT_EQ(line(image, 0, 4, 5), (Colours{7, 8, 9, 0, 1}));
    longer->position = INT32_MIN;  // = -214748365 * 10 + 2: still inside the list
    raster_draw_columns(longer, image);
    EXPECT_EQ(line(image, 0, 1, 4), (Colours{2, 3, 4, 5}));

    raster_resize(r, 0);  // an empty list paints nothing, silently
    Image* before = img_clone(image);
    testing::internal::CaptureStdout();
    raster_blend_rows(r, image, 128);
    raster_draw_columns(r, image);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(img_equal(image, before), 1);
    raster_free(&r);
    raster_free(&longer);
    img_free(&image);
    img_free(&before);
}

TEST(Raster, StepsWrapBothWays) {
    Raster* r = make({1, 2, 3, 4}, 3);
    raster_step_forward(r);
    EXPECT_EQ(r->position, 0);
    raster_step_back(r);
    EXPECT_EQ(r->position, 3);
    r->position = INT32_MAX;  // extremes set by hand step without overflow
    raster_step_forward(r);
    EXPECT_EQ(r->position, 0);
    r->position = INT32_MIN;
    raster_step_back(r);
    EXPECT_EQ(r->position, 3);
    raster_free(&r);
}

TEST(Raster, BlendArithmeticAndLineFills) {
    Image* image = filled(3, 3, 0);
    img_blend_row(image, 0, 0xFFFFFF, 128);
    img_blend_row(image, 1, 0xFFFFFF, 0);
    img_blend_row(image, 2, 0xFFFFFF, 256);
    EXPECT_EQ(line(image, 0, 3, 3), (Colours{0x7F7F7F, 0, 0xFFFFFF}));
    // red (0x10 * 192 + 0xF0 * 64) / 256 = 0x48, green 0x50, blue 0x58; top bytes dropped.
    image->pixels[2] = 0xAB102030;
    img_blend_column(image, 2, 0xCDF0E0D0, 64);
    EXPECT_EQ(image->pixels[2], 0x00485058u);
    img_blend_column(image, 1, 0x0000FF, 1000);  // alpha clamped to 256
    img_blend_column(image, 1, 0xFF0000, -5);    // and to 0
    EXPECT_EQ(line(image, 1, 3, 3), Colours(3, 0x0000FF));
    img_fill_row(image, 1, 0x00FF00);
    img_fill_column(image, 0, 0x000001);
    EXPECT_EQ(line(image, 3, 1, 3), (Colours{1, 0x00FF00, 0x00FF00}));

    Image* before = img_clone(image);
    img_error_switch = 1;
    testing::internal::CaptureStdout();
    img_fill_row(image, 3, 0);  // outside: nothing, silently
    img_blend_column(image, -1, 0, 256);
    img_blend_row(nullptr, 0, 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "IMG error\n");
    img_error_switch = 0;
    EXPECT_EQ(img_equal(image, before), 1);

    Raster* r = make({0xFFFFFF, 0}, 1);
    Image* bars = filled(3, 2, 0xFFFFFF);
    raster_blend_columns(r, bars, 128);
    EXPECT_EQ(line(bars, 3, 1, 3), (Colours{0x7F7F7F, 0xFFFFFF, 0x7F7F7F}));
    raster_blend_rows(r, bars, 256);
    EXPECT_EQ(line(bars, 0, 3, 2), (Colours{0, 0xFFFFFF}));
    raster_free(&r);
    for (Image** p : {&image, &before, &bars})
        img_free(p);
}

TEST(Raster, SmoothReflectsAtZeroAndWrapsAtTheEnd) {
    Raster* r = make({0, 0, 0, 0xFF});
    raster_smooth(r, 1);
    EXPECT_EQ(list(r), (Colours{0, 0, 63, 127}));
    // Against the rule: the demo's 256 colours at reach 2, reaches as long as
    // and longer than the list, one colour, more than the stack copy holds.
    Colours colours;
    for (uint32_t i = 0, seed = 1; i < 2000; ++i)
        colours.push_back((seed *= 2654435761u) >> 7);
    const std::pair<int32_t, int32_t> cases[] = {{256, 2}, {5, 13}, {6, 6}, {1, 3}, {2000, 2}};
    for (auto [count, reach] : cases) {
        Colours c(colours.begin(), colours.begin() + count);
        Raster* s = make(c);
        raster_smooth(s, reach);
        EXPECT_EQ(list(s), smooth_by_rule(c, reach)) << count << " colours, reach " << reach;
        raster_free(&s);
    }
    raster_resize(r, 7);
    std::fill_n(r->colours, 7, 0x406080);
    raster_smooth(r, INT32_MAX);  // at once, without overflow
    EXPECT_EQ(list(r), Colours(7, 0x406080));

    static uint32_t fixed[4] = {0, 0, 0, 255};  // a static list is smoothed in place
    Raster still = {4, 0, fixed};
    raster_smooth(&still, 1);
    EXPECT_EQ(fixed[3], 127u);
    raster_free(&r);
}

TEST(Raster, FillImageSaveAndLoad) {
    Raster* r = make({1, 2, 3}, 2);  // the position is not used
    Image* image = filled(5, 2, 9);
    raster_fill_image(r, image);
    EXPECT_EQ(line(image, 5, 1, 5), (Colours{1, 2, 3, 9, 9}));

    const char* name = "raster_save_test.tmp";
    FILE* f = fopen(name, "w");
    fputs("old content", f);
    fclose(f);
    EXPECT_EQ(raster_save(r, name), 1);
    f = fopen(name, "rb");
    EXPECT_EQ(fgetc(f), EOF);  // emptied, nothing written
    fclose(f);
    Raster* loaded = raster_load(name);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->count, 0);
    testing::internal::CaptureStdout();
    raster_step_forward(loaded);              // an ordinary empty list
    EXPECT_EQ(raster_save(loaded, name), 0);  // with nothing to save
    EXPECT_EQ(raster_save(r, "no-such-dir/raster.tmp"), 0);
    EXPECT_EQ(raster_load("no-such-file.tmp"), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), errors(3));
    remove(name);
    raster_free(&r);
    raster_free(&loaded);
    img_free(&image);
}

TEST(Raster, EveryFailedCheckPrintsOneLine) {
    Raster* r = raster_new();
    Raster no_list = {4, 0, nullptr};
    Image no_pixels = {0, 0, 4, 4, nullptr};
    Raster* null_ref = nullptr;
    testing::internal::CaptureStdout();
    raster_resize(nullptr, 4);
    raster_resize(r, -1);
    EXPECT_EQ(raster_clone(&no_list), nullptr);
    raster_free(&null_ref);
    raster_clear(&no_list);
    EXPECT_EQ(raster_equal(&no_list, &no_list), 0);
    raster_smooth(r, 0);
    raster_step_back(&no_list);
    raster_draw_rows(r, nullptr);
    raster_blend_columns(r, &no_pixels, 128);
    raster_fill_image(nullptr, nullptr);
    EXPECT_EQ(raster_save(r, nullptr), 0);
    EXPECT_EQ(raster_load(nullptr), nullptr);
    raster_error();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), errors(14));
    EXPECT_EQ(r->count, 256);
    EXPECT_EQ(no_list.position, 0);
    raster_free(&r);
}
