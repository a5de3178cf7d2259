// Colour bars: the RASTER module and the row and column fills of an Image.
//
// Painting fills whole rows (or copies one finished row) straight into the
// pixel buffer once the image's bounds are known; the pixels that change and
// their values are exactly those of a pixel-by-pixel walk through
// img_get_pixel / img_put_pixel.
#include "raster/raster.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "container/common.h"

const char* const raster_ident[3] = {"RASTER", "20261206", "VRL"};

namespace {

// A failed check: prints "RASTER error" and gives the result the operation
// returns on failure, so that a check is one line.
constexpr common::Fail<raster_error> raster_fail{};

// Colour lists up to this length are smoothed with a scratch copy on the stack.
constexpr int32_t kStackColours = 1024;

// alpha clamped into 0 .. 256.
uint32_t clamp_alpha(int32_t alpha) {
    return static_cast<uint32_t>(std::clamp<int32_t>(alpha, 0, 256));
}

// Pixel p blended with colour c at alpha a (0 .. 256), channel by channel.
// Red and blue share one word, each in its own 16-bit half: a channel times
// (256 - a) plus a channel times a is at most 255 * 256, so neither half
// carries into the other. Green goes alone; the top byte is dropped.
inline uint32_t blend(uint32_t p, uint32_t c, uint32_t a) {
    const uint32_t ia = 256 - a;
    const uint32_t rb = (((p & 0xFF00FF) * ia + (c & 0xFF00FF) * a) >> 8) & 0xFF00FF;
    const uint32_t g = (((p & 0xFF00) * ia + (c & 0xFF00) * a) >> 8) & 0xFF00;
    return rb | g;
}

// Does the image have pixels to paint?
bool image_ready(const Image* image) {
    return image && image->pixels;
}

// Does the raster have a colour list?
bool raster_ready(const Raster* raster) {
    return raster && raster->colours;
}

// Both the raster and the image are usable for painting.
bool paint_ready(const Raster* raster, const Image* image) {
    return raster_ready(raster) && image_ready(image);
}

// Is there anything to paint: a list with colours and an image with pixels?
bool paint_something(const Raster* raster, const Image* image) {
    return raster->count > 0 && image->width > 0 && image->height > 0;
}

// Index of the colour for row or column 0: position mod count in 0 .. count - 1.
int32_t first_index(const Raster* raster) {
    return static_cast<int32_t>(common::floor_mod(raster->position, raster->count));
}

// A zeroed list of count colours, never a zero-sized request so that an
// empty list is still present.
uint32_t* alloc_colours(int32_t count) {
    return static_cast<uint32_t*>(
        calloc(static_cast<size_t>(count > 0 ? count : 1), sizeof(uint32_t)));
}

// Channel k (0 blue, 1 green, 2 red) of a colour.
inline int64_t channel(uint32_t colour, int k) {
    return (colour >> (8 * k)) & 0xFF;
}

// Per-channel sums of length consecutive ring entries from index from.
void ring_sum(const uint32_t* list, int64_t n, int64_t from, int64_t length, int64_t sum[3]) {
    int64_t total[3] = {0, 0, 0};
    for (int64_t i = 0; i < n; ++i)
        for (int k = 0; k < 3; ++k)
            total[k] += channel(list[i], k);
    for (int k = 0; k < 3; ++k)
        sum[k] = (length / n) * total[k];
    for (int64_t t = 0, i = from; t < length % n; ++t, i = i + 1 == n ? 0 : i + 1)
        for (int k = 0; k < 3; ++k)
            sum[k] += channel(list[i], k);
}

// Writes the smoothed colours of old (n entries) into out. For each index
// the sum after it (forward, wrapping) and before it (mirrored at 0, then
// wrapping) slide along with one addition and one subtraction per step, so
// the cost does not grow with the reach. The ring indices are stepped, not
// divided: enter and leave_after for the forward window, far for |i - reach|.
void smooth_into(const uint32_t* old, int64_t n, int64_t reach, uint32_t* out) {
    const int64_t divisor = 2 * reach + 2;
    int64_t after[3], before[3];
    ring_sum(old, n, 1 % n, reach, after);  // d = 1 .. reach of index 0
    for (int k = 0; k < 3; ++k)
        before[k] = after[k];         // |0 - d| = d
    int64_t leave_after = 1 % n;      // (i + 1) mod n
    int64_t enter = (1 + reach) % n;  // (i + 1 + reach) mod n
    int64_t far = reach % n;          // |i - reach| mod n
    for (int64_t i = 0; i < n; ++i) {
        uint32_t colour = 0;
        for (int k = 0; k < 3; ++k) {
            const int64_t sum = 2 * channel(old[i], k) + after[k] + before[k];
            colour |= static_cast<uint32_t>(sum / divisor) << (8 * k);
            after[k] += channel(old[enter], k) - channel(old[leave_after], k);
            before[k] += channel(old[i], k) - channel(old[far], k);
        }
        out[i] = colour;
        leave_after = leave_after + 1 == n ? 0 : leave_after + 1;
        enter = enter + 1 == n ? 0 : enter + 1;
        if (i < reach)  // |i - reach| falls to 0, then rises again
            far = far == 0 ? n - 1 : far - 1;
        else
            far = far + 1 == n ? 0 : far + 1;
    }
}

}  // namespace

