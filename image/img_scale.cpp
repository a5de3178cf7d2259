// Nearest-neighbour resampling, integer only: scaling to the destination's own
// size along the run lists of img_line_runs, and rotation by an angle in
// sine-table steps into a new, larger image.
#include <cstdint>
#include <cstdlib>
#include <cstring>

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

// ---- Scaling -------------------------------------------------------------------
// The run lists of img_line_runs(s, d) have a closed form: position i of the
// major side falls in run floor(i * minor / major). So destination position j
// of an axis takes source position
//   d >= s (runs of destination positions):   floor(j * s / d)
//   d <  s (runs of source positions), the last of run j:  floor(((j + 1) * s - 1) / d)
//                                      the first of run j: ceil(j * s / d)
// each of the form floor((a0 + j * s) / d), stepped here without division.
struct Positions {
    int64_t q, r, qs, rs, d;

    Positions() : q(0), r(0), qs(0), rs(0), d(1) {}  // stays at 0
    Positions(int64_t s, int64_t d, int64_t a0)
        : q(a0 / d), r(a0 % d), qs(s / d), rs(s % d), d(d) {}
    // The current position; then moves on to the next j.
    int64_t next() {
        const int64_t at = q;
        q += qs;
        r += rs;
        if (r >= d) {
            r -= d;
            q += 1;
        }
        return at;
    }
};

// The a0 of an axis from s to d; take_last chooses the last source position
// of each run when the axis reduces.
int64_t first_offset(int64_t s, int64_t d, bool take_last) {
    if (d >= s) return 0;
    return take_last ? s - 1 : d - 1;
}

// Where the columns of one destination row come from: col[j] is the source
// column of destination column j. For the vector path the columns are also
// cut into groups of eight: rel[j] is col[j] less the first column of its
// group, and kind[g] says how group g can be read: 1 when its columns lie
// within eight source pixels from the first, 2 within sixteen, 0 otherwise
// (or when that window would pass the end of the source row).
struct ColumnPlan {
    int32_t* col;
    int32_t* rel;
    uint8_t* kind;
    bool permute;  // AVX2 is there and some group permutes
};

void plan_columns(ColumnPlan& plan, int64_t sw, int64_t dw) {
    Positions at(sw, dw, first_offset(sw, dw, true));
    for (int64_t j = 0; j < dw; ++j)
        plan.col[j] = static_cast<int32_t>(at.next());
    plan.permute = false;
    if (common::vector_level() < common::VectorLevel::avx2) return;
    // From three source columns per destination column on, eight destination
    // columns span 21 source columns or more: no group can permute.
    if (sw >= 3 * dw) return;
    for (int64_t g = 0; g < dw / 8; ++g) {
        const int32_t base = plan.col[8 * g];
        const int32_t span = plan.col[8 * g + 7] - base;  // columns never go back
        for (int k = 0; k < 8; ++k)
            plan.rel[8 * g + k] = plan.col[8 * g + k] - base;
        uint8_t kind = 0;
        if (span < 16 && base + 16 <= sw) kind = 2;
        if (span < 8 && base + 8 <= sw) kind = 1;
        plan.kind[g] = kind;
        plan.permute |= kind != 0;
    }
}

void scale_row_plain(uint32_t* out, const uint32_t* in, int64_t dw, const ColumnPlan& plan) {
    const int32_t* col = plan.col;
    int64_t j = 0;
    for (; j + 4 <= dw; j += 4) {
        out[j] = in[col[j]];
        out[j + 1] = in[col[j + 1]];
        out[j + 2] = in[col[j + 2]];
        out[j + 3] = in[col[j + 3]];
    }
    for (; j < dw; ++j)
        out[j] = in[col[j]];
}

// N destination rows (one after another at out) from the N source rows at
// in, sharing each column index: the table is read once for all of them.
template <int N>
void scale_rows_plain(uint32_t* out, const uint32_t* const* in, int64_t dw,
                      const ColumnPlan& plan) {
    const int32_t* col = plan.col;
    int64_t j = 0;
    for (; j + 2 <= dw; j += 2) {
        const int32_t a = col[j], b = col[j + 1];
        for (int k = 0; k < N; ++k) {
            out[k * dw + j] = in[k][a];
            out[k * dw + j + 1] = in[k][b];
        }
    }
    for (; j < dw; ++j)
        for (int k = 0; k < N; ++k)
            out[k * dw + j] = in[k][col[j]];
}

