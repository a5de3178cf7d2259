// Line point and run lists, rectangles that must lie wholly inside, circles.
#include <cstdlib>

#include "image/tests/image_test_util.h"

namespace {

using Points = std::vector<std::pair<int32_t, int32_t>>;

// The (x, y) pairs of a line's point list.
Points points(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    int32_t* list = img_line_points(x0, y0, x1, y1);
    Points out;
    for (int32_t i = 0; i < list[0]; i += 2)
        out.emplace_back(list[1 + i], list[2 + i]);
    free(list);
    return out;
}

// The coordinates of every non-zero pixel, row by row.
Points lit(const Image* image) {
    Points out;
    for (int32_t y = 0; y < image->height; ++y) {
        for (int32_t x = 0; x < image->width; ++x) {
            if (img_get_pixel(image, x, y)) out.emplace_back(x, y);
        }
    }
    return out;
}

}  // namespace

TEST(Draw, LinePointsAndRuns) {
    // A horizontal line never moves its minor coordinate, even where err reaches 0.
    const Rows<int32_t, int32_t, int32_t, int32_t, Points> lines = {
        {0, 0, 5, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {0, 0, 2, 5, {{0, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}}},
        {3, 3, 0, 0, {{3, 3}, {2, 2}, {1, 1}, {0, 0}}},
        {5, 7, 4, 7, {{5, 7}, {4, 7}}},
    };
    for (auto& [x0, y0, x1, y1, want] : lines)
        EXPECT_EQ(points(x0, y0, x1, y1), want) << x1 << " " << y1;
    // Run counts add up to the longer side + 1, one run per step of the shorter.
    const Rows<int32_t, int32_t, std::vector<int32_t>> runs = {
        {5, 2, {3, 2, 1}},
        {-4, 2, {2, 2, 1}},
        {2, -4, {2, 2, 1}},
        {3, 3, {1, 1, 1, 1}},
    };
    for (auto& [a, b, want] : runs) {
        int32_t* list = img_line_runs(a, b);
        EXPECT_EQ(std::vector<int32_t>(list, list + want.size()), want) << a << " " << b;
        free(list);
    }
    // Lengths that cannot be counted are refused, not overflowed.
    EXPECT_EQ(img_line_points(INT32_MIN, 0, INT32_MAX, 0), nullptr);
    EXPECT_EQ(img_line_runs(INT32_MIN, 0), nullptr);
}

TEST(Draw, RectanglesOnlyWhollyInsideAndCircles) {
    Keep keep;
    Image* image = keep(sized(6, 4));
    // Filled and outlined, up to the edges of the image.
    img_fill_rect(image, 0, 0, 6, 4, 7);
    EXPECT_EQ(pixels(image), Px(24, 7));
    img_clear(image);
    img_draw_frame(image, 3, 2, 1, 1, 7);
    EXPECT_EQ(lit(image), (Points{{3, 2}}));
    img_clear(image);
    img_draw_frame(image, 1, 1, 5, 3, 7);
    const Points frame = {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {1, 2},
                          {5, 2}, {1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}};
    EXPECT_EQ(lit(image), frame);

    // Refused: one column too far, empty, left of the image, a size whose sum
    // overflows 32 bits, frames below or beyond the image, no image.
    img_clear(image);
    EXPECT_EQ(errors(7), reported([&] {
                  img_fill_rect(image, 1, 0, 6, 1, 7);
                  img_fill_rect(image, 0, 0, 0, 1, 7);
                  img_fill_rect(image, -1, 0, 2, 1, 7);
                  img_fill_rect(image, 5, 3, INT32_MAX, INT32_MAX, 7);
                  img_draw_frame(image, 0, 4, 1, 1, 7);
                  img_draw_frame(image, 0, 0, 6, 5, 7);
                  img_draw_frame(nullptr, 0, 0, 1, 1, 7);
              }));
    EXPECT_EQ(lit(image), Points{});

    // Circles come from the sine table; the right half sits one column left
    // of the mirror of the left half.
    img_resize(image, 10, 10);
    img_circle(image, 5, 5, 2, 1);
    EXPECT_EQ(lit(image), (Points{{4, 4}, {5, 4}, {4, 5}, {5, 5}, {4, 6}, {5, 6}}));
    img_circle(image, 5, 5, 4, 1);
    for (auto [x, y] : {std::pair{2, 5}, {7, 5}, {5, 2}, {5, 8}})
        EXPECT_EQ(img_get_pixel(image, x, y), 1u) << x << " " << y;

    // Centre outside: refused; a huge radius neither overflows nor draws
    // inside a small image.
    img_clear(image);
    EXPECT_EQ(errors(3), reported([&] {
                  img_circle(image, -1, 0, 3, 1);
                  img_circle(image, 0, 10, 3, 1);
                  img_circle(image, 5, 5, 0, 1);
                  img_circle(image, 5, 5, INT32_MAX, 1);
              }));
    EXPECT_EQ(lit(image), Points{});
}
