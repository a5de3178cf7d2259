#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "image/img.h"
#include "image/tests/image_test_util.h"

namespace {

// An image whose pixel (x, y) is (y + 1) * 100 + x + 1, so every pixel names its place.
Image* marked(int32_t w, int32_t h) {
    Image* image = img_new();
    img_resize(image, w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            image->pixels[y * w + x] = (y + 1) * 100 + x + 1;
    return image;
}

std::vector<uint32_t> pixels(const Image* image) {
    return std::vector<uint32_t>(image->pixels, image->pixels + image->width * image->height);
}

// The source pixel names of a scaled picture, row by row.
std::vector<uint32_t> scaled(int32_t sw, int32_t sh, int32_t dw, int32_t dh) {
    Image* src = marked(sw, sh);
    Image* dst = sized(dw, dh);
    img_scale(src, dst);
    std::vector<uint32_t> out = pixels(dst);
    img_free(&src);
    img_free(&dst);
    return out;
}

}  // namespace

TEST(Scale, FourCasesFollowTheRunLists) {
    // Narrower: last column of each run (runs 2, 2, 1): b d.
    EXPECT_EQ(scaled(4, 1, 2, 1), (std::vector<uint32_t>{102, 104}));
    // Wider: columns repeated by their runs (3, 2, 1): a a a b b.
    EXPECT_EQ(scaled(2, 1, 5, 1), (std::vector<uint32_t>{101, 101, 101, 102, 102}));
    // Same width, lower: first row of each run (2, 1, 1): rows a, c.
    EXPECT_EQ(scaled(1, 3, 1, 2), (std::vector<uint32_t>{101, 301}));
    // Both reduce: last of each run: (1, 1) and (1, 2).
    EXPECT_EQ(scaled(2, 3, 1, 2), (std::vector<uint32_t>{202, 302}));
    // Narrower and higher: last column of each run, rows replicated.
    EXPECT_EQ(scaled(4, 2, 2, 3), (std::vector<uint32_t>{102, 104, 102, 104, 202, 204}));
    // Wider and lower: columns replicated, first row of each run (runs 2, 1, 1 of 3 to 2).
    EXPECT_EQ(scaled(2, 3, 3, 2), (std::vector<uint32_t>{101, 101, 102, 301, 301, 302}));
    // Same size: an exact copy.
    Image* src = marked(5, 4);
    Image* dst = sized(5, 4);
    img_scale(src, dst);
    EXPECT_EQ(img_equal(src, dst), 1);
    img_free(&src);
    img_free(&dst);
    // Every pixel of the destination is written, at the demo's sizes too.
    for (auto [sw, sh, dw, dh] : std::vector<std::array<int32_t, 4>>{
             {320, 64, 256, 64}, {128, 128, 22, 22}, {7, 5, 128, 128}, {3, 9, 2, 200}}) {
        Image* s = sized(sw, sh);
        for (int32_t y = 0; y < sh; ++y)
            for (int32_t x = 0; x < sw; ++x)
                s->pixels[y * sw + x] = static_cast<uint32_t>((y + 1) << 16 | (x + 1));
        Image* d = sized(dw, dh);
        img_scale(s, d);
        for (uint32_t p : pixels(d)) {
            ASSERT_GE(p & 0xFFFF, 1u);
            ASSERT_LE(p & 0xFFFF, static_cast<uint32_t>(sw));
            ASSERT_GE(p >> 16, 1u);
            ASSERT_LE(p >> 16, static_cast<uint32_t>(sh));
        }
        img_free(&s);
        img_free(&d);
    }
}

TEST(Scale, EmptyAndNegativeSizes) {
    Image* src = marked(3, 3);
    Image* dst = sized(0, 0);
    EXPECT_EQ(reported([&] { img_scale(src, dst); }), "");
    // A negative destination size is refused; so is a negative source size,
    // which has no pixels to read.
    dst->width = -1;
    EXPECT_EQ(reported([&] { img_scale(src, dst); }), "IMG error\n");
    img_resize(dst, 2, 2);
    src->width = -3;
    EXPECT_EQ(reported([&] { img_scale(src, dst); }), "IMG error\n");
    EXPECT_EQ(pixels(dst), std::vector<uint32_t>(4, 0));
    src->width = 3;
    EXPECT_EQ(reported([&] {
                  img_scale(nullptr, dst);
                  img_scale(src, nullptr);
              }),
              "IMG error\nIMG error\n");
    img_free(&src);
    img_free(&dst);
}

TEST(Rotate, SizesAndAngles) {
    Image* src = marked(16, 16);
    Image* r0 = img_rotate(src, 0);
    ASSERT_NE(r0, nullptr);
    EXPECT_EQ(r0->width, 22);
    EXPECT_EQ(r0->height, 22);
    for (int32_t angle : {1024, -1024, INT32_MIN}) {  // INT32_MIN is a whole number of turns
        Image* r = img_rotate(src, angle);
        EXPECT_EQ(img_equal(r0, r), 1) << angle;
        img_free(&r);
    }
    img_free(&r0);
    img_free(&src);

    // 2 x 2 at 512 is an upright copy; at 0 every pixel reads source (1, 1).
    src = marked(2, 2);
    Image* r = img_rotate(src, 512);
    EXPECT_EQ(img_equal(src, r), 1);
    img_free(&r);
    r = img_rotate(src, 0);
    EXPECT_EQ(pixels(r), std::vector<uint32_t>(4, 202));
    img_free(&r);
    img_free(&src);

    // 4 x 4 at 512: 5 x 5 reading columns and rows 0, 1, 2, 2, 3.
    src = marked(4, 4);
    r = img_rotate(src, 512);
    ASSERT_EQ(r->width, 5);
    const int map[5] = {0, 1, 2, 2, 3};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(img_get_pixel(r, x, y),
                      static_cast<uint32_t>((map[y] + 1) * 100 + map[x] + 1));
    img_free(&r);
    // At 256 the bottom row lies outside the source.
    r = img_rotate(src, 256);
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(img_get_pixel(r, x, 4), 0u);
    EXPECT_NE(img_get_pixel(r, 2, 2), 0u);
    img_free(&r);
    // The known sizes: 256 gives 361, 320 gives 452, 64 gives 90.
    Image* wide = sized(320, 64);
    r = img_rotate(wide, 77);
    EXPECT_EQ(r->width, 452);
    EXPECT_EQ(r->height, 90);
    img_free(&r);
    img_free(&wide);

    // Sizes whose rotation cannot be held are refused, not overflowed.
    src->width = 60000;
    src->height = 60000;
    EXPECT_EQ(reported([&] { EXPECT_EQ(img_rotate(src, 0), nullptr); }), "IMG error\n");
    src->width = -4;
    EXPECT_EQ(reported([&] { EXPECT_EQ(img_rotate(src, 0), nullptr); }), "IMG error\n");
    src->width = 4;
    src->height = 4;
    EXPECT_EQ(reported([&] { EXPECT_EQ(img_rotate(nullptr, 0), nullptr); }), "IMG error\n");
    img_free(&src);
}
