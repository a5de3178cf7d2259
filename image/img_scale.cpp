// Nearest-neighbour resampling, integer only: scaling to the destination's own
// size along the run lists of img_line_runs, and rotation by an angle in
// sine-table steps into a new, larger image.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/img.h"
#include "image/img_internal.h"

namespace {

// Builds one destination row of width dw from a source row of width sw along
// the column runs: enlarging repeats source column i over runs[i] columns,
// reducing takes the last source column of each run.
void scale_row(uint32_t* out, const uint32_t* in, int64_t sw, int64_t dw, const int32_t* runs) {
    if (dw >= sw) {
        for (int64_t i = 0; i < sw; ++i) {
            const uint32_t p = in[i];
            for (int32_t k = 0; k < runs[i]; ++k)
                *out++ = p;
        }
    } else {
        int64_t end = 0;
        for (int64_t j = 0; j < dw; ++j) {
            end += runs[j];
            out[j] = in[end - 1];
        }
    }
}

}  // namespace

void img_scale(const Image* source, Image* destination) {
    if (!img_both_present(source, destination)) return img_fail();
    const int64_t sw = source->width, sh = source->height;
    const int64_t dw = destination->width, dh = destination->height;
    // NOTE: a negative source size is refused as well: there is no source
    // pixel to read for it.
    if (dw < 0) return img_fail();
    if (dh < 0) return img_fail();
    if (sw < 0) return img_fail();
    if (sh < 0) return img_fail();
    // Nothing to write or to read.
    if (dw == 0) return;
    if (dh == 0) return;
    if (sw == 0) return;
    if (sh == 0) return;
    int32_t* columns = img_line_runs(source->width, destination->width);
    int32_t* rows = img_line_runs(source->height, destination->height);
    if (columns && rows) {
        const uint32_t* in = source->pixels;
        uint32_t* out = destination->pixels;
        if (dh >= sh) {
            // Each source row is scaled once into the first destination row of
            // its run and copied to the rest of the run.
            int64_t r = 0;
            for (int64_t i = 0; i < sh; ++i) {
                uint32_t* first = out + r * dw;
                scale_row(first, in + i * sw, sw, dw, columns);
                for (int32_t k = 1; k < rows[i]; ++k)
                    memcpy(out + (r + k) * dw, first, static_cast<size_t>(dw) * sizeof(uint32_t));
                r += rows[i];
            }
        } else {
            // Fewer rows: the last row of each run when the columns reduce too,
            // the first row of each run otherwise.
            const bool last = dw < sw;
            int64_t start = 0;
            for (int64_t r = 0; r < dh; ++r) {
                const int64_t take = last ? start + rows[r] - 1 : start;
                scale_row(out + r * dw, in + take * sw, sw, dw, columns);
                start += rows[r];
            }
        }
    }
    free(columns);
    free(rows);
}

Image* img_rotate(const Image* source, int32_t angle) {
    if (!source) return img_fail(nullptr);
    if (!source->pixels) return img_fail(nullptr);
    if (source->width < 0) return img_fail(nullptr);
    if (source->height < 0) return img_fail(nullptr);
    const int64_t w = source->width, h = source->height;
    // About sqrt(2) times each side, so the source fits at any angle.
    const int64_t nw = (92667 * w) >> 16;
    const int64_t nh = (92667 * h) >> 16;
    // Larger than an Image can be: img_new_sized refuses more than 2^31 - 1
    // pixels, but each side must fit its 32-bit field first.
    if (nw > INT32_MAX) return img_fail(nullptr);
    if (nh > INT32_MAX) return img_fail(nullptr);
    Image* image = img_new_sized(static_cast<int32_t>(nw), static_cast<int32_t>(nh));
    if (!image) return nullptr;  // img_new_sized has reported
    const SineTable& t = img_sine_table;
    // -angle and -angle - 256 modulo 1024, in unsigned arithmetic so that no
    // angle overflows; 2^32 is a multiple of 1024.
    const uint32_t back = 0u - static_cast<uint32_t>(angle);
    const int64_t s = t.values[back & static_cast<uint32_t>(t.mask)];
    const int64_t c = t.values[(back - 256u) & static_cast<uint32_t>(t.mask)];
    const uint32_t* in = source->pixels;
    uint32_t* out = image->pixels;
    for (int64_t y = 0; y < nh; ++y) {
        const int64_t dy = y - nh / 2;
        const int64_t sy_part = h / 2 + ((c * dy) >> 15);
        const int64_t sx_part = w / 2 - ((s * dy) >> 15);
        for (int64_t x = 0; x < nw; ++x) {
            const int64_t dx = x - nw / 2;
            const int64_t sx = sx_part + ((c * dx) >> 15);
            const int64_t sy = sy_part + ((s * dx) >> 15);
            out[y * nw + x] = sx >= 0 && sx < w && sy >= 0 && sy < h ? in[sy * w + sx] : 0u;
        }
    }
    return image;
}
