// The clipped rectangle copies and their combining rules, the spreading copy,
// whole-image blending and adding, and the wrapping row and column copies.
#include "image/tests/image_test_util.h"

namespace {

// What a w x h copy from (sx, sy) of the numbered 4 x 4 source to (dx, dy) of
// a cleared 3 x 3 destination leaves: each pixel that lies inside both images
// at its unclipped position, nothing else.
Px clipped_copy(int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t w, int32_t h) {
    auto inside = [](int32_t x, int32_t y, int32_t n) {
        return x >= 0 && y >= 0 && x < n && y < n;
    };
    Px want(9, 0);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            if (inside(dx + x, dy + y, 3) && inside(sx + x, sy + y, 4))
                want[(dy + y) * 3 + dx + x] = static_cast<uint32_t>((sy + y) * 4 + sx + x + 1);
    return want;
}

}  // namespace

TEST(Blit, ClipsOnEachSideKeepingPositions) {
    Keep keep;
    Image* src = keep(numbered(4, 4));
    Image* dst = keep(sized(3, 3));
    // Rectangles across every edge of both images, alone and combined; nothing
    // is reported.
    const std::pair<int32_t, int32_t> sizes[] = {{0, 3}, {1, 1}, {3, 1}, {1, 3}, {6, 6}, {3, -1}};
    const std::string printed = reported([&] {
        for (auto [w, h] : sizes)
            for (int32_t sx = -4; sx <= 4; ++sx)
                for (int32_t sy = -4; sy <= 4; ++sy)
                    for (int32_t dx = -4; dx <= 4; ++dx)
                        for (int32_t dy = -4; dy <= 4; ++dy) {
                            img_clear(dst);
                            img_blit(src, dst, sx, sy, dx, dy, w, h);
                            ASSERT_EQ(pixels(dst), clipped_copy(sx, sy, dx, dy, w, h))
                                << sx << " " << sy << " " << dx << " " << dy << " " << w << " "
                                << h;
                        }
    });
    EXPECT_EQ(printed, "");
    // Coordinates near the 32-bit limits neither overflow nor draw; huge
    // sizes are cut to the overlap.
    const int32_t hi = INT32_MAX;
    const int32_t lo = INT32_MIN;
    img_clear(dst);
    img_blit(src, dst, hi, 0, 0, 0, hi, 1);
    img_blit(src, dst, 0, 0, lo, lo, hi, hi);
    img_blit(src, dst, lo, lo, 0, 0, hi, hi);
    EXPECT_EQ(pixels(dst), Px(9, 0));
    img_blit(src, dst, 0, 0, 0, 0, hi, hi);
    EXPECT_EQ(pixels(dst), (Px{1, 2, 3, 5, 6, 7, 9, 10, 11}));
    // Copying a row onto itself one column to the right repeats its first
    // pixel, exactly as the row-by-row, left-to-right order gives.
    img_blit(src, src, 0, 0, 1, 0, 3, 1);
    EXPECT_EQ(Px(src->pixels, src->pixels + 5), (Px{1, 1, 1, 1, 5}));
    EXPECT_EQ(errors(1), reported([&] { img_blit(nullptr, dst, 0, 0, 0, 0, 1, 1); }));
}

TEST(Blit, CombiningRulesAndSpreading) {
    // Word addition carries into the top byte and wraps modulo 2^32; the
    // saturating add stops each channel at 255, ignores and drops top bytes.
    const Px from = {0x123456, 0, 0xFF0000, 0x808080, 0xFF0000FF, 0xFFFFFFFF};
    const Px onto = {0x111111, 0x222222, 0x010000, 0x808080, 0xAA000001, 2};
    Keep keep;
    for (auto& [blit, want] : Rows<decltype(&img_blit), Px>{
             {img_blit, from},
             {img_blit_transparent, {0x123456, 0x222222, 0xFF0000, 0x808080, 0xFF0000FF, ~0u}},
             {img_blit_add, {0x234567, 0x222222, 0x01000000, 0x01010100, 0xA9000100, 1}},
             {img_blit_add_saturate, {0x234567, 0x222222, 0xFF0000, 0xFFFFFF, 0xFF, 0xFFFFFF}}}) {
        Image* d = keep(sized(6, 1, onto));
        blit(keep(sized(6, 1, from)), d, 0, 0, 0, 0, 6, 1);
        EXPECT_EQ(pixels(d), want);
    }

    // Spreading skips cells not wholly inside the destination.
    Image* src = keep(numbered(3, 1, 7));
    Image* dst = keep(sized(5, 2));
    img_blit_spread(src, dst, 0, 0, 0, 0, 3, 1, 2, 2);
    EXPECT_EQ(pixels(dst), (Px{7, 0, 8, 0, 0, 0, 0, 0, 0, 0}));
    // Cells of no size are refused.
    img_clear(dst);
    EXPECT_EQ(errors(1), reported([&] { img_blit_spread(src, dst, 0, 0, 0, 0, 3, 1, 0, 1); }));
    EXPECT_EQ(pixels(dst), Px(10, 0));
}

