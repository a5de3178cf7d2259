#include <cstdlib>
#include <numeric>

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
    for (int32_t k = 0; k < image->width * image->height; ++k)
        if (image->pixels[k]) out.emplace_back(k % image->width, k / image->width);
    return out;
}

}  // namespace

TEST(Draw, LinePointsAndRuns) {
    // A horizontal line never moves its minor coordinate, even where err reaches 0.
    const Rows<int32_t, int32_t, int32_t, int32_t, Points> lines = {
        {0, 0, 5, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {0, 0, 2, 5, {{0, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}}},
        {3, 3, 0, 0, {{3, 3}, {2, 2}, {1, 1}, {0, 0}}},
        {5, 7, 3, 7, {{5, 7}, {4, 7}, {3, 7}}},
    };
    for (auto& [x0, y0, x1, y1, want] : lines)
        EXPECT_EQ(points(x0, y0, x1, y1), want) << x1 << " " << y1;
    const Rows<int32_t, int32_t, std::vector<int32_t>> runs = {
        {5, 2, {3, 2, 1}},  {4, 2, {2, 2, 1}},    {-4, 2, {2, 2, 1}},
        {2, -4, {2, 2, 1}}, {3, 3, {1, 1, 1, 1}},
    };
    for (auto& [a, b, want] : runs) {
        int32_t* list = img_line_runs(a, b);
        EXPECT_EQ(std::vector<int32_t>(list, list + want.size()), want) << a << " " << b;
        free(list);
    }
    // Every line has max(|dx|, |dy|) + 1 points from its start to its end
    // point; its min + 1 runs add up to max + 1, the last of them 1 when slanted.
    for (int32_t x = -12; x <= 12; ++x)
        for (int32_t y = -12; y <= 12; ++y) {
            const Points p = points(1, 2, x, y);
            EXPECT_EQ(p.size(), std::max(std::abs(x - 1), std::abs(y - 2)) + 1u);
            EXPECT_EQ(std::pair(p.front(), p.back()), std::pair(std::pair(1, 2), std::pair(x, y)));
            const auto [lo, hi] = std::minmax({std::abs(x), std::abs(y)});
            int32_t* list = img_line_runs(x, y);
            EXPECT_EQ(std::accumulate(list, list + lo + 1, 0), hi + 1) << x << " " << y;
            EXPECT_EQ(list[lo], lo ? 1 : hi + 1) << x << " " << y;
            free(list);
        }
    // Lengths that cannot be counted are refused, not overflowed.
    EXPECT_EQ(img_line_points(INT32_MIN, 0, INT32_MAX, 0), nullptr);
    EXPECT_EQ(img_line_runs(INT32_MIN, 0), nullptr);
}

TEST(Draw, RectanglesOnlyWhollyInsideAndCircles) {
    Keep keep;
    Image* image = keep(sized(6, 4));
    const Rows<bool, int32_t, int32_t, int32_t, int32_t> rects{
        {false, 0, 0, 6, 4}, {false, 2, 1, 3, 2}, {true, 3, 2, 1, 1},
        {true, 0, 0, 2, 2},  {true, 0, 0, 4, 3},  {true, 1, 1, 5, 3}};
    for (auto [frame, x0, y0, w, h] : rects) {
        img_clear(image), (frame ? img_draw_frame : img_fill_rect)(image, x0, y0, w, h, 7);
        Points want;
        for (int32_t y = y0; y < y0 + h; ++y)
            for (int32_t x = x0; x < x0 + w; ++x)
                if (!frame || x == x0 || y == y0 || x == x0 + w - 1 || y == y0 + h - 1)
                    want.emplace_back(x, y);
        EXPECT_EQ(lit(image), want) << frame << " " << x0 << " " << y0 << " " << w << " " << h;
    }

    // Refused: one column too far, empty, left of the image, a size whose sum
    // overflows 32 bits, frames below or beyond the image, no image.
    EXPECT_EQ(errors(7), reported([&] {
                  img_clear(image), img_fill_rect(image, 1, 0, 6, 1, 7);
                  img_fill_rect(image, 0, 0, 0, 1, 7), img_fill_rect(image, -1, 0, 2, 1, 7);
                  img_fill_rect(image, 5, 3, INT32_MAX, INT32_MAX, 7);
                  img_draw_frame(image, 0, 4, 1, 1, 7), img_draw_frame(image, 0, 0, 6, 5, 7);
                  img_draw_frame(nullptr, 0, 0, 1, 1, 7);
              }));
    EXPECT_EQ(lit(image), Points{});

    // Circles come from the sine table.
    img_resize(image, 10, 10), img_circle(image, 5, 5, 1, 1);
    EXPECT_EQ(lit(image), (Points{{4, 5}, {5, 5}}));
    img_clear(image), img_circle(image, 5, 5, 2, 1);
    EXPECT_EQ(lit(image), (Points{{4, 4}, {5, 4}, {4, 5}, {5, 5}, {4, 6}, {5, 6}}));
    // The right half sits one column left of the mirror of the left half:
    // cx - 3, cx + 3 - 1, cy - 3, cy + 3.
    img_circle(image, 5, 5, 4, 1);
    for (auto [x, y] : {std::pair{2, 5}, {7, 5}, {5, 2}, {5, 8}})
        EXPECT_EQ(img_get_pixel(image, x, y), 1u) << x << " " << y;

    // Partly outside: drawn partly, silently; centre outside: refused; a huge
    // radius neither overflows nor draws inside a small image.
    EXPECT_EQ("", reported([&] { img_clear(image), img_circle(image, 0, 0, 3, 1); }));
    EXPECT_NE(lit(image), Points{});
    EXPECT_EQ(errors(3), reported([&] {
                  img_clear(image), img_circle(image, -1, 0, 3, 1), img_circle(image, 0, 10, 3, 1);
                  img_circle(image, 5, 5, 0, 1), img_circle(image, 5, 5, INT32_MAX, 1);
              }));
    EXPECT_EQ(lit(image), Points{});
}
