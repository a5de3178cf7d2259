// The pixel and sample effects.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "audio/sample.h"
#include "image/img.h"
#include "program/demo.h"

namespace {

TEST(DemoMod, FloorRemainderForEverySign) {
    const struct {
        int32_t a, n, r;
    } cases[] = {{1030, 1024, 6},    {1023, 1024, 1023}, {-1, 1024, 1023},
                 {-1024, 1024, 0},   {2048, 1024, 0},    {-1025, 1024, 1023},
                 {INT_MIN, 1024, 0}, {INT_MAX, 7, 1},    {INT_MIN, 7, 5},
                 {5, 1, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(demo_mod(c.a, c.n), c.r) << c.a << " mod " << c.n;
}

TEST(DemoMod, ANonPositiveDivisorIsAnErrorNotACrash) {
    img_error_switch = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(demo_mod(5, 0), 0);
    EXPECT_EQ(demo_mod(-5, -3), 0);
    demo_replace_colour(nullptr, 1, 2);
    demo_rotate_pixels(nullptr, 8);
    demo_sine_fill(nullptr);
    demo_noise_fill(nullptr);
    img_error_switch = 0;
    std::string six_errors;
    for (int i = 0; i < 6; ++i)
        six_errors += "IMG error\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), six_errors);
}

Image* image_of(std::initializer_list<uint32_t> words) {
    Image* image = img_new();
    img_resize(image, static_cast<int32_t>(words.size()), 1);
    int32_t x = 0;
    for (uint32_t w : words)
        img_put_pixel(image, x++, 0, w);
    return image;
}

TEST(DemoPixels, ReplaceColourTouchesOnlyExactWords) {
    Image* image = image_of({0xFFFFFF, 0, 0xFFFFFE, 0x01FFFFFF, 0xFFFFFF});
    demo_replace_colour(image, 0xFFFFFF, 0xFF4000);
    const uint32_t expected[] = {0xFF4000, 0, 0xFFFFFE, 0x01FFFFFF, 0xFF4000};
    for (int32_t x = 0; x < 5; ++x)
        EXPECT_EQ(img_get_pixel(image, x, 0), expected[x]);
    demo_replace_colour(image, 0xFF4000, 0xFF4000);
    EXPECT_EQ(img_get_pixel(image, 0, 0), 0xFF4000u);
    img_free(&image);
}

TEST(DemoPixels, RotateTurnsAllFourBytes) {
    const struct {
        int32_t n;
        uint32_t word;
    } cases[] = {{8, 0x12345600},       {24, 0x56001234}, {32, 0x00123456}, {0, 0x00123456},
                 {1000, 0x12345600},    {40, 0x12345600}, {-8, 0x56001234}, {-24, 0x12345600},
                 {INT_MIN, 0x00123456}, {1, 0x002468AC}};
    for (const auto& c : cases) {
        Image* image = image_of({0x00123456, 0});
        demo_rotate_pixels(image, c.n);
        EXPECT_EQ(img_get_pixel(image, 0, 0), c.word) << "n = " << c.n;
        EXPECT_EQ(img_get_pixel(image, 1, 0), 0u);
        img_free(&image);
    }
}

TEST(DemoSamples, SineFillStepsThroughOnePeriod) {
    Sample* s = sample_new();
    sample_set_length(s, 1024);
    demo_sine_fill(s);
    for (int32_t i = 0; i < 1024; ++i)
        ASSERT_EQ(sample_get(s, i), img_sine_table.values[i]);
    sample_set_length(s, 2048);
    demo_sine_fill(s);
    for (int32_t i = 0; i < 2048; ++i)
        ASSERT_EQ(sample_get(s, i), img_sine_table.values[i / 2]);
    sample_set_length(s, 3);
    demo_sine_fill(s);
    EXPECT_EQ(sample_get(s, 1), img_sine_table.values[341]);
    EXPECT_EQ(sample_get(s, 2), img_sine_table.values[682]);
    sample_free(&s);
}

TEST(DemoSamples, NoiseFillDrawsFromTheLastValueOn) {
    Sample* s = sample_new();
    demo_srand(7);
    const int first = demo_rand();
    const int second = demo_rand();
    demo_srand(7);
    demo_noise_fill(s);  // length 0: no draw
    EXPECT_EQ(demo_rand(), first);
    sample_set_length(s, 2);
    demo_srand(7);
    demo_noise_fill(s);
    EXPECT_EQ(sample_get(s, 1), (first & 0xFFFF) - 32768);
    EXPECT_EQ(sample_get(s, 0), (second & 0xFFFF) - 32768);
    sample_free(&s);
}

}  // namespace
