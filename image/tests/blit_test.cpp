#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/img.h"
#include "image/tests/image_test_util.h"

namespace {

// An image of the given size whose pixel (x, y) is first + y * width + x.
Image* numbered(int32_t w, int32_t h, uint32_t first = 1) {
    Image* image = img_new();
    img_resize(image, w, h);
    for (int32_t i = 0; i < w * h; ++i)
        image->pixels[i] = first + static_cast<uint32_t>(i);
    return image;
}

Image* filled(int32_t w, int32_t h, uint32_t colour) {
    Image* image = img_new();
    img_resize(image, w, h);
    for (int32_t i = 0; i < w * h; ++i)
        image->pixels[i] = colour;
    return image;
}

std::vector<uint32_t> row(const Image* image, int32_t y) {
    return std::vector<uint32_t>(image->pixels + y * image->width,
                                 image->pixels + (y + 1) * image->width);
}

}  // namespace

TEST(Blit, ClipsOnEachSideKeepingPositions) {
    Image* src = numbered(20, 1);
    Image* dst = filled(20, 1, 0);
    // Source left edge: columns 0..4 land at 13..17.
    img_blit(src, dst, -3, 0, 10, 0, 8, 1);
    std::vector<uint32_t> want(20, 0);
    for (int c = 0; c < 5; ++c)
        want[13 + c] = src->pixels[c];
    EXPECT_EQ(row(dst, 0), want);

    // Destination left edge: source columns 2..4 land at 0..2.
    img_clear(dst);
    img_blit(src, dst, 0, 0, -2, 0, 5, 1);
    EXPECT_EQ(row(dst, 0),
              (std::vector<uint32_t>{3, 4, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    // Right edges of both: only what exists in both is copied.
    img_clear(dst);
    img_blit(src, dst, 17, 0, 18, 0, 10, 1);
    EXPECT_EQ(dst->pixels[18], 18u);
    EXPECT_EQ(dst->pixels[19], 19u);
    EXPECT_EQ(dst->pixels[17], 0u);

    // Wholly outside: nothing and no report.
    img_clear(dst);
    EXPECT_EQ(reported([&] {
                  img_blit(src, dst, 0, 0, 20, 0, 5, 1);
                  img_blit(src, dst, 0, 0, -5, 0, 5, 1);
                  img_blit(src, dst, 20, 0, 0, 0, 5, 1);
                  img_blit(src, dst, 0, 1, 0, 0, 5, 1);
                  img_blit(src, dst, 0, 0, 0, 0, 0, 1);
                  img_blit(src, dst, 0, 0, 0, 0, 5, -1);
              }),
              "");
    EXPECT_EQ(row(dst, 0), std::vector<uint32_t>(20, 0));
    img_free(&src);
    img_free(&dst);
}

TEST(Blit, ClipsInTwoDimensionsAndExtremeCoordinates) {
    Image* src = numbered(4, 4);
    Image* dst = filled(3, 3, 0);
    // Top-left corner off both: source (1..3, 2..3) at destination (0..2, 0..1).
    img_blit(src, dst, -1, 0, -2, -2, 6, 6);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{10, 11, 12}));
    EXPECT_EQ(row(dst, 1), (std::vector<uint32_t>{14, 15, 16}));
    EXPECT_EQ(row(dst, 2), (std::vector<uint32_t>{0, 0, 0}));

    // Bottom-right: destination (2, 2) gets source (0, 0) only.
    img_clear(dst);
    img_blit(src, dst, 0, 0, 2, 2, 4, 4);
    EXPECT_EQ(row(dst, 2), (std::vector<uint32_t>{0, 0, 1}));
    EXPECT_EQ(row(dst, 1), (std::vector<uint32_t>{0, 0, 0}));

    // Coordinates near the 32-bit limits neither overflow nor draw.
    img_clear(dst);
    img_blit(src, dst, INT32_MAX, 0, 0, 0, INT32_MAX, 1);
    img_blit(src, dst, 0, 0, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    img_blit(src, dst, INT32_MIN, INT32_MIN, 0, 0, INT32_MAX, INT32_MAX);
    EXPECT_EQ(img_get_pixel(dst, 0, 0), 0u);
    // A huge rectangle from the origin is cut to the overlap.
    img_blit(src, dst, 0, 0, 0, 0, INT32_MAX, INT32_MAX);
    EXPECT_EQ(row(dst, 2), (std::vector<uint32_t>{9, 10, 11}));

    // Missing images or buffers are errors and change nothing.
    EXPECT_EQ(reported([&] { img_blit(nullptr, dst, 0, 0, 0, 0, 1, 1); }), "IMG error\n");
    EXPECT_EQ(reported([&] { img_blit_transparent(src, nullptr, 0, 0, 0, 0, 1, 1); }),
              "IMG error\n");
    img_free(&src);
    img_free(&dst);
}

TEST(Blit, CombiningRules) {
    Image* src = img_new();
    Image* dst = img_new();
    img_resize(src, 3, 1);
    img_resize(dst, 3, 1);
    src->pixels[0] = 0x123456;
    src->pixels[1] = 0;
    src->pixels[2] = 0x00FF0000;
    auto reset = [&] {
        dst->pixels[0] = 0x111111;
        dst->pixels[1] = 0x222222;
        dst->pixels[2] = 0x00010000;
    };

    reset();
    img_blit_transparent(src, dst, 0, 0, 0, 0, 3, 1);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{0x123456, 0x222222, 0x00FF0000}));
    reset();
    img_blit(src, dst, 0, 0, 0, 0, 3, 1);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{0x123456, 0, 0x00FF0000}));

    // Word addition carries into the top byte; saturation stops at 255.
    reset();
    img_blit_add(src, dst, 0, 0, 0, 0, 3, 1);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{0x234567, 0x222222, 0x01000000}));
    reset();
    img_blit_add_saturate(src, dst, 0, 0, 0, 0, 3, 1);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{0x234567, 0x222222, 0x00FF0000}));
    src->pixels[0] = 0x00808080;
    dst->pixels[0] = 0x00808080;
    img_blit_add_saturate(src, dst, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(dst->pixels[0], 0x00FFFFFFu);
    // Top bytes are ignored by the saturating add and dropped from its result.
    src->pixels[0] = 0xFF0000FF;
    dst->pixels[0] = 0xAA000001;
    img_blit_add_saturate(src, dst, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(dst->pixels[0], 0x000000FFu);
    // Word addition wraps modulo 2^32.
    src->pixels[0] = 0xFFFFFFFF;
    dst->pixels[0] = 2;
    img_blit_add(src, dst, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(dst->pixels[0], 1u);
    img_free(&src);
    img_free(&dst);
}

TEST(Blit, OverlappingCopyWithinOneImageRunsForward) {
    // Copying a row onto itself one column to the right repeats its first
    // pixel, exactly as the row-by-row, left-to-right order gives.
    Image* image = numbered(5, 1);
    img_blit(image, image, 0, 0, 1, 0, 4, 1);
    EXPECT_EQ(row(image, 0), (std::vector<uint32_t>{1, 1, 1, 1, 1}));
    img_free(&image);
}

TEST(Blit, SpreadSkipsCellsNotWhollyInside) {
    Image* src = numbered(3, 1, 7);
    Image* dst = filled(5, 2, 0);
    img_blit_spread(src, dst, 0, 0, 0, 0, 3, 1, 2, 2);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{7, 0, 8, 0, 0}));
    EXPECT_EQ(row(dst, 1), (std::vector<uint32_t>{0, 0, 0, 0, 0}));

    // Negative destination: cells of source pixels 0 and 1 start at -3 and -1.
    img_resize(dst, 6, 1);
    img_blit_spread(src, dst, 0, 0, -3, 0, 3, 1, 2, 1);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{0, 9, 0, 0, 0, 0}));

    // Source pixels of 0 and source pixels outside the source own nothing.
    img_clear(dst);
    src->pixels[1] = 0;
    img_blit_spread(src, dst, -1, 0, 0, 0, 5, 1, 1, 1);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{0, 7, 0, 9, 0, 0}));

    // With 1 x 1 cells it equals the transparent copy.
    Image* a = numbered(4, 4);
    a->pixels[5] = 0;
    Image* b = filled(6, 6, 0x55);
    Image* c = filled(6, 6, 0x55);
    img_blit_spread(a, b, 1, -1, -1, 3, 4, 4, 1, 1);
    img_blit_transparent(a, c, 1, -1, -1, 3, 4, 4);
    EXPECT_EQ(img_equal(b, c), 1);

    // Cells of no size are refused.
    img_clear(dst);
    EXPECT_EQ(reported([&] { img_blit_spread(src, dst, 0, 0, 6, 0, 3, 1, 0, 1); }), "IMG error\n");
    EXPECT_EQ(row(dst, 0), std::vector<uint32_t>(6, 0));
    img_free(&a);
    img_free(&b);
    img_free(&c);
    img_free(&src);
    img_free(&dst);
}