// ---- Row and column operations ---------------------------------------------

void img_fill_column(Image* image, int32_t x, uint32_t colour) {
    if (!image_ready(image)) return img_error();
    if (x < 0 || x >= image->width) return;
    const int64_t w = image->width;
    for (int64_t y = 0; y < image->height; ++y)
        image->pixels[y * w + x] = colour;
}

void img_fill_row(Image* image, int32_t y, uint32_t colour) {
    if (!image_ready(image)) return img_error();
    if (y < 0 || y >= image->height) return;
    std::fill_n(image->pixels + static_cast<int64_t>(y) * image->width, image->width, colour);
}

void img_blend_column(Image* image, int32_t x, uint32_t colour, int32_t alpha) {
    if (!image_ready(image)) return img_error();
    if (x < 0 || x >= image->width) return;
    const uint32_t a = clamp_alpha(alpha);
    const int64_t w = image->width;
    for (int64_t y = 0; y < image->height; ++y) {
        uint32_t& p = image->pixels[y * w + x];
        p = blend(p, colour, a);
    }
}

void img_blend_row(Image* image, int32_t y, uint32_t colour, int32_t alpha) {
    if (!image_ready(image)) return img_error();
    if (y < 0 || y >= image->height) return;
    const uint32_t a = clamp_alpha(alpha);
    uint32_t* row = image->pixels + static_cast<int64_t>(y) * image->width;
    for (int32_t x = 0; x < image->width; ++x)
        row[x] = blend(row[x], colour, a);
}

// ---- RASTER ----------------------------------------------------------------

void raster_error() {
    printf("RASTER error\n");
}

Raster* raster_new() {
    Raster* raster = static_cast<Raster*>(calloc(1, sizeof(Raster)));
    if (!raster) return raster_fail(nullptr);
    raster->colours = alloc_colours(256);
    if (!raster->colours) {
        free(raster);
        return raster_fail(nullptr);
    }
    raster->count = 256;
    return raster;
}

void raster_resize(Raster* raster, int32_t count) {
    if (!raster) return raster_fail();
    if (count < 0) return raster_fail();
    uint32_t* colours = alloc_colours(count);
    if (!colours) return raster_fail();
    free(raster->colours);
    raster->colours = colours;
    raster->count = count;
    raster->position = 0;
}

Raster* raster_clone(const Raster* raster) {
    if (!raster_ready(raster)) return raster_fail(nullptr);
    if (raster->count < 0) return raster_fail(nullptr);
    // NOTE: when memory runs out, raster_new reports and so does this check
    // of its result: two lines for the one failure.
    Raster* clone = raster_new();
    if (!clone) return raster_fail(nullptr);
    raster_resize(clone, raster->count);
    if (clone->count != raster->count) {  // the list could not be made; reported
        raster_free(&clone);
        return nullptr;
    }
    if (raster->count > 0)
        memcpy(clone->colours, raster->colours,
               static_cast<size_t>(raster->count) * sizeof(uint32_t));
    return clone;
}

void raster_free(Raster** raster) {
    if (!raster) return raster_fail();
    if (!*raster) return raster_fail();
    free((*raster)->colours);
    free(*raster);
    *raster = nullptr;
}

void raster_clear(Raster* raster) {
    if (!raster_ready(raster)) return raster_fail();
    if (raster->count > 0)
        memset(raster->colours, 0, static_cast<size_t>(raster->count) * sizeof(uint32_t));
}

int32_t raster_equal(const Raster* a, const Raster* b) {
    // NOTE: equal lists are a result, not a failure: nothing is printed for them.
    if (!a) return raster_fail(0);
    if (!b) return raster_fail(0);
    if (a->count != b->count) return 0;
    if (a->count < 0) return 0;
    if (a->count == 0) return 1;
    if (!a->colours) return raster_fail(0);
    if (!b->colours) return raster_fail(0);
    const size_t bytes = static_cast<size_t>(a->count) * sizeof(uint32_t);
    return memcmp(a->colours, b->colours, bytes) == 0 ? 1 : 0;
}

void raster_smooth(Raster* raster, int32_t reach) {
    if (!raster_ready(raster)) return raster_fail();
    if (reach < 1) return raster_fail();
    const int32_t n = raster->count;
    if (n <= 0) return;
    // The results are written back into the same list (which may be a static
    // array of the caller), so the old colours are read from a scratch copy.
    uint32_t stack_copy[kStackColours];
    uint32_t* old = stack_copy;
    if (n > kStackColours) {
        old = static_cast<uint32_t*>(malloc(static_cast<size_t>(n) * sizeof(uint32_t)));
        if (!old) return raster_fail();
    }
    memcpy(old, raster->colours, static_cast<size_t>(n) * sizeof(uint32_t));
    smooth_into(old, n, reach, raster->colours);
    if (old != stack_copy) free(old);
}

