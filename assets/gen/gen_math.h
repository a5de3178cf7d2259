// The generators' own elementary functions and random bits, so that the art
// and the sounds come out as the same bytes on every machine and compiler.
//
// The C library's sin, exp, pow and friends differ in their last bits from
// one libm to the next (and a compiler may fold them at build time with yet
// another rounding). Everything here is built only from operations that IEEE
// 754 rounds exactly: +, -, *, / and sqrt, plus floor, fabs, fmod, frexp and
// ldexp, which are exact. Each function reduces its argument to a small
// interval and sums a fixed series there, always in the same order; with
// contraction into fused multiply-adds turned off (-ffp-contract=off) and
// SSE arithmetic on 32-bit x86, every machine computes the same doubles.
//
// Accuracy is within a few units in the last place of the true value over the
// arguments the generators use (|x| up to about 1e5 for sin, cos and tan);
// assets/tests/gen_math_test.cpp measures it against the C library.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

// x87 arithmetic keeps intermediates in 80 bits and rounds them whenever the
// register spills: the results would depend on the optimiser. The build asks
// for SSE arithmetic on 32-bit x86; GEN_MATH_ALLOW_EXCESS_PRECISION lets a
// test build go without it on purpose.
#if defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ != 0 && \
    !defined(GEN_MATH_ALLOW_EXCESS_PRECISION)
#error "the asset generators need double arithmetic without excess precision (-mfpmath=sse)"
#endif