#if defined(__SSE2__)
// N rows, four columns a step: each pixel is loaded into a vector lane and
// four of them are stored at once, a quarter of the stores of the plain loop,
// and each step's four column indices serve all N rows.
template <int N>
void scale_rows_sse2(uint32_t* out, const uint32_t* const* in, int64_t dw, const ColumnPlan& plan) {
    const int32_t* col = plan.col;
    const auto pick = [](const uint32_t* row, int32_t c0, int32_t c1, int32_t c2, int32_t c3) {
        const __m128i lo = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(row[c0])),
                                              _mm_cvtsi32_si128(static_cast<int>(row[c1])));
        const __m128i hi = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(row[c2])),
                                              _mm_cvtsi32_si128(static_cast<int>(row[c3])));
        return _mm_unpacklo_epi64(lo, hi);
    };
    const auto step = [&](int64_t j) {
        const int32_t c0 = col[j], c1 = col[j + 1], c2 = col[j + 2], c3 = col[j + 3];
        for (int k = 0; k < N; ++k)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k * dw + j),
                             pick(in[k], c0, c1, c2, c3));
    };
    int64_t j = 0;
    for (; j + 4 <= dw; j += 4)
        step(j);
    // The last one to three columns: two with a 64-bit store, then one.
    if (j + 2 <= dw) {
        const int32_t c0 = col[j], c1 = col[j + 1];
        for (int k = 0; k < N; ++k)
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k * dw + j),
                             _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(in[k][c0])),
                                                _mm_cvtsi32_si128(static_cast<int>(in[k][c1]))));
        j += 2;
    }
    if (j < dw)
        for (int k = 0; k < N; ++k)
            out[k * dw + j] = in[k][col[j]];
}
#endif

// N destination rows from N source rows; vectors is false on the plain level.
template <int N>
void scale_rows(uint32_t* out, const uint32_t* const* in, int64_t dw, const ColumnPlan& plan,
                bool vectors) {
#if defined(__SSE2__)
    if (vectors) return scale_rows_sse2<N>(out, in, dw, plan);
#endif
    (void)vectors;
    scale_rows_plain<N>(out, in, dw, plan);
}

#if QUOR_X86
// Eight destination pixels a step by permuting one or two loads of eight
// source pixels.
__attribute__((target("avx2"))) void scale_row_avx2(uint32_t* out, const uint32_t* in, int64_t dw,
                                                    const ColumnPlan& plan) {
    const __m256i seven = _mm256_set1_epi32(7);
    int64_t j = 0;
    for (; j + 8 <= dw; j += 8) {
        const int32_t base = plan.col[j];
        const uint8_t kind = plan.kind[j / 8];
        __m256i* to = reinterpret_cast<__m256i*>(out + j);
        if (kind == 0) {
            for (int k = 0; k < 8; ++k)
                out[j + k] = in[plan.col[j + k]];
            continue;
        }
        const __m256i rel = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(plan.rel + j));
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + base));
        if (kind == 1) {
            _mm256_storeu_si256(to, _mm256_permutevar8x32_epi32(a, rel));
            continue;
        }
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + base + 8));
        const __m256i from_b = _mm256_cmpgt_epi32(rel, seven);
        _mm256_storeu_si256(to, _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(a, rel),
                                                   _mm256_permutevar8x32_epi32(b, rel), from_b));
    }
    for (; j < dw; ++j)
        out[j] = in[plan.col[j]];
}
#endif

void scale_row(uint32_t* out, const uint32_t* in, int64_t dw, const ColumnPlan& plan) {
#if QUOR_X86
    if (plan.permute) return scale_row_avx2(out, in, dw, plan);
#endif
    scale_row_plain(out, in, dw, plan);
}

// The plan's three tables in one block of memory: on the stack for the usual
// widths, else from the heap.
constexpr int64_t kStackColumns = 1024;

size_t plan_bytes(int64_t dw) {
    const int64_t padded = (dw + 7) / 8 * 8;
    return static_cast<size_t>(2 * padded * 4 + padded / 8);
}

void lay_out_plan(ColumnPlan& plan, void* block, int64_t dw) {
    const int64_t padded = (dw + 7) / 8 * 8;
    plan.col = static_cast<int32_t*>(block);
    plan.rel = plan.col + padded;
    plan.kind = reinterpret_cast<uint8_t*>(plan.rel + padded);
}

