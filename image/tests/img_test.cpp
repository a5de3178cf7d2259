#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "image/img.h"
#include "image/tests/image_test_util.h"

namespace {

// n error lines.
std::string errors(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += "IMG error\n";
    return s;
}

}  // namespace

TEST(Image, NewResizeFreeAndPixelAccess) {
    Image* image = img_new();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 16);
    EXPECT_EQ(image->height, 16);
    EXPECT_EQ(image->x, 0);
    EXPECT_EQ(image->y, 0);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(image->pixels[i], 0u);

    img_put_pixel(image, 3, 2, 0xFF123456);
    EXPECT_EQ(img_get_pixel(image, 3, 2), 0xFF123456u);  // stored unchanged, top byte too
    EXPECT_EQ(image->pixels[2 * 16 + 3], 0xFF123456u);
    EXPECT_EQ(reported([&] {
                  EXPECT_EQ(img_get_pixel(image, 16, 0), 0u);
                  EXPECT_EQ(img_get_pixel(image, 0, -1), 0u);
                  img_put_pixel(image, -1, 0, 7);
                  img_put_pixel(image, 0, 16, 7);
              }),
              "");

    // Resizing loses the content; 0 x 0 is a size like any other.
    img_resize(image, 3, 2);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(img_get_pixel(image, 0, 0), 0u);
    img_resize(image, 0, 0);
    EXPECT_EQ(image->width, 0);
    EXPECT_EQ(image->height, 0);
    EXPECT_EQ(reported([&] { img_fade(image, 0x040404); }), "");

    // A negative or oversized size is refused and the image kept.
    img_resize(image, 2, 2);
    img_put_pixel(image, 1, 1, 9);
    EXPECT_EQ(reported([&] {
                  img_resize(image, -1, 4);
                  img_resize(image, 65536, 65536);
                  img_resize(nullptr, 1, 1);
              }),
              "IMG error\nIMG error\nIMG error\n");
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(img_get_pixel(image, 1, 1), 9u);

    // Release clears the reference; a second release only reports.
    img_free(&image);
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(reported([&] {
                  img_free(&image);
                  img_free(nullptr);
              }),
              "IMG error\nIMG error\n");
}

TEST(Image, WholeImageOperations) {
    Image* a = img_new();
    img_resize(a, 3, 1);
    a->pixels[0] = 0x00030507;
    a->pixels[1] = 0xFF102030;
    a->pixels[2] = 0x00FFFFFF;
    img_fade(a, 0x040404);
    EXPECT_EQ(a->pixels[0], 0x00000103u);
    EXPECT_EQ(a->pixels[1], 0x000C1C2Cu);
    EXPECT_EQ(a->pixels[2], 0x00FBFBFBu);
    // Sixty-four passes of 0x040404 bring everything to black.
    for (int i = 0; i < 64; ++i)
        img_fade(a, 0x040404);
    EXPECT_EQ(a->pixels[2], 0u);
    // A colour with only a top byte clears top bytes and changes no channel.
    a->pixels[0] = 0xAB123456;
    img_fade(a, 0xFF000000);
    EXPECT_EQ(a->pixels[0], 0x00123456u);
    // Per channel, not per word: no borrow crosses channels.
    a->pixels[0] = 0x00010000;
    img_fade(a, 0x00000001);
    EXPECT_EQ(a->pixels[0], 0x00010000u);

    Image* b = img_clone(a);
    EXPECT_EQ(img_equal(a, b), 1);
    a->x = 7;
    Image* c = img_clone(a);
    EXPECT_EQ(c->x, 0);
    img_free(&c);
    b->pixels[1] = 5;
    EXPECT_EQ(img_equal(a, b), 0);
    img_copy(a, b);
    EXPECT_EQ(img_equal(a, b), 1);
    img_clear(b);
    EXPECT_EQ(b->pixels[0] | b->pixels[1] | b->pixels[2], 0u);

    // Masking matches indices, whole words.
    a->pixels[0] = 0xFFFFFFFF;
    a->pixels[1] = 0x0F0F0F0F;
    b->pixels[0] = 0x12345678;
    b->pixels[1] = 0xFFFFFFFF;
    img_and_mask(b, a);
    EXPECT_EQ(a->pixels[0], 0x12345678u);
    EXPECT_EQ(a->pixels[1], 0x0F0F0F0Fu);

    // Sizes decide equality before pixels do.
    Image* d = img_new();
    Image* e = img_new();
    img_resize(d, 0, 5);
    img_resize(e, 0, 5);
    EXPECT_EQ(img_equal(d, e), 1);
    img_resize(d, 2, 3);
    img_resize(e, 3, 2);
    EXPECT_EQ(img_equal(d, e), 0);
    EXPECT_EQ(reported([&] {
                  img_copy(d, e);  // different sizes
                  img_copy(nullptr, e);
                  img_clear(nullptr);
                  img_fade(nullptr, 1);
                  EXPECT_EQ(img_clone(nullptr), nullptr);
                  EXPECT_EQ(img_equal(d, nullptr), 0);
                  img_and_mask(nullptr, d);
              }),
              errors(7));
    for (Image* i : {a, b, d, e})
        img_free(&i);
}

TEST(Image, SineTableByTheSinglePrecisionRule) {
    const SineTable& t = img_sine_table;
    EXPECT_EQ(t.mask, 1023);
    EXPECT_EQ(t.count, 1024);
    for (int k = 0; k < 256; ++k) {
        const float angle = 2.0f * static_cast<float>(M_PI) * static_cast<float>(k) / 1024.0f;
        const float product = 32767.0f * sinf(angle);
        EXPECT_EQ(t.values[k], static_cast<int16_t>(lroundf(product))) << k;
    }
    EXPECT_EQ(t.values[1], 201);
    EXPECT_EQ(t.values[129], 23312);  // 23311 in double precision
    EXPECT_EQ(t.values[183], 29535);  // 29534 in double precision
    EXPECT_EQ(t.values[255], 32766);
    EXPECT_EQ(t.values[256], 32766);
    EXPECT_EQ(t.values[511], 0);
    EXPECT_EQ(t.values[512], 0);
    EXPECT_EQ(t.values[767], -32766);
    EXPECT_EQ(t.values[768], -32766);
    EXPECT_EQ(t.values[1023], 0);
    for (int k = 0; k < 256; ++k)
        EXPECT_EQ(t.values[256 + k], t.values[255 - k]);
    for (int k = 0; k < 512; ++k)
        EXPECT_EQ(t.values[512 + k], -t.values[k]);
    for (int k = 0; k < 1024; ++k)
        EXPECT_NE(t.values[k], 32767);
}