namespace gm {

constexpr double kPi = 0x1.921fb54442d18p+1;
constexpr double kTwoPi = 2.0 * kPi;  // exact: a power-of-two scaling
constexpr double kHalfPi = 0.5 * kPi;

namespace detail {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// ln 2 in two parts: the first has 32 significant bits, so k * kLn2Hi is
// exact for any exponent k a double can have.
constexpr double kLn2Hi = 0x1.62e42ffp-1;
constexpr double kLn2Lo = -0x1.718432a1b0e26p-35;
constexpr double kInvLn2 = 0x1.71547652b82fep+0;
constexpr double kInvLn2Lo = 0x1.777d0ffda0d24p-56;  // 1/ln2 - kInvLn2

// pi/2 in three parts of 33, 33 and 53 bits: k times either of the first two
// is exact for |k| < 2^20, which keeps the reduction of sin, cos and tan
// accurate for |x| up to about 1.6e6 (beyond that it stays deterministic).
constexpr double kHalfPi1 = 0x1.921fb544p+0;
constexpr double kHalfPi2 = 0x1.0b4611a6p-34;
constexpr double kHalfPi3 = 0x1.3198a2e037073p-69;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
// pi/2 and pi as a double plus the rest, for atan's reflections.
constexpr double kHalfPiLo = 0x1.1a62633145c07p-54;
constexpr double kPiLo = 0x1.1a62633145c07p-53;

constexpr double kSqrtHalf = 0x1.6a09e667f3bcdp-1;

// Taylor coefficients, each the correctly rounded double of its fraction.
// 1/n! for n = 2 .. 13: e^r - 1 on |r| <= ln2 / 2.
constexpr double kExpm1[] = {0x1.0000000000000p-1,  0x1.5555555555555p-3,  0x1.5555555555555p-5,
                             0x1.1111111111111p-7,  0x1.6c16c16c16c17p-10, 0x1.a01a01a01a01ap-13,
                             0x1.a01a01a01a01ap-16, 0x1.71de3a556c734p-19, 0x1.27e4fb7789f5cp-22,
                             0x1.ae64567f544e4p-26, 0x1.1eed8eff8d898p-29, 0x1.6124613a86d09p-33};
// (-1)^k / (2k+1)! for k = 1 .. 8: sin on |r| <= pi/4.
constexpr double kSin[] = {-0x1.5555555555555p-3,  0x1.1111111111111p-7,   -0x1.a01a01a01a01ap-13,
                           0x1.71de3a556c734p-19,  -0x1.ae64567f544e4p-26, 0x1.6124613a86d09p-33,
                           -0x1.ae7f3e733b81fp-41, 0x1.952c77030ad4ap-49};
// (-1)^k / (2k)! for k = 1 .. 9: cos on |r| <= pi/4.
constexpr double kCos[] = {-0x1.0000000000000p-1,  0x1.5555555555555p-5,   -0x1.6c16c16c16c17p-10,
                           0x1.a01a01a01a01ap-16,  -0x1.27e4fb7789f5cp-22, 0x1.1eed8eff8d898p-29,
                           -0x1.93974a8c07c9dp-37, 0x1.ae7f3e733b81fp-45,  -0x1.6827863b97d97p-53};
// 1 / (2k+1) for k = 1 .. 12: 2 atanh(s) = log((1+s)/(1-s)) on |s| <= 0.172.
constexpr double kAtanh[] = {0x1.5555555555555p-2, 0x1.999999999999ap-3, 0x1.2492492492492p-3,
                             0x1.c71c71c71c71cp-4, 0x1.745d1745d1746p-4, 0x1.3b13b13b13b14p-4,
                             0x1.1111111111111p-4, 0x1.e1e1e1e1e1e1ep-5, 0x1.af286bca1af28p-5,
                             0x1.8618618618618p-5, 0x1.642c8590b2164p-5, 0x1.47ae147ae147bp-5};
// (-1)^k / (2k+1) for k = 1 .. 22: atan on |t| <= tan(pi/8).
constexpr double kAtan[] = {
    -0x1.5555555555555p-2, 0x1.999999999999ap-3, -0x1.2492492492492p-3, 0x1.c71c71c71c71cp-4,
    -0x1.745d1745d1746p-4, 0x1.3b13b13b13b14p-4, -0x1.1111111111111p-4, 0x1.e1e1e1e1e1e1ep-5,
    -0x1.af286bca1af28p-5, 0x1.8618618618618p-5, -0x1.642c8590b2164p-5, 0x1.47ae147ae147bp-5,
    -0x1.2f684bda12f68p-5, 0x1.1a7b9611a7b96p-5, -0x1.0842108421084p-5, 0x1.f07c1f07c1f08p-6,
    -0x1.d41d41d41d41dp-6, 0x1.bacf914c1bad0p-6, -0x1.a41a41a41a41ap-6, 0x1.8f9c18f9c18fap-6,
    -0x1.7d05f417d05f4p-6, 0x1.6c16c16c16c17p-6};

// c[0] + z c[1] + z^2 c[2] + ..., by Horner's rule from the highest term.
template <size_t N>
double series(double z, const double (&c)[N]) {
    double sum = c[N - 1];
    for (size_t i = N - 1; i-- > 0;)
        sum = c[i] + z * sum;
    return sum;
}

// e^r - 1 for |r| <= ln2 / 2 (a little more is fine).
inline double expm1_near_zero(double r) {
    return r + r * r * series(r, kExpm1);
}

// x = k ln2 + r with |r| <= ln2 / 2.
struct Ln2Split {
    double r;
    int k;
};
inline Ln2Split split_ln2(double x) {
    const double k = std::floor(x * kInvLn2 + 0.5);
    return {(x - k * kLn2Hi) - k * kLn2Lo, static_cast<int>(k)};
}

// x = k pi/2 + r with |r| <= pi/4 (a hair more after rounding); the
// quadrant is k mod 4.
struct Quadrant {
    double r;
    int q;
};
inline Quadrant split_half_pi(double x) {
    const double k = std::floor(x * kTwoOverPi + 0.5);
    const double r = ((x - k * kHalfPi1) - k * kHalfPi2) - k * kHalfPi3;
    double q = std::fmod(k, 4.0);  // exact, and defined for any k
    if (q < 0) q += 4.0;
    return {r, static_cast<int>(q)};
}

inline double sin_near_zero(double r) {
    const double z = r * r;
    return r + r * z * series(z, kSin);
}
inline double cos_near_zero(double r) {
    const double z = r * r;
    return 1.0 + z * series(z, kCos);
}

// x = 2^e m with sqrt(1/2) <= m < sqrt(2), for finite x > 0.
struct Binade {
    double m;
    int e;
};
inline Binade split_binade(double x) {
    int e = 0;
    double m = std::frexp(x, &e);  // m in [1/2, 1)
    if (m < kSqrtHalf) {
        m *= 2.0;
        --e;
    }
    return {m, e};
}

// atan(t) for 0 <= t <= 1: halved once by atan t = 2 atan(t / (1 + sqrt(1 + t^2)))
// to at most tan(pi/8), where the series converges fast enough.
inline double atan_unit(double t) {
    t = t / (1.0 + std::sqrt(1.0 + t * t));
    const double z = t * t;
    return 2.0 * (t + t * z * series(z, kAtan));
}

// A value held as an unevaluated sum hi + lo, |lo| <= half an ulp of hi, for
// the few places where one double's rounding would be magnified.
struct Twin {
    double hi, lo;
};

// a + b exactly.
inline Twin two_sum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// a * b exactly (for |a|, |b| well inside the double range): each factor is
// split into two 26-bit halves whose products need no rounding.
inline Twin two_product(double a, double b) {
    auto halves = [](double v) {
        const double c = 134217729.0 * v;  // 2^27 + 1
        const double hi = c - (c - v);
        return Twin{hi, v - hi};
    };
    const double p = a * b;
    const Twin x = halves(a), y = halves(b);
    return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

// log(x) for finite x > 0, to about twice a double's precision where it
// matters for pow: the rounding of (m-1)/(m+1) is carried along.
inline Twin log_twin(double x) {
    const Binade b = split_binade(x);
    const double f = b.m - 1.0;      // exact
    const Twin d = two_sum(2.0, f);  // 2 + f exactly
    const double s = f / d.hi;       // s = f / (2 + f), rounded ...
    const Twin sd = two_product(s, d.hi);
    const double s_lo = ((f - sd.hi) - sd.lo - s * d.lo) / d.hi;  // ... and what it lost
    const double z = s * s;
    const double tail = 2.0 * s * z * series(z, kAtanh) + 2.0 * s_lo;
    const double e = b.e;
    const Twin head = two_sum(e * kLn2Hi, 2.0 * s);  // e kLn2Hi is exact
    return two_sum(head.hi, head.lo + (tail + e * kLn2Lo));
}

}  // namespace detail

inline double exp(double x) {
    if (x != x) return x;
    if (x > 709.782712893384) return detail::kInf;
    if (x < -745.2) return 0.0;
    const detail::Ln2Split s = detail::split_ln2(x);
    return std::ldexp(1.0 + detail::expm1_near_zero(s.r), s.k);
}

// 2^x, exact at whole numbers.
inline double exp2(double x) {
    if (x != x) return x;
    if (x >= 1024.0) return detail::kInf;
    if (x < -1075.0) return 0.0;
    const double k = std::floor(x + 0.5);
    const double r = (x - k) * detail::kLn2Hi + (x - k) * detail::kLn2Lo;  // x - k is exact
    return std::ldexp(1.0 + detail::expm1_near_zero(r), static_cast<int>(k));
}

// e^x - 1, accurate near 0 too.
inline double expm1(double x) {
    if (x != x) return x;
    if (x > 709.0) return exp(x);
    if (x < -40.0) return -1.0;
    const detail::Ln2Split s = detail::split_ln2(x);
    const double p = detail::expm1_near_zero(s.r);
    if (s.k == 0) return p;
    return std::ldexp(p, s.k) + (std::ldexp(1.0, s.k) - 1.0);
}

inline double tanh(double x) {
    if (x != x) return x;
    const double a = std::fabs(x);
    if (a > 22.0) return x < 0 ? -1.0 : 1.0;  // 1 - tanh(22) is below half an ulp of 1
    const double e = expm1(2.0 * a);
    const double t = e / (e + 2.0);
    return x < 0 ? -t : t;
}

// Natural logarithm; NaN below 0, -infinity at 0.
inline double log(double x) {
    if (x != x || x < 0) return detail::kNaN;
    if (x == 0) return -detail::kInf;
    if (x == detail::kInf) return x;
    const detail::Twin l = detail::log_twin(x);
    return l.hi + l.lo;
}

inline double log2(double x) {
    if (x != x || x < 0) return detail::kNaN;
    if (x == 0) return -detail::kInf;
    if (x == detail::kInf) return x;
    const detail::Binade b = detail::split_binade(x);
    const detail::Twin l = detail::log_twin(b.m);  // b.m is its own binade: l is log(b.m)
    const detail::Twin p = detail::two_product(l.hi, detail::kInvLn2);
    return b.e + (p.hi + (p.lo + l.lo * detail::kInvLn2 + l.hi * detail::kInvLn2Lo));
}

// x^y for x >= 0 (NaN for x < 0, which the generators never ask for).
inline double pow(double x, double y) {
    if (y == 0 || x == 1) return 1.0;
    if (x != x || y != y || x < 0) return detail::kNaN;
    if (x == 0) return y > 0 ? 0.0 : detail::kInf;
    // y log x is carried with its rounding error, which would otherwise be
    // magnified by |y log x| in the result; e^(t + c) = 2^k e^(r + c).
    const detail::Twin l = detail::log_twin(x);
    const detail::Twin t = detail::two_product(y, l.hi);
    if (!(std::fabs(t.hi) < 800.0)) return exp(t.hi);  // overflows or underflows anyway
    const double c = t.lo + y * l.lo;
    const detail::Ln2Split s = detail::split_ln2(t.hi);
    return std::ldexp(1.0 + detail::expm1_near_zero(s.r + c), s.k);
}

inline double sin(double x) {
    if (!std::isfinite(x)) return detail::kNaN;
    const detail::Quadrant s = detail::split_half_pi(x);
    switch (s.q) {
        case 0:
            return detail::sin_near_zero(s.r);
        case 1:
            return detail::cos_near_zero(s.r);
        case 2:
            return -detail::sin_near_zero(s.r);
        default:
            return -detail::cos_near_zero(s.r);
    }
}

inline double cos(double x) {
    if (!std::isfinite(x)) return detail::kNaN;
    const detail::Quadrant s = detail::split_half_pi(x);
    switch (s.q) {
        case 0:
            return detail::cos_near_zero(s.r);
        case 1:
            return -detail::sin_near_zero(s.r);
        case 2:
            return -detail::cos_near_zero(s.r);
        default:
            return detail::sin_near_zero(s.r);
    }
}

inline double tan(double x) {
    if (!std::isfinite(x)) return detail::kNaN;
    const detail::Quadrant s = detail::split_half_pi(x);
    const double sn = detail::sin_near_zero(s.r);
    const double cs = detail::cos_near_zero(s.r);
    return s.q % 2 == 0 ? sn / cs : -cs / sn;
}

// The angle of the point (x, y) from the positive x axis, in [-pi, pi].
// For finite arguments; atan2(0, 0) is 0 (or pi for x = -0, as usual).
inline double atan2(double y, double x) {
    if (x != x || y != y) return x + y;
    const double ax = std::fabs(x), ay = std::fabs(y);
    double a;  // the angle of (ax, ay), in [0, pi/2]
    if (ay <= ax)
        a = ax == 0 ? 0.0 : detail::atan_unit(ay / ax);
    else
        a = (kHalfPi - detail::atan_unit(ax / ay)) + detail::kHalfPiLo;
    if (std::signbit(x)) a = (kPi - a) + detail::kPiLo;
    return std::signbit(y) ? -a : a;
}

// sqrt(x^2 + y^2), scaled by powers of two at the extremes so that the
// squares neither overflow nor underflow.
inline double hypot(double x, double y) {
    double a = std::fabs(x), b = std::fabs(y);
    if (a < b) {
        const double t = a;
        a = b;
        b = t;
    }
    if (a == detail::kInf) return a;
    if (a != a || b != b) return detail::kNaN;
    if (b == 0) return a;
    if (a > 0x1p500) {
        a *= 0x1p-600, b *= 0x1p-600;
        return std::sqrt(a * a + b * b) * 0x1p600;
    }
    if (a < 0x1p-500) {
        a *= 0x1p600, b *= 0x1p600;
        return std::sqrt(a * a + b * b) * 0x1p-600;
    }
    return std::sqrt(a * a + b * b);
}

// xorshift32 (shifts 13, 17, 5): fixed-seed pseudo-random bits, the same on
// every machine. A zero seed would stay zero, so it starts from 1 instead.
struct Xorshift32 {
    uint32_t state;

    explicit Xorshift32(uint32_t seed) : state(seed ? seed : 1u) {}
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // Uniform in [0, 1).
    double unit() { return next() / 4294967296.0; }
};

}  // namespace gm
