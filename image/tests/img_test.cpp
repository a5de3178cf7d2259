// The Image record, the whole-image operations and the sine table.
#include <cmath>

#include "image/tests/image_test_util.h"

TEST(Image, NewResizeFreeAndPixelAccess) {
    Image* image = img_new();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(std::tuple(image->x, image->y, image->width, image->height),
              std::tuple(0, 0, 16, 16));
    EXPECT_EQ(pixels(image), Px(256, 0));
    img_put_pixel(image, 3, 2, 0xFF123456);
    EXPECT_EQ(image->pixels[2 * 16 + 3], 0xFF123456u);  // row-major, top byte kept
    EXPECT_EQ(img_get_pixel(image, 3, 2), 0xFF123456u);

    // Each resize gives a zeroed buffer of the new size, whether it grows past
    // the first buffer or shrinks back within its size.
    for (const auto& [w, h] : {std::pair(40, 30), std::pair(16, 16), std::pair(2, 2)}) {
        img_put_pixel(image, 1, 1, 7);
        img_resize(image, w, h);
        ASSERT_EQ(pixels(image), Px(static_cast<size_t>(w * h), 0));
    }
    // A negative or oversized size is refused and the image kept.
    EXPECT_EQ(errors(3), reported([&] {
                  img_resize(image, -1, 4);
                  img_resize(image, 65536, 65536);
                  img_resize(nullptr, 1, 1);
              }));
    ASSERT_EQ(std::pair(image->width, image->height), std::pair(2, 2));
    // Release clears the reference; a second release only reports.
    img_free(&image);
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(errors(2), reported([&] {
                  img_free(&image);
                  img_free(nullptr);
              }));
}

TEST(Image, WholeImageOperations) {
    Keep keep;
    // Fading floors each channel on its own (no borrow between channels) and
    // clears the top byte; the colour's own top byte changes nothing. The
    // same pixels sit among the first 16 (faded in blocks) and in the tail.
    const Px before = {0x00030507, 0xFF102030, 0x00FFFFFF, 0xAB123456, 0x00010000};
    Image* a = keep(sized(21, 1, before));
    std::copy(before.begin(), before.end(), a->pixels + 16);
    img_fade(a, 0x040404);
    img_fade(a, 0xFF000001);
    for (uint32_t* p : {a->pixels, a->pixels + 16})
        EXPECT_EQ(Px(p, p + 5), (Px{0x102, 0x0C1C2B, 0xFBFBFA, 0x0E3051, 0}));

    a->x = 7;
    Image* b = keep(img_clone(a));
    EXPECT_EQ(std::pair(img_equal(a, b), b->x), std::pair(1, 0));
    img_clear(b);
    img_copy(a, b);
    EXPECT_EQ(pixels(b), pixels(a));
    // Masking ANDs whole words, index by index.
    Image* d = keep(sized(3, 1, {0xFFFFFFFF, 0x0F0F0F0F, 6}));
    img_and_mask(keep(sized(2, 1, {0x12345678, 0xFFFFFFFF})), d);
    EXPECT_EQ(pixels(d), (Px{0x12345678, 0x0F0F0F0F, 6}));

    // Sizes decide equality before pixels do; copying needs the same size.
    EXPECT_EQ(img_equal(keep(sized(0, 5)), keep(sized(0, 5))), 1);
    Image* e = keep(sized(2, 3));
    Image* f = keep(sized(3, 2));
    EXPECT_EQ(img_equal(e, f), 0);
    EXPECT_EQ(errors(7), reported([&] {
                  img_copy(e, f);
                  img_copy(nullptr, f);
                  img_clear(nullptr);
                  img_fade(nullptr, 1);
                  img_and_mask(nullptr, e);
                  EXPECT_EQ(img_clone(nullptr), nullptr);
                  EXPECT_EQ(img_equal(e, nullptr), 0);
              }));
}

TEST(Image, SineTableBySinglePrecisionRule) {
    // The first quarter is lroundf(32767 * sinf(2 pi k / 1024)) in single
    // precision (entries 129 and 183 differ from the double-precision result;
    // the peak is 32766); the other quarters mirror it.
    const int16_t* t = img_sine_table.values;
    for (int k = 0; k < 256; ++k) {
        const float angle = 2.0f * static_cast<float>(M_PI) * static_cast<float>(k) / 1024.0f;
        EXPECT_EQ(t[k], static_cast<int16_t>(lroundf(32767.0f * sinf(angle)))) << k;
        EXPECT_EQ(t[256 + k], t[255 - k]) << k;
        EXPECT_EQ(t[512 + k], -t[k]) << k;
        EXPECT_EQ(t[768 + k], -t[256 + k]) << k;
    }
}
