// Moving pixels from one image into another: the clipped rectangle copies in
// four combining modes, the spreading copy, whole-image blending and adding,
// and the row and column copies that wrap round for scrolling effects.
#include <cstdint>
#include <type_traits>

#include "container/common.h"
#include "container/vector_level.h"
#include "image/img.h"
#include "image/img_internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if QUOR_X86
#include <immintrin.h>
#endif

namespace {

// The combining rules of the rectangle copies: d is the destination pixel, s
// the source pixel. Each is branch-free so that the row loops vectorise.
struct Copy {
    static uint32_t apply(uint32_t /*d*/, uint32_t s) { return s; }
};
struct Transparent {
    static uint32_t apply(uint32_t d, uint32_t s) { return s != 0 ? s : d; }
};
struct Add {
    static uint32_t apply(uint32_t d, uint32_t s) { return d + s; }
};
struct AddSaturate {
    // Each colour channel summed with a ceiling of 255; the top bytes are dropped.
    static uint32_t apply(uint32_t d, uint32_t s) {
        uint32_t r = ((d >> 16) & 0xFF) + ((s >> 16) & 0xFF);
        uint32_t g = ((d >> 8) & 0xFF) + ((s >> 8) & 0xFF);
        uint32_t b = (d & 0xFF) + (s & 0xFF);
        r = r < 255 ? r : 255;
        g = g < 255 ? g : 255;
        b = b < 255 ? b : 255;
        return (r << 16) | (g << 8) | b;
    }
};
struct Blend {
    // Half of each channel of both; a source pixel of 0 leaves d as it is.
    static uint32_t apply(uint32_t d, uint32_t s) {
        const uint32_t mixed = ((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F);
        return s != 0 ? mixed : d;
    }
};
struct Or {
    static uint32_t apply(uint32_t d, uint32_t s) { return d | s; }
};

// Address of pixel (x, y) of an image; the caller has checked the bounds.
inline uint32_t* at(Image* image, int64_t x, int64_t y) {
    return image->pixels + y * image->width + x;
}
inline const uint32_t* at(const Image* image, int64_t x, int64_t y) {
    return image->pixels + y * image->width + x;
}

// Combines one run of n pixels, left to right.
template <typename Rule>
inline void combine_run(uint32_t* d, const uint32_t* s, int64_t n) {
    for (int64_t c = 0; c < n; ++c)
        d[c] = Rule::apply(d[c], s[c]);
}

// ---- The transparent copy of a rectangle, with vectors -------------------------
// Source pixels of 0 leave the destination as it is: each group of source
// pixels is compared with 0 and blended with the destination's pixels.
// (Testing each group first, to store it whole or pass over it, costs more
// than it saves: the time goes into moving both images' lines through the
// caches, and the tests add mispredicted branches.)

void transparent_plain(uint32_t* d, const uint32_t* s, int64_t n) {
    combine_run<Transparent>(d, s, n);
}

// A rectangle of h runs of n pixels: the runs start every d_step pixels in
// the destination and every s_step pixels in the source.
struct Rect {
    uint32_t* d;
    const uint32_t* s;
    int64_t d_step, s_step, n, h;
};

void transparent_rect_plain(const Rect& r) {
    for (int64_t y = 0; y < r.h; ++y)
        transparent_plain(r.d + y * r.d_step, r.s + y * r.s_step, r.n);
}

#if defined(__SSE2__)
void transparent_rect_sse2(const Rect& r) {
    const __m128i zero = _mm_setzero_si128();
    for (int64_t y = 0; y < r.h; ++y) {
        uint32_t* d = r.d + y * r.d_step;
        const uint32_t* s = r.s + y * r.s_step;
        int64_t c = 0;
        for (; c + 4 <= r.n; c += 4) {
            const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + c));
            const __m128i clear = _mm_cmpeq_epi32(sv, zero);
            const int mask = _mm_movemask_epi8(clear);
            __m128i* to = reinterpret_cast<__m128i*>(d + c);
            if (mask == 0) {
                _mm_storeu_si128(to, sv);
            } else if (mask != 0xFFFF) {
                const __m128i dv = _mm_loadu_si128(to);
                _mm_storeu_si128(
                    to, _mm_or_si128(_mm_and_si128(clear, dv), _mm_andnot_si128(clear, sv)));
            }
        }
        transparent_plain(d + c, s + c, r.n - c);
    }
}
#endif