TEST(Blit, BlendAndAddAtPlaceTheWholeImage) {
    Image* src = filled(1, 1, 0x00FFFFFF);
    Image* dst = filled(2, 2, 0);
    img_blend_at(src, dst, 1, 1);
    EXPECT_EQ(img_get_pixel(dst, 1, 1), 0x007F7F7Fu);
    EXPECT_EQ(img_get_pixel(dst, 0, 0), 0u);
    // Rounding: both halves are floored.
    src->pixels[0] = 1;
    dst->pixels[0] = 1;
    img_blend_at(src, dst, 0, 0);
    EXPECT_EQ(dst->pixels[0], 0u);
    // A source pixel of 0 leaves the destination alone; top bytes drop out.
    src->pixels[0] = 0;
    dst->pixels[0] = 0x00ABCDEF;
    img_blend_at(src, dst, 0, 0);
    EXPECT_EQ(dst->pixels[0], 0x00ABCDEFu);
    src->pixels[0] = 0xFF000002;
    dst->pixels[0] = 0xFF000004;
    img_blend_at(src, dst, 0, 0);
    EXPECT_EQ(dst->pixels[0], 3u);

    // Clipped placement on every side.
    Image* big = numbered(3, 3);
    img_resize(dst, 2, 2);
    img_blend_at(big, dst, -1, -1);  // source (1..2, 1..2)
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{5 >> 1, 6 >> 1}));
    EXPECT_EQ(row(dst, 1), (std::vector<uint32_t>{8 >> 1, 9 >> 1}));
    EXPECT_EQ(reported([&] {
                  img_blend_at(big, dst, 2, 0);
                  img_blend_at(big, dst, 0, -3);
                  img_blend_at(big, dst, INT32_MAX, INT32_MIN);
              }),
              "");

    // img_add_at uses the source's own position.
    img_clear(dst);
    big->x = -1;
    big->y = 0;
    img_add_at(big, dst);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{2, 3}));
    EXPECT_EQ(row(dst, 1), (std::vector<uint32_t>{5, 6}));
    big->x = 1;
    big->y = 1;
    img_add_at(big, dst);
    EXPECT_EQ(row(dst, 1), (std::vector<uint32_t>{5, 7}));
    // Adds whole words and skips nothing.
    big->x = 0;
    big->y = 0;
    big->pixels[0] = 0xFFFFFFFF;
    img_add_at(big, dst);
    EXPECT_EQ(dst->pixels[0], 1u);

    EXPECT_EQ(reported([&] { img_add_at(nullptr, dst); }), "IMG error\n");
    EXPECT_EQ(reported([&] { img_blend_at(big, nullptr, 0, 0); }), "IMG error\n");
    img_free(&big);
    img_free(&src);
    img_free(&dst);
}