void scale_pixels(const Image* source, Image* destination, const ColumnPlan& plan) {
    const int64_t sw = source->width, sh = source->height;
    const int64_t dw = destination->width, dh = destination->height;
    const uint32_t* in = source->pixels;
    uint32_t* out = destination->pixels;
    // Fewer rows: the last row of each run when the columns reduce too,
    // the first row of each run otherwise. When both axes scale alike (a
    // square to a square, say) that is the columns' rule, and the rows take
    // the positions the plan already holds.
    const bool alike = sw == sh && dw == dh;
    Positions rows = alike ? Positions() : Positions(sh, dh, first_offset(sh, dh, dw < sw));
    int64_t taken = 0;
    const auto next_row = [&] { return alike ? plan.col[taken++] : rows.next(); };
    if (dh <= sh && !plan.permute) {
        // Every destination row has a source row of its own: four at a time.
        const bool vectors = common::vector_level() >= common::VectorLevel::sse2;
        int64_t r = 0;
        for (; r + 4 <= dh; r += 4) {
            const uint32_t* from[4];
            for (const uint32_t*& f : from)
                f = in + next_row() * sw;
            scale_rows<4>(out + r * dw, from, dw, plan, vectors);
        }
        if (r + 2 <= dh) {
            const uint32_t* from[2];
            for (const uint32_t*& f : from)
                f = in + next_row() * sw;
            scale_rows<2>(out + r * dw, from, dw, plan, vectors);
            r += 2;
        }
        if (r < dh) {
            const uint32_t* from = in + next_row() * sw;
            scale_rows<1>(out + r * dw, &from, dw, plan, vectors);
        }
        return;
    }
    int64_t previous = -1;
    for (int64_t r = 0; r < dh; ++r) {
        const int64_t take = next_row();
        uint32_t* row = out + r * dw;
        // A source row repeated (the rows enlarge) is scaled once and copied.
        if (take == previous)
            memcpy(row, row - dw, static_cast<size_t>(dw) * sizeof(uint32_t));
        else
            scale_row(row, in + take * sw, dw, plan);
        previous = take;
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
    // img_line_runs has no list for a side of 2^31 - 1 (a run of 2^31 would
    // not fit its count): such a scale does nothing, as it always has.
    if (sw == INT32_MAX || dw == INT32_MAX || sh == INT32_MAX || dh == INT32_MAX) return;
    ColumnPlan plan{};
    alignas(32) unsigned char stack[2 * kStackColumns * 4 + kStackColumns / 8];
    void* block = stack;
    if (dw > kStackColumns) {
        block = malloc(plan_bytes(dw));
        if (!block) return;  // as when the run lists could not be made: nothing changes
    }
    lay_out_plan(plan, block, dw);
    plan_columns(plan, sw, dw);
    scale_pixels(source, destination, plan);
    if (block != stack) free(block);
}

namespace {

// ---- Rotation --------------------------------------------------------------------
// Along a destination row, a source coordinate base + ((k * (x - half)) >> 15)
// only rises (k > 0), only falls (k < 0) or stays (k = 0), so the columns x
// where it lies in 0 .. limit - 1 form one range, found by bisection.

// The first x in 0 .. n - 1 for which pred holds (pred never turns back to
// false), or n when there is none.
template <typename Pred>
int64_t first_where(int64_t n, Pred pred) {
    int64_t lo = 0, hi = n;
    while (lo < hi) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (pred(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

// Narrows [lo, hi) to the columns whose coordinate lies inside 0 .. limit - 1.
void keep_inside(int64_t base, int64_t k, int64_t half, int64_t n, int64_t limit, int64_t& lo,
                 int64_t& hi) {
    const auto at = [&](int64_t x) { return base + ((k * (x - half)) >> 15); };
    int64_t from = 0, to = n;
    if (k == 0) {
        if (base < 0 || base >= limit) to = 0;
    } else if (k > 0) {
        from = first_where(n, [&](int64_t x) { return at(x) >= 0; });
        to = first_where(n, [&](int64_t x) { return at(x) >= limit; });
    } else {
        from = first_where(n, [&](int64_t x) { return at(x) < limit; });
        to = first_where(n, [&](int64_t x) { return at(x) < 0; });
    }
    if (from > lo) lo = from;
    if (to < hi) hi = to;
}

// Destination columns lo .. hi - 1 of one row, all inside the source: column
// x shows source index origin + ((s * dx) >> 15) * w + ((c * dx) >> 15), with
// dx = first + (x - lo). (c * dx) >> 15 and (s * dx) >> 15 come from running
// products: the same floors, without a multiplication per pixel.
void rotate_span_plain(uint32_t* row, const uint32_t* in, int64_t w, int64_t origin, int64_t c,
                       int64_t s, int64_t first, int64_t lo, int64_t hi) {
    int64_t cx = c * first, sx = s * first;
    for (int64_t x = lo; x < hi; ++x) {
        row[x] = in[origin + (sx >> 15) * w + (cx >> 15)];
        cx += c;
        sx += s;
    }
}

#if QUOR_X86
// The same with the indices of eight columns at a time computed in 32-bit
// lanes; the caller has made sure that every product fits them.
__attribute__((target("avx2"))) void rotate_span_avx2(uint32_t* row, const uint32_t* in, int64_t w,
                                                      int64_t origin, int64_t c, int64_t s,
                                                      int64_t first, int64_t lo, int64_t hi) {
    const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i vc = _mm256_set1_epi32(static_cast<int32_t>(c));
    const __m256i vs = _mm256_set1_epi32(static_cast<int32_t>(s));
    const __m256i vw = _mm256_set1_epi32(static_cast<int32_t>(w));
    __m256i dx = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(first)), steps);
    const __m256i eight = _mm256_set1_epi32(8);
    int64_t x = lo;
    alignas(32) int32_t index[8];
    for (; x + 8 <= hi; x += 8) {
        const __m256i cx = _mm256_srai_epi32(_mm256_mullo_epi32(vc, dx), 15);
        const __m256i sx = _mm256_srai_epi32(_mm256_mullo_epi32(vs, dx), 15);
        _mm256_store_si256(reinterpret_cast<__m256i*>(index),
                           _mm256_add_epi32(_mm256_mullo_epi32(sx, vw), cx));
        for (int k = 0; k < 8; ++k)
            row[x + k] = in[origin + index[k]];
        dx = _mm256_add_epi32(dx, eight);
    }
    rotate_span_plain(row, in, w, origin, c, s, first + (x - lo), x, hi);
}
#endif

void rotate_span(uint32_t* row, const uint32_t* in, int64_t w, int64_t origin, int64_t c, int64_t s,
                 int64_t first, int64_t lo, int64_t hi, [[maybe_unused]] bool narrow) {
#if QUOR_X86
    if (narrow && common::vector_level() >= common::VectorLevel::avx2)
        return rotate_span_avx2(row, in, w, origin, c, s, first, lo, hi);
#endif
    rotate_span_plain(row, in, w, origin, c, s, first, lo, hi);
}

}  // namespace

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
    // Every pixel is written below: inside the source's turned outline from
    // the source, 0 around it.
    Image* image = img_new_sized(static_cast<int32_t>(nw), static_cast<int32_t>(nh), false);
    if (!image) return nullptr;  // img_new_sized has reported
    const SineTable& t = img_sine_table;
    // -angle and -angle - 256 modulo 1024, in unsigned arithmetic so that no
    // angle overflows; 2^32 is a multiple of 1024.
    const uint32_t back = 0u - static_cast<uint32_t>(angle);
    const int64_t s = t.values[back & static_cast<uint32_t>(t.mask)];
    const int64_t c = t.values[(back - 256u) & static_cast<uint32_t>(t.mask)];
    const uint32_t* in = source->pixels;
    uint32_t* out = image->pixels;
    // Destination (x, y) shows source (sx, sy), with dx = x - nw / 2, dy = y - nh / 2:
    //   sx = w / 2 - ((s * dy) >> 15) + ((c * dx) >> 15)
    //   sy = h / 2 + ((c * dy) >> 15) + ((s * dx) >> 15)
    // and 0 where that lies outside the source.
    // 32-bit lanes hold every product (|c|, |s| < 2^15, |dx| < 2^16) and
    // every index (below w * h < 2^31).
    const bool narrow = nw < 65536;
    for (int64_t y = 0; y < nh; ++y) {
        const int64_t dy = y - nh / 2;
        const int64_t sy_part = h / 2 + ((c * dy) >> 15);
        const int64_t sx_part = w / 2 - ((s * dy) >> 15);
        uint32_t* row = out + y * nw;
        int64_t lo = 0, hi = nw;
        keep_inside(sx_part, c, nw / 2, nw, w, lo, hi);
        keep_inside(sy_part, s, nw / 2, nw, h, lo, hi);
        if (hi < lo) hi = lo;
        memset(row, 0, static_cast<size_t>(lo) * sizeof(uint32_t));
        memset(row + hi, 0, static_cast<size_t>(nw - hi) * sizeof(uint32_t));
        if (lo < hi)
            rotate_span(row, in, w, sy_part * w + sx_part, c, s, lo - nw / 2, lo, hi, narrow);
    }
    return image;
}