#if QUOR_X86
__attribute__((target("avx2"))) inline __m256i keyed_avx2(const uint32_t* s, const uint32_t* d) {
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    const __m256i clear = _mm256_cmpeq_epi32(sv, _mm256_setzero_si256());
    return _mm256_blendv_epi8(sv, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d)), clear);
}

// Thirty-two pixels a step, all loaded before any is stored: a store whose
// address matches a later load's in its low twelve bits would otherwise hold
// that load up (the source and destination rows often meet so).
__attribute__((target("avx2"))) void transparent_rect_avx2(const Rect& r) {
    for (int64_t y = 0; y < r.h; ++y) {
        uint32_t* d = r.d + y * r.d_step;
        const uint32_t* s = r.s + y * r.s_step;
        int64_t c = 0;
        for (; c + 32 <= r.n; c += 32) {
            const __m256i a = keyed_avx2(s + c, d + c);
            const __m256i b = keyed_avx2(s + c + 8, d + c + 8);
            const __m256i e = keyed_avx2(s + c + 16, d + c + 16);
            const __m256i f = keyed_avx2(s + c + 24, d + c + 24);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + c), a);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + c + 8), b);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + c + 16), e);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + c + 24), f);
        }
        for (; c + 8 <= r.n; c += 8)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + c), keyed_avx2(s + c, d + c));
        for (; c < r.n; ++c)
            d[c] = s[c] != 0 ? s[c] : d[c];
    }
}

// Sixteen pixels a step with a masked store: only the lanes whose source
// pixel is not 0 are written, so a destination line under a wholly clear
// group is not touched at all. The last group of a row is loaded and stored
// under a mask of the pixels left, which reads and writes nothing past them.
__attribute__((target("avx512f"))) void transparent_rect_avx512(const Rect& r) {
    const __mmask16 last = static_cast<__mmask16>((1u << (r.n % 16)) - 1u);
    for (int64_t y = 0; y < r.h; ++y) {
        uint32_t* d = r.d + y * r.d_step;
        const uint32_t* s = r.s + y * r.s_step;
        int64_t c = 0;
        for (; c + 64 <= r.n; c += 64) {
            const __m512i a = _mm512_loadu_si512(s + c);
            const __m512i b = _mm512_loadu_si512(s + c + 16);
            const __m512i e = _mm512_loadu_si512(s + c + 32);
            const __m512i f = _mm512_loadu_si512(s + c + 48);
            _mm512_mask_storeu_epi32(d + c, _mm512_test_epi32_mask(a, a), a);
            _mm512_mask_storeu_epi32(d + c + 16, _mm512_test_epi32_mask(b, b), b);
            _mm512_mask_storeu_epi32(d + c + 32, _mm512_test_epi32_mask(e, e), e);
            _mm512_mask_storeu_epi32(d + c + 48, _mm512_test_epi32_mask(f, f), f);
        }
        for (; c + 16 <= r.n; c += 16) {
            const __m512i sv = _mm512_loadu_si512(s + c);
            _mm512_mask_storeu_epi32(d + c, _mm512_test_epi32_mask(sv, sv), sv);
        }
        if (c < r.n) {
            const __m512i sv = _mm512_maskz_loadu_epi32(last, s + c);
            _mm512_mask_storeu_epi32(d + c, _mm512_test_epi32_mask(sv, sv), sv);
        }
    }
}
#endif

void transparent_rect(const Rect& r) {
#if QUOR_X86
    if (common::vector_level() >= common::VectorLevel::avx512) return transparent_rect_avx512(r);
    if (common::vector_level() >= common::VectorLevel::avx2) return transparent_rect_avx2(r);
#endif
#if defined(__SSE2__)
    if (common::vector_level() >= common::VectorLevel::sse2) return transparent_rect_sse2(r);
#endif
    transparent_rect_plain(r);
}

// A run under Rule: the transparent copy takes the vector loops.
template <typename Rule>
inline void run(uint32_t* d, const uint32_t* s, int64_t n) {
    if constexpr (std::is_same_v<Rule, Transparent>)
        transparent_rect(Rect{d, s, 0, 0, n, 1});
    else
        combine_run<Rule>(d, s, n);
}