TEST(Blit, RowAndColumnCopiesWrap) {
    Image* src = numbered(4, 2);
    Image* dst = filled(4, 1, 0);
    img_copy_row_wrap(src, dst, 0, 0, -1);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{2, 3, 4, 1}));
    img_copy_row_wrap(src, dst, 1, 0, 9);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{8, 5, 6, 7}));
    img_copy_row_wrap(src, dst, 0, 0, INT32_MIN);  // -2^31 is a multiple of 4
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{1, 2, 3, 4}));

    // Zero pixels are skipped by the copy, ORed in by the OR copy.
    src->pixels[1] = 0;
    img_copy_row_wrap(src, dst, 0, 0, 0);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{1, 2, 3, 4}));
    img_or_row_wrap(src, dst, 0, 0, 1);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{1 | 4, 2 | 1, 3 | 0, 4 | 3}));

    // A narrower source covers only its own width; a wider one is cut.
    Image* narrow = numbered(2, 1, 50);
    img_clear(dst);
    img_copy_row_wrap(narrow, dst, 0, 0, 3);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{51, 0, 0, 50}));
    img_copy_row(src, narrow, 1, 0);
    EXPECT_EQ(row(narrow, 0), (std::vector<uint32_t>{5, 6}));
    img_copy_row(narrow, dst, 0, 0);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{5, 6, 0, 50}));

    // Columns: a source 2 high into a destination 5 high at offset 4 writes rows 4 and 0.
    Image* col = numbered(1, 2, 20);
    Image* tall = filled(2, 5, 0);
    img_copy_column_wrap(col, tall, 0, 1, 4);
    EXPECT_EQ(img_get_pixel(tall, 1, 4), 20u);
    EXPECT_EQ(img_get_pixel(tall, 1, 0), 21u);
    EXPECT_EQ(img_get_pixel(tall, 1, 1), 0u);
    img_copy_column_wrap(col, tall, 0, 0, -6);
    EXPECT_EQ(img_get_pixel(tall, 0, 4), 20u);
    EXPECT_EQ(img_get_pixel(tall, 0, 0), 21u);

    // Rows or columns outside their images and zero-width destinations are errors.
    Image* empty = filled(0, 3, 0);
    const std::string out = reported([&] {
        img_copy_row(src, dst, 2, 0);
        img_copy_row(src, dst, 0, -1);
        img_copy_row_wrap(src, dst, -1, 0, 0);
        img_or_row_wrap(src, dst, 0, 1, 0);
        img_copy_row_wrap(src, empty, 0, 0, 5);
        img_copy_column_wrap(col, tall, 1, 0, 0);
        img_copy_column_wrap(col, tall, 0, 2, 0);
        img_copy_column_wrap(nullptr, tall, 0, 0, 0);
    });
    std::string eight;
    for (int i = 0; i < 8; ++i)
        eight += "IMG error\n";
    EXPECT_EQ(out, eight);
    EXPECT_EQ(row(dst, 0), (std::vector<uint32_t>{5, 6, 0, 50}));
    img_free(&empty);
    img_free(&col);
    img_free(&tall);
    img_free(&narrow);
    img_free(&src);
    img_free(&dst);
}
