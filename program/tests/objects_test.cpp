// The demo's shared objects after start-up, without a window or audio device.
#include <gtest/gtest.h>

#include <cstdlib>

#include "audio/sample.h"
#include "image/img.h"
#include "program/demo.h"
#include "program/tests/headless.h"
#include "text/font.h"
#include "text/scroll.h"

namespace {

TEST(DemoObjects, StartUpMakesEveryObjectAtItsSize) {
    headless_program_start();
    EXPECT_EQ(sound, nullptr);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->width, 8);
    EXPECT_EQ(font->height, 8);
    ASSERT_NE(font->image, nullptr);
    EXPECT_EQ(font->image->width, 256);
    EXPECT_EQ(font->image->height, 32);
    for (Image* image : {logo_mask, logo}) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, 256);
        EXPECT_EQ(image->height, 64);
    }
    ASSERT_NE(text_mask, nullptr);
    EXPECT_EQ(text_mask->width, 256);
    EXPECT_EQ(text_mask->height, 8);
    ASSERT_NE(scroller, nullptr);
    EXPECT_EQ(scroller->width, 256);
    EXPECT_EQ(scroller->height, 8);
    EXPECT_EQ(scroller->font, font);
    EXPECT_EQ(scroller->image, text_mask);
    ASSERT_NE(mix, nullptr);
    EXPECT_EQ(mix->length, 44100);
    EXPECT_EQ(sample_max(mix), 0);
    EXPECT_EQ(sample_min(mix), 0);

    headless_program_stop();
}

}  // namespace