// The one clipping routine of every rectangle copy. Rectangles that miss
// either image are rejected by the first tests, before any pixel is touched;
// the rest is cut to the part that exists in both images, each pixel keeping
// the position it would have without clipping. Arithmetic is 64-bit so that
// extreme coordinates cannot overflow.
template <typename Rule>
__attribute__((noinline)) void blit_clipped(const Image* source, Image* destination, int64_t sx,
                                            int64_t sy, int64_t dx, int64_t dy, int64_t w,
                                            int64_t h) {
    if (!img_both_present(source, destination)) return img_fail();
    const int64_t sw = source->width, sh = source->height;
    const int64_t dw = destination->width, dh = destination->height;
    if (dx >= dw || dx + w <= 0 || dy >= dh || dy + h <= 0) return;
    if (sx >= sw || sx + w <= 0 || sy >= sh || sy + h <= 0) return;
    if (sx < 0) dx -= sx, w += sx, sx = 0;
    if (sy < 0) dy -= sy, h += sy, sy = 0;
    if (sx + w > sw) w = sw - sx;
    if (sy + h > sh) h = sh - sy;
    if (dx < 0) sx -= dx, w += dx, dx = 0;
    if (dy < 0) sy -= dy, h += dy, dy = 0;
    if (dx + w > dw) w = dw - dx;
    if (dy + h > dh) h = dh - dy;
    if (w <= 0 || h <= 0) return;
    if constexpr (std::is_same_v<Rule, Transparent>) {
        transparent_rect(Rect{at(destination, dx, dy), at(source, sx, sy), dw, sw, w, h});
    } else {
        for (int64_t r = 0; r < h; ++r)
            combine_run<Rule>(at(destination, dx, dy + r), at(source, sx, sy + r), w);
    }
}

// The entry of every rectangle copy: a rectangle wholly off the destination
// (the common case of a field of sprites) is turned away here, before the
// clipping routine sets up its frame.
template <typename Rule>
inline void blit(const Image* source, Image* destination, int32_t sx, int32_t sy, int32_t dx,
                 int32_t dy, int32_t w, int32_t h) {
    if (img_both_present(source, destination)) {
        const int64_t right = int64_t{dx} + w, bottom = int64_t{dy} + h;
        if (dx >= destination->width || right <= 0 || dy >= destination->height || bottom <= 0)
            return;
    }
    blit_clipped<Rule>(source, destination, sx, sy, dx, dy, w, h);
}

// Lays the whole source with its top-left at (x, y) of the destination, cut
// to the destination, visiting from the bottom row up and right to left.
template <typename Rule>
void place_whole(const Image* source, Image* destination, int64_t x, int64_t y) {
    if (!img_both_present(source, destination)) return img_fail();
    const int64_t sw = source->width, sh = source->height;
    const int64_t dw = destination->width, dh = destination->height;
    if (x + sw <= 0 || y + sh <= 0 || x >= dw || y >= dh) return;
    const int64_t c0 = x < 0 ? -x : 0;
    const int64_t r0 = y < 0 ? -y : 0;
    const int64_t c1 = x + sw > dw ? dw - x : sw;  // one past the last source column
    const int64_t r1 = y + sh > dh ? dh - y : sh;
    if (c1 <= c0 || r1 <= r0) return;
    for (int64_t r = r1 - 1; r >= r0; --r) {
        uint32_t* d = at(destination, 0, y + r);
        const uint32_t* s = at(source, 0, r);
        for (int64_t c = c1 - 1; c >= c0; --c)
            d[x + c] = Rule::apply(d[x + c], s[c]);
    }
}

// True when row is a row of the image.
bool has_row(const Image* image, int32_t row) {
    return row >= 0 && row < image->height;
}
bool has_column(const Image* image, int32_t column) {
    return column >= 0 && column < image->width;
}

// Combines the first min(widths) pixels of a source row into a destination
// row, starting at column offset and wrapping round at the right edge.
template <typename Rule>
void row_wrap(const Image* source, Image* destination, int32_t source_row, int32_t destination_row,
              int32_t offset) {
    if (!img_both_present(source, destination)) return img_fail();
    if (!has_row(source, source_row)) return img_fail();
    if (!has_row(destination, destination_row)) return img_fail();
    const int64_t dw = destination->width;
    if (dw < 1) return img_fail();  // no column to wrap round to
    const int64_t n = source->width < dw ? source->width : dw;
    if (n <= 0) return;
    const int64_t m = common::floor_mod(offset, dw);
    const uint32_t* s = at(source, 0, source_row);
    uint32_t* d = at(destination, 0, destination_row);
    const int64_t first = n < dw - m ? n : dw - m;  // from column m to the right edge
    run<Rule>(d + m, s, first);
    run<Rule>(d, s + first, n - first);  // the rest from column 0
}

}  // namespace

