// Drawing in one colour: rectangle outline, filled rectangle and circle
// outline, plus the two line rasterisers that return lists instead of drawing
// (the points of a line, and the run lengths of its steps, which the scaler
// uses too).
#include <cstdint>
#include <cstdlib>

#include "image/img.h"
#include "image/img_internal.h"

namespace {

int64_t magnitude(int64_t v) {
    return v < 0 ? -v : v;
}

// True when the w x h rectangle at (x, y) lies wholly inside a present image.
bool rectangle_inside(const Image* image, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!image) return false;
    if (!image->pixels) return false;
    if (!img_inside(image, x, y)) return false;
    if (w < 1) return false;
    if (h < 1) return false;
    return static_cast<int64_t>(x) + w <= image->width &&
           static_cast<int64_t>(y) + h <= image->height;
}

// Sets the pixels of row y from column x0 to x1 - 1 (inside the image).
void span(Image* image, int64_t x0, int64_t x1, int64_t y, uint32_t colour) {
    uint32_t* p = image->pixels + y * image->width;
    for (int64_t x = x0; x < x1; ++x)
        p[x] = colour;
}

// Sets pixel (x, y) when it lies inside the image.
void plot(Image* image, int64_t x, int64_t y, uint32_t colour) {
    if (!img_inside(image, x, y)) return;
    image->pixels[y * image->width + x] = colour;
}

}  // namespace

int32_t* img_line_points(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int64_t dx = static_cast<int64_t>(x1) - x0;
    const int64_t dy = static_cast<int64_t>(y1) - y0;
    const int64_t adx = magnitude(dx), ady = magnitude(dy);
    const bool x_major = ady < adx;
    const int64_t major = x_major ? adx : ady;
    const int64_t minor = x_major ? ady : adx;
    // NOTE: word 0 holds 2M + 2, so a line longer than that can count is refused.
    if (2 * major + 2 > INT32_MAX) return nullptr;
    int32_t* list = static_cast<int32_t*>(calloc(static_cast<size_t>(2 * major + 3), 4));
    if (!list) return nullptr;
    list[0] = static_cast<int32_t>(2 * major + 2);
    const int64_t step_x = dx < 0 ? -1 : 1, step_y = dy < 0 ? -1 : 1;
    int64_t x = x0, y = y0;
    int64_t err = major >> 1;
    for (int64_t i = 0; i <= major; ++i) {
        list[1 + 2 * i] = static_cast<int32_t>(x);
        list[2 + 2 * i] = static_cast<int32_t>(y);
        if (x_major)
            x += step_x;
        else
            y += step_y;
        err -= minor;
        if (err <= 0) {
            err += major;
            if (minor != 0) {
                if (x_major)
                    y += step_y;
                else
                    x += step_x;
            }
        }
    }
    return list;
}

int32_t* img_line_runs(int32_t a, int32_t b) {
    const int64_t aa = magnitude(a), ab = magnitude(b);
    const int64_t major = aa > ab ? aa : ab;
    const int64_t minor = aa > ab ? ab : aa;
    // NOTE: a single run of M + 1 must fit a count, so M = 2^31 - 1 and more is refused.
    if (major + 1 > INT32_MAX) return nullptr;
    int32_t* runs = static_cast<int32_t*>(calloc(static_cast<size_t>(minor + 1), 4));
    if (!runs) return nullptr;
    int64_t k = 0, err = major;
    for (int64_t i = 0; i <= major; ++i) {
        runs[k] += 1;
        err -= minor;
        if (err <= 0) {
            err += major;
            k += 1;  // reaches minor + 1 only after the last position
        }
    }
    return runs;
}

void img_draw_frame(Image* image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
    if (!rectangle_inside(image, x, y, w, h)) return img_fail();
    const int64_t right = static_cast<int64_t>(x) + w - 1;
    const int64_t bottom = static_cast<int64_t>(y) + h - 1;
    span(image, x, right + 1, y, colour);
    span(image, x, right + 1, bottom, colour);
    for (int64_t r = y; r <= bottom; ++r) {
        image->pixels[r * image->width + x] = colour;
        image->pixels[r * image->width + right] = colour;
    }
}

void img_fill_rect(Image* image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
    if (!rectangle_inside(image, x, y, w, h)) return img_fail();
    for (int64_t r = y; r < static_cast<int64_t>(y) + h; ++r)
        span(image, x, static_cast<int64_t>(x) + w, r, colour);
}

void img_circle(Image* image, int32_t cx, int32_t cy, int32_t r, uint32_t colour) {
    if (!image) return img_fail();
    if (!image->pixels) return img_fail();
    if (!img_inside(image, cx, cy)) return img_fail();
    if (r < 1) return img_fail();
    const SineTable& t = img_sine_table;
    const int32_t quarter = t.count / 4;
    for (int32_t i = 0; i < quarter; ++i) {
        // 64-bit products: a large radius times an entry does not fit 32 bits.
        const int64_t c = (static_cast<int64_t>(r) * t.values[(i + 256) & t.mask]) >> 15;
        const int64_t s = (static_cast<int64_t>(r) * t.values[i & t.mask]) >> 15;
        plot(image, cx + c - 1, cy + s, colour);
        plot(image, cx - c, cy + s, colour);
        plot(image, cx + c - 1, cy - s, colour);
        plot(image, cx - c, cy - s, colour);
    }
}
