// Small helpers that modules in several folders share: the failure helper,
// reading decimal digits, the floored remainder and a stable hash. Not part of any module's
// interface.
//
// They live in the lowest folder so that every folder above it (image,
// raster, text, audio, platform) can reach them. Everything here is inline:
// including this header needs no link to quor_container.
#pragma once

#include <cstdint>

namespace common {

// A module's failure helper: calls the module's report function and gives the
// result the operation returns on failure, so that a failed check is one line.
// A module defines its own once,
//   constexpr common::Fail<img_error> img_fail{};
// and writes  if (!image) return img_fail(nullptr);  (or  return img_fail();
// in an operation that returns nothing).
template <void (*report)()>
struct Fail {
    void operator()() const { report(); }
    template <typename T>
    T operator()(T neutral) const {
        report();
        return neutral;
    }
};

// True for the decimal digits '0' to '9'; any other value (an end marker
// included) is not one.
constexpr bool is_digit(int c) {
    return c >= '0' && c <= '9';
}

// a mod n in 0 .. n - 1, also for a negative a (n >= 1): the remainder of the
// division rounded down, not toward zero.
constexpr int64_t floor_mod(int64_t a, int64_t n) {
    const int64_t m = a % n;
    return m < 0 ? m + n : m;
}

// What read_decimal does with a run whose value passes INT32_MAX.
enum class Overflow {
    wrap,  // value * 10 + digit taken modulo 2^32, as unsigned arithmetic does
    cap,   // the value stays at INT32_MAX; the rest of the run is read
    fail,  // reading stops on the digit that passes it and reports failure
};

// Reads the run of decimal digits that `in` stands on and leaves the first
// byte after it unread; no digit at all reads as 0. `in` is any reader with
// peek() (the next byte as 0 .. 255, or a negative value at the end) and
// next() (moves past that byte). False only for Overflow::fail, and then
// value is not set.
template <typename Reader>
bool read_decimal(Reader& in, Overflow overflow, uint32_t& value) {
    uint32_t wrapped = 0;
    int64_t exact = 0;  // never above INT32_MAX, so it cannot overflow
    for (int c = in.peek(); is_digit(c); c = in.peek()) {
        const int digit = c - '0';
        wrapped = wrapped * 10u + static_cast<uint32_t>(digit);
        exact = exact * 10 + digit;
        if (exact > INT32_MAX) {
            if (overflow == Overflow::fail) return false;
            exact = INT32_MAX;
        }
        in.next();
    }
    value = overflow == Overflow::wrap ? wrapped : static_cast<uint32_t>(exact);
    return true;
}

// Passes over the bytes before the next decimal digit of `in` (a reader as
// for read_decimal) and stops on that digit; false when the input ends first.
template <typename Reader>
bool skip_to_digit(Reader& in) {
    for (int c = in.peek(); !is_digit(c); c = in.peek()) {
        if (c < 0) return false;
        in.next();
    }
    return true;
}

// A zero-terminated text as a reader for read_decimal: the zero byte is its end.
struct TextReader {
    const char* at;

    int peek() const { return *at == '\0' ? -1 : static_cast<unsigned char>(*at); }
    void next() { ++at; }
};

// 64-bit FNV-1a, byte by byte: the same hash of the same bytes on every
// machine, for telling whether two builds embed or show the same.
class Fnv1a {
public:
    void add(const uint8_t* bytes, int64_t n) {
        for (int64_t i = 0; i < n; ++i)
            hash_ = (hash_ ^ bytes[i]) * 0x100000001B3ull;
    }
    uint64_t value() const { return hash_; }

private:
    uint64_t hash_ = 0xCBF29CE484222325ull;
};

}  // namespace common