void raster_step_forward(Raster* raster) {
    if (!raster_ready(raster)) return raster_fail();
    // NOTE: worked in 64 bits so that any position the caller stored steps
    // without overflow; an empty list keeps position 0.
    const int64_t p = static_cast<int64_t>(raster->position) + 1;
    raster->position = (raster->count <= 0 || p >= raster->count) ? 0 : static_cast<int32_t>(p);
}

void raster_step_back(Raster* raster) {
    if (!raster_ready(raster)) return raster_fail();
    const int64_t p = static_cast<int64_t>(raster->position) - 1;
    raster->position = p < 0 ? raster->count - 1 : static_cast<int32_t>(p);
}

void raster_draw_rows(const Raster* raster, Image* image) {
    if (!paint_ready(raster, image)) return raster_fail();
    if (!paint_something(raster, image)) return;
    // Sizes are read once: the pixel stores could otherwise alias them.
    const int32_t width = image->width, height = image->height, count = raster->count;
    const uint32_t* colours = raster->colours;
    int32_t k = first_index(raster);
    uint32_t* row = image->pixels;
    for (int32_t y = 0; y < height; ++y, row += width) {
        std::fill_n(row, width, colours[k]);
        if (++k == count) k = 0;
    }
}

void raster_draw_columns(const Raster* raster, Image* image) {
    if (!paint_ready(raster, image)) return raster_fail();
    if (!paint_something(raster, image)) return;
    const int32_t width = image->width, height = image->height, count = raster->count;
    const uint32_t* colours = raster->colours;
    // Paint row 0 colour by colour, then copy it into every other row.
    uint32_t* first = image->pixels;
    int32_t k = first_index(raster);
    for (int32_t x = 0; x < width; ++x) {
        first[x] = colours[k];
        if (++k == count) k = 0;
    }
    const size_t bytes = static_cast<size_t>(width) * sizeof(uint32_t);
    uint32_t* row = first;
    for (int32_t y = 1; y < height; ++y) {
        row += width;
        memcpy(row, first, bytes);
    }
}

void raster_blend_rows(const Raster* raster, Image* image, int32_t alpha) {
    if (!paint_ready(raster, image)) return raster_fail();
    if (!paint_something(raster, image)) return;
    const uint32_t a = clamp_alpha(alpha);
    const int32_t width = image->width, height = image->height, count = raster->count;
    const uint32_t* colours = raster->colours;
    int32_t k = first_index(raster);
    uint32_t* row = image->pixels;
    for (int32_t y = 0; y < height; ++y, row += width) {
        const uint32_t c = colours[k];
        for (int32_t x = 0; x < width; ++x)
            row[x] = blend(row[x], c, a);
        if (++k == count) k = 0;
    }
}

void raster_blend_columns(const Raster* raster, Image* image, int32_t alpha) {
    if (!paint_ready(raster, image)) return raster_fail();
    if (!paint_something(raster, image)) return;
    const uint32_t a = clamp_alpha(alpha);
    const int32_t width = image->width, height = image->height, count = raster->count;
    const uint32_t* colours = raster->colours;
    const int32_t start = first_index(raster);
    uint32_t* row = image->pixels;
    for (int32_t y = 0; y < height; ++y, row += width) {
        // The row is a run of whole stretches of the list: from start to the
        // end of the list, then from colour 0 again, until the row is full.
        int32_t x = 0, k = start;
        while (x < width) {
            const int32_t run = std::min(width - x, count - k);
            uint32_t* d = row + x;
            const uint32_t* c = colours + k;
            for (int32_t j = 0; j < run; ++j)
                d[j] = blend(d[j], c[j], a);
            x += run;
            k = 0;
        }
    }
}

void raster_fill_image(const Raster* raster, Image* image) {
    if (!paint_ready(raster, image)) return raster_fail();
    if (!paint_something(raster, image)) return;
    const int32_t width = image->width, height = image->height;
    const size_t bytes = static_cast<size_t>(std::min(raster->count, width)) * sizeof(uint32_t);
    uint32_t* row = image->pixels;
    for (int32_t y = 0; y < height; ++y, row += width)
        memcpy(row, raster->colours, bytes);
}

int32_t raster_save(const Raster* raster, const char* file_name) {
    if (!raster_ready(raster)) return raster_fail(0);
    if (!file_name) return raster_fail(0);
    if (raster->count == 0) return raster_fail(0);
    FILE* file = fopen(file_name, "w");
    if (!file) return raster_fail(0);
    fclose(file);
    return 1;
}

Raster* raster_load(const char* file_name) {
    if (!file_name) return raster_fail(nullptr);
    FILE* file = fopen(file_name, "rb");
    if (!file) return raster_fail(nullptr);
    fclose(file);
    Raster* raster = raster_new();
    if (!raster) return raster_fail(nullptr);  // raster_new has reported too
    raster_resize(raster, 0);
    if (raster->count != 0) {  // the empty list could not be made; reported
        raster_free(&raster);
        return nullptr;
    }
    return raster;
}