TEST(Blit, BlendAndAddAtPlaceTheWholeImage) {
    Keep keep;
    Image* src = keep(sized(1, 1, {0x00FFFFFF}));
    Image* dst = keep(sized(2, 2));
    img_blend_at(src, dst, 1, 1);
    EXPECT_EQ(pixels(dst), (Px{0, 0, 0, 0x007F7F7F}));
    // Both halves are floored; a source 0 is skipped; top bytes drop out.
    for (auto [s, d, want] : Rows<uint32_t, uint32_t, uint32_t>{
             {1, 1, 0}, {0, 0x00ABCDEF, 0x00ABCDEF}, {0xFF000002, 0xFF000004, 3}}) {
        src->pixels[0] = s;
        dst->pixels[0] = d;
        img_blend_at(src, dst, 0, 0);
        EXPECT_EQ(dst->pixels[0], want) << s << " " << d;
    }
    // Clipped placement: source (1..2, 1..2) at (0..1, 0..1).
    Image* big = keep(numbered(3, 3));
    img_clear(dst);
    img_blend_at(big, dst, -1, -1);
    EXPECT_EQ(pixels(dst), (Px{5 >> 1, 6 >> 1, 8 >> 1, 9 >> 1}));
    // img_add_at uses the source's own position and adds whole words, zeros too.
    img_clear(dst);
    big->x = -1;
    img_add_at(big, dst);
    big->x = 1;
    big->y = 1;
    img_add_at(big, dst);
    EXPECT_EQ(pixels(dst), (Px{2, 3, 5, 6 + 1}));
    EXPECT_EQ(errors(2), reported([&] {
                  img_add_at(nullptr, dst);
                  img_blend_at(big, nullptr, 0, 0);
              }));
}

TEST(Blit, RowAndColumnCopiesWrap) {
    Keep keep;
    Image* src = keep(numbered(4, 2));
    Image* dst = keep(sized(4, 1));
    // INT32_MIN is a multiple of 4.
    for (auto& [row, offset, want] : Rows<int32_t, int32_t, Px>{
             {0, -1, {2, 3, 4, 1}}, {1, 9, {8, 5, 6, 7}}, {0, INT32_MIN, {1, 2, 3, 4}}}) {
        img_copy_row_wrap(src, dst, row, 0, offset);
        EXPECT_EQ(pixels(dst), want) << offset;
    }
    // Zero pixels are skipped by the copy, ORed in by the OR copy.
    src->pixels[1] = 0;
    img_copy_row_wrap(src, dst, 0, 0, 0);
    EXPECT_EQ(pixels(dst), (Px{1, 2, 3, 4}));
    img_or_row_wrap(src, dst, 0, 0, 1);
    EXPECT_EQ(pixels(dst), (Px{1 | 4, 2 | 1, 3 | 0, 4 | 3}));
    // A narrower source covers only its own width; a wider one is cut.
    Image* narrow = keep(numbered(2, 1, 50));
    img_clear(dst);
    img_copy_row_wrap(narrow, dst, 0, 0, 3);
    EXPECT_EQ(pixels(dst), (Px{51, 0, 0, 50}));
    img_copy_row(src, narrow, 1, 0);
    EXPECT_EQ(pixels(narrow), (Px{5, 6}));
    img_copy_row(narrow, dst, 0, 0);
    EXPECT_EQ(pixels(dst), (Px{5, 6, 0, 50}));
    // Columns: a source 2 high into a destination 5 high at offsets 4 and -6.
    Image* col = keep(numbered(1, 2, 20));
    Image* tall = keep(sized(2, 5));
    img_copy_column_wrap(col, tall, 0, 1, 4);
    img_copy_column_wrap(col, tall, 0, 0, -6);
    EXPECT_EQ(pixels(tall), (Px{21, 21, 0, 0, 0, 0, 0, 0, 20, 20}));

    // Rows or columns outside their images and zero-width destinations are errors.
    Image* empty = keep(sized(0, 3));
    EXPECT_EQ(errors(6), reported([&] {
                  img_copy_row(src, dst, 2, 0);
                  img_copy_row_wrap(src, dst, -1, 0, 0);
                  img_or_row_wrap(src, dst, 0, 1, 0);
                  img_copy_row_wrap(src, empty, 0, 0, 5);
                  img_copy_column_wrap(col, tall, 1, 0, 0);
                  img_copy_column_wrap(col, tall, 0, 2, 0);
              }));
    EXPECT_EQ(pixels(dst), (Px{5, 6, 0, 50}));
}
