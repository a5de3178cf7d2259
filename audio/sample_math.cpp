// Sample arithmetic (element-wise, wrapping modulo 2^32) and matching of one
// sample laid over another.
#include "audio/sample.h"

#include <algorithm>

#include "audio/sample_internal.h"

namespace {

// a + b and a * b modulo 2^32: computed unsigned, so no signed overflow.
int32_t wrap_add(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t wrap_mul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
int32_t wrap_sub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// Applies f(target value, source value) over the indices both samples have.
template <typename F>
void combine(Sample* target, const Sample* source, F f) {
    if (!sample_usable(target)) return sample_fail();
    if (!sample_usable(source)) return sample_fail();
    const int32_t n = std::min(target->length, source->length);
    for (int32_t i = 0; i < n; ++i)
        target->data[i] = f(target->data[i], source->data[i]);
}

// Matches of b laid over a at offset; the offset is already known to overlap.
int32_t matches(const Sample* a, const Sample* b, int32_t offset) {
    const int32_t a_start = offset >= 0 ? offset : 0;
    const int32_t b_start = offset >= 0 ? 0 : -offset;
    const int32_t n = std::min(a->length - a_start, b->length - b_start);
    const int32_t* pa = a->data + a_start;
    const int32_t* pb = b->data + b_start;
    int32_t count = 0;
    for (int32_t i = 0; i < n; ++i)
        count += pa[i] == pb[i] ? 1 : 0;
    return count;
}

// True when b laid at offset overlaps a: 1 - b length <= offset < a length.
bool overlaps(const Sample* a, const Sample* b, int32_t offset) {
    return int64_t{offset} >= 1 - int64_t{b->length} && offset < a->length;
}

}  // namespace

void sample_add(Sample* target, const Sample* source) {
    combine(target, source, wrap_add);
}

void sample_multiply(Sample* target, const Sample* source) {
    combine(target, source, wrap_mul);
}

void sample_scale(Sample* sample, int32_t factor) {
    if (!sample_usable(sample)) return sample_fail();
    for (int32_t i = 0; i < sample->length; ++i)
        sample->data[i] = wrap_mul(sample->data[i], factor);
}

void sample_shift_left(Sample* sample, int32_t n) {
    if (!sample_usable(sample)) return sample_fail();
    if (n > 32) return sample_fail();
    // Counts are taken modulo 32 (32 leaves the values, -1 shifts by 31).
    const uint32_t k = static_cast<uint32_t>(n) & 31u;
    for (int32_t i = 0; i < sample->length; ++i)
        sample->data[i] = static_cast<int32_t>(static_cast<uint32_t>(sample->data[i]) << k);
}

void sample_shift_right(Sample* sample, int32_t n) {
    if (!sample_usable(sample)) return sample_fail();
    if (n > 32) return sample_fail();
    const uint32_t k = static_cast<uint32_t>(n) & 31u;
    for (int32_t i = 0; i < sample->length; ++i)
        sample->data[i] >>= k;
}

void sample_rescale(Sample* sample, int32_t lo, int32_t hi) {
    if (!sample_usable(sample)) return sample_fail();
    if (sample->length < 1) return sample_fail();
    const int32_t min = sample_min(sample);
    const int32_t max = sample_max(sample);
    const int32_t offset = wrap_sub(lo, min);
    const int32_t range = wrap_sub(max, min);
    if (range == 0) {
        // Every value is equal: there is no range to spread, so all map to lo,
        // where the smallest value goes in every other case.
        for (int32_t i = 0; i < sample->length; ++i)
            sample->data[i] = lo;
        return;
    }
    // (hi - lo) * 65536 / range in 32-bit arithmetic; the quotient is formed in
    // 64 bits so that the one overflowing case (-2^31 / -1) wraps instead of trapping.
    const int32_t span = wrap_mul(wrap_sub(hi, lo), 65536);
    const int32_t factor = static_cast<int32_t>(static_cast<uint32_t>(int64_t{span} / range));
    for (int32_t i = 0; i < sample->length; ++i)
        sample->data[i] = wrap_add(wrap_mul(factor, sample->data[i]) >> 16, offset);
}

int32_t sample_count_matches(const Sample* a, const Sample* b, int32_t offset) {
    if (!sample_usable(a)) return sample_fail(0);
    if (!sample_usable(b)) return sample_fail(0);
    if (!overlaps(a, b, offset)) return 0;
    return matches(a, b, offset);
}

int32_t sample_best_offset(const Sample* a, const Sample* b) {
    if (!sample_usable(a)) return sample_fail(0);
    if (!sample_usable(b)) return sample_fail(0);
    int32_t best = -b->length;
    int32_t best_count = 0;
    for (int32_t offset = 1 - b->length; offset < a->length; ++offset) {
        const int32_t count = matches(a, b, offset);
        if (count > best_count) {
            best = offset;
            best_count = count;
        }
    }
    return best;
}