void img_blit(const Image* source, Image* destination, int32_t sx, int32_t sy, int32_t dx,
              int32_t dy, int32_t w, int32_t h) {
    blit<Copy>(source, destination, sx, sy, dx, dy, w, h);
}

void img_blit_transparent(const Image* source, Image* destination, int32_t sx, int32_t sy,
                          int32_t dx, int32_t dy, int32_t w, int32_t h) {
    blit<Transparent>(source, destination, sx, sy, dx, dy, w, h);
}

void img_blit_add(const Image* source, Image* destination, int32_t sx, int32_t sy, int32_t dx,
                  int32_t dy, int32_t w, int32_t h) {
    blit<Add>(source, destination, sx, sy, dx, dy, w, h);
}

void img_blit_add_saturate(const Image* source, Image* destination, int32_t sx, int32_t sy,
                           int32_t dx, int32_t dy, int32_t w, int32_t h) {
    blit<AddSaturate>(source, destination, sx, sy, dx, dy, w, h);
}

void img_blit_spread(const Image* source, Image* destination, int32_t sx, int32_t sy, int32_t dx,
                     int32_t dy, int32_t w, int32_t h, int32_t zx, int32_t zy) {
    if (!img_both_present(source, destination)) return img_fail();
    // Cells of no size would pile every pixel on one spot.
    if (zx < 1) return img_fail();
    if (zy < 1) return img_fail();
    const int64_t sw = source->width, sh = source->height;
    const int64_t dw = destination->width, dh = destination->height;
    // Only source pixels inside the source own a cell, which bounds both loops
    // by the source's size whatever w and h are.
    const int64_t i0 = sx < 0 ? -static_cast<int64_t>(sx) : 0;
    const int64_t j0 = sy < 0 ? -static_cast<int64_t>(sy) : 0;
    const int64_t i1 = w < sw - sx ? w : sw - sx;
    const int64_t j1 = h < sh - sy ? h : sh - sy;
    for (int64_t j = j0; j < j1; ++j) {
        const int64_t top = dy + j * zy;
        if (top < 0 || top + zy > dh) continue;
        const uint32_t* s = at(source, 0, sy + j);
        uint32_t* d = at(destination, 0, top);
        for (int64_t i = i0; i < i1; ++i) {
            const int64_t left = dx + i * zx;
            const uint32_t p = s[sx + i];
            if (left < 0 || left + zx > dw || p == 0) continue;
            d[left] = p;
        }
    }
}

void img_blend_at(const Image* source, Image* destination, int32_t x, int32_t y) {
    place_whole<Blend>(source, destination, x, y);
}

void img_add_at(const Image* source, Image* destination) {
    if (!source) return img_fail();
    place_whole<Add>(source, destination, source->x, source->y);
}

void img_copy_row(const Image* source, Image* destination, int32_t source_row,
                  int32_t destination_row) {
    if (!img_both_present(source, destination)) return img_fail();
    if (!has_row(source, source_row)) return img_fail();
    if (!has_row(destination, destination_row)) return img_fail();
    const int64_t n = source->width < destination->width ? source->width : destination->width;
    if (n <= 0) return;
    combine_run<Copy>(at(destination, 0, destination_row), at(source, 0, source_row), n);
}

void img_copy_row_wrap(const Image* source, Image* destination, int32_t source_row,
                       int32_t destination_row, int32_t offset) {
    row_wrap<Transparent>(source, destination, source_row, destination_row, offset);
}

void img_or_row_wrap(const Image* source, Image* destination, int32_t source_row,
                     int32_t destination_row, int32_t offset) {
    row_wrap<Or>(source, destination, source_row, destination_row, offset);
}

void img_copy_column_wrap(const Image* source, Image* destination, int32_t source_column,
                          int32_t destination_column, int32_t offset) {
    if (!img_both_present(source, destination)) return img_fail();
    if (!has_column(source, source_column)) return img_fail();
    if (!has_column(destination, destination_column)) return img_fail();
    const int64_t dh = destination->height;
    if (dh < 1) return img_fail();  // no row to wrap round to
    const int64_t n = source->height < dh ? source->height : dh;
    const int64_t m = common::floor_mod(offset, dh);
    for (int64_t r = 0; r < n; ++r) {
        const uint32_t s = *at(source, source_column, r);
        if (s == 0) continue;
        *at(destination, destination_column, (m + r) % dh) = s;
    }
}
