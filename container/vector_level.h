// Which vector instructions the hot loops of the image and audio modules may
// use. The program is built for baseline x86-64 (SSE2); AVX2 (and, for the
// transparent copy, AVX-512) loops are compiled as separate functions for
// that target and chosen at run time only when the processor has it, so the program runs on any
// x86-64 (and builds for 32-bit x86 and other processors, where the plain loops serve).
//
// Tests lower the level to check every path against the plain one.
// Not part of any module's interface; inline, like common.h.
#pragma once

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define QUOR_X86 1
#else
#define QUOR_X86 0
#endif

namespace common {

enum class VectorLevel {
    plain = 0,   // scalar C++ only
    sse2 = 1,    // the baseline vector loops (built only where __SSE2__ is on)
    avx2 = 2,    // the wider loops, when the processor has AVX2
    avx512 = 3,  // AVX-512 (foundation) as well: masked stores
};

// The best level this build and this processor offer.
inline VectorLevel detected_vector_level() {
#if QUOR_X86
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f"))
        return VectorLevel::avx512;
    if (__builtin_cpu_supports("avx2")) return VectorLevel::avx2;
#endif
#if defined(__SSE2__)
    return VectorLevel::sse2;
#else
    return VectorLevel::plain;
#endif
}

// The level in force: the detected one unless a test has lowered it.
inline VectorLevel& vector_level() {
    static VectorLevel level = detected_vector_level();
    return level;
}

}  // namespace common
