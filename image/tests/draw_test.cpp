#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "image/img.h"
#include "image/tests/image_test_util.h"

namespace {

using Points = std::vector<std::pair<int32_t, int32_t>>;

Points points(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    int32_t* list = img_line_points(x0, y0, x1, y1);
    Points out;
    for (int32_t i = 0; i < list[0] / 2; ++i)
        out.emplace_back(list[1 + 2 * i], list[2 + 2 * i]);
    free(list);
    return out;
}

std::vector<int32_t> runs(int32_t a, int32_t b) {
    int32_t* list = img_line_runs(a, b);
    const int32_t m = std::min(std::abs(a), std::abs(b));
    std::vector<int32_t> out(list, list + m + 1);
    free(list);
    return out;
}

// The coordinates of every non-zero pixel.
std::set<std::pair<int32_t, int32_t>> lit(const Image* image) {
    std::set<std::pair<int32_t, int32_t>> out;
    for (int32_t y = 0; y < image->height; ++y)
        for (int32_t x = 0; x < image->width; ++x)
            if (img_get_pixel(image, x, y)) out.emplace(x, y);
    return out;
}

}  // namespace

TEST(Draw, LinePointsMajorAxisFirst) {
    EXPECT_EQ(points(0, 0, 5, 2), (Points{{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
    EXPECT_EQ(points(0, 0, 2, 5), (Points{{0, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}}));
    EXPECT_EQ(points(0, 0, 0, 0), (Points{{0, 0}}));
    EXPECT_EQ(points(0, 0, 1, 0), (Points{{0, 0}, {1, 0}}));
    EXPECT_EQ(points(3, 3, 0, 0), (Points{{3, 3}, {2, 2}, {1, 1}, {0, 0}}));
    // A horizontal line never moves its minor coordinate, even where err reaches 0.
    EXPECT_EQ(points(5, 7, 3, 7), (Points{{5, 7}, {4, 7}, {3, 7}}));
    // Every line ends on its end point.
    for (int32_t x = -6; x <= 6; ++x)
        for (int32_t y = -6; y <= 6; ++y)
            EXPECT_EQ(points(1, 2, x, y).back(), std::make_pair(x, y));
    // Word 0 counts the words after it.
    int32_t* list = img_line_points(-2, 0, 2, 1);
    EXPECT_EQ(list[0], 10);
    free(list);
    // A line whose length cannot be counted in word 0 is refused, not overflowed.
    EXPECT_EQ(img_line_points(INT32_MIN, 0, INT32_MAX, 0), nullptr);
}

TEST(Draw, LineRunsAddUp) {
    EXPECT_EQ(runs(5, 2), (std::vector<int32_t>{3, 2, 1}));
    EXPECT_EQ(runs(4, 2), (std::vector<int32_t>{2, 2, 1}));
    EXPECT_EQ(runs(-4, 2), (std::vector<int32_t>{2, 2, 1}));
    EXPECT_EQ(runs(2, -4), (std::vector<int32_t>{2, 2, 1}));
    EXPECT_EQ(runs(3, 3), (std::vector<int32_t>{1, 1, 1, 1}));
    EXPECT_EQ(runs(0, 0), (std::vector<int32_t>{1}));
    EXPECT_EQ(runs(7, 0), (std::vector<int32_t>{8}));
    for (int32_t a = 0; a < 40; ++a)
        for (int32_t b = 0; b <= a; ++b) {
            const std::vector<int32_t> r = runs(a, b);
            int32_t sum = 0;
            for (size_t k = 0; k + 1 < r.size(); ++k)
                sum += r[k];
            EXPECT_EQ(sum + r.back(), a + 1) << a << " " << b;
            if (b > 0) {
                EXPECT_EQ(sum, a) << a << " " << b;
                EXPECT_EQ(r.back(), 1) << a << " " << b;
            }
        }
    EXPECT_EQ(img_line_runs(INT32_MIN, 0), nullptr);
}

TEST(Draw, RectanglesOnlyWhollyInside) {
    Image* image = img_new();
    img_resize(image, 6, 4);
    img_fill_rect(image, 0, 0, 6, 4, 7);
    EXPECT_EQ(lit(image).size(), 24u);
    img_clear(image);
    img_fill_rect(image, 2, 1, 3, 2, 7);
    EXPECT_EQ(lit(image), (std::set<std::pair<int32_t, int32_t>>{
                              {2, 1}, {3, 1}, {4, 1}, {2, 2}, {3, 2}, {4, 2}}));
    img_clear(image);
    img_draw_frame(image, 3, 2, 1, 1, 9);
    EXPECT_EQ(lit(image), (std::set<std::pair<int32_t, int32_t>>{{3, 2}}));
    img_clear(image);
    img_draw_frame(image, 0, 0, 2, 2, 9);
    EXPECT_EQ(lit(image).size(), 4u);
    img_clear(image);
    img_draw_frame(image, 0, 0, 4, 3, 9);
    EXPECT_EQ(lit(image).size(), 10u);  // outline only
    EXPECT_EQ(img_get_pixel(image, 1, 1), 0u);
    EXPECT_EQ(img_get_pixel(image, 3, 2), 9u);

    img_clear(image);
    const std::string out = reported([&] {
        img_fill_rect(image, 1, 0, 6, 1, 7);  // one column too far
        img_fill_rect(image, 0, 0, 0, 1, 7);
        img_fill_rect(image, -1, 0, 2, 1, 7);
        img_fill_rect(image, 5, 3, INT32_MAX, INT32_MAX, 7);  // sum overflows 32 bits
        img_draw_frame(image, 0, 4, 1, 1, 7);
        img_draw_frame(image, 0, 0, 6, 5, 7);
        img_draw_frame(nullptr, 0, 0, 1, 1, 7);
    });
    EXPECT_EQ(out, std::string("IMG error\n")
                       .append("IMG error\n")
                       .append("IMG error\nIMG error\nIMG error\nIMG error\nIMG error\n"));
    EXPECT_TRUE(lit(image).empty());
    img_free(&image);
}

TEST(Draw, CircleFromTheSineTable) {
    Image* image = img_new();
    img_resize(image, 10, 10);
    img_circle(image, 5, 5, 1, 1);
    EXPECT_EQ(lit(image), (std::set<std::pair<int32_t, int32_t>>{{4, 5}, {5, 5}}));
    img_clear(image);
    img_circle(image, 5, 5, 2, 1);
    EXPECT_EQ(lit(image), (std::set<std::pair<int32_t, int32_t>>{
                              {4, 4}, {4, 5}, {4, 6}, {5, 4}, {5, 5}, {5, 6}}));
    // The right half sits one column left of the mirror of the left half.
    img_clear(image);
    img_circle(image, 5, 5, 4, 1);
    EXPECT_EQ(img_get_pixel(image, 2, 5), 1u);  // cx - 3
    EXPECT_EQ(img_get_pixel(image, 7, 5), 1u);  // cx + 3 - 1
    EXPECT_EQ(img_get_pixel(image, 5, 2), 1u);  // cy - 3
    EXPECT_EQ(img_get_pixel(image, 5, 8), 1u);  // cy + 3

    // Partly outside: drawn partly, silently; centre outside: refused.
    img_clear(image);
    EXPECT_EQ(reported([&] { img_circle(image, 0, 0, 3, 1); }), "");
    EXPECT_FALSE(lit(image).empty());
    img_clear(image);
    EXPECT_EQ(reported([&] {
                  img_circle(image, -1, 0, 3, 1);
                  img_circle(image, 0, 10, 3, 1);
                  img_circle(image, 5, 5, 0, 1);
              }),
              "IMG error\nIMG error\nIMG error\n");
    EXPECT_TRUE(lit(image).empty());
    // A huge radius neither overflows nor draws inside a small image.
    img_circle(image, 5, 5, INT32_MAX, 1);
    EXPECT_TRUE(lit(image).empty());
    img_free(&image);
}
