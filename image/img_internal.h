// Helpers the IMG module's source files share; not part of its interface.
#pragma once

#include <cstdint>

#include "container/common.h"
#include "image/img.h"

// A failed check: reports an IMG error (img_error) and gives the result the
// operation returns on failure, so that a check is one line:
//   if (!image) return img_fail(nullptr);
inline constexpr common::Fail<img_error> img_fail{};

// A new zeroed width x height image at (0, 0). Null, with an IMG error, when
// the size is negative or has more pixels than 2^31 - 1, or memory runs out.
// With cleared false the pixels are left unset, for a caller that writes
// every one of them at once (a decoder, the rotation).
Image* img_new_sized(int32_t width, int32_t height, bool cleared = true);

// True when both images and both pixel buffers are present.
inline bool img_both_present(const Image* source, const Image* destination) {
    return source && destination && source->pixels && destination->pixels;
}

// True when (x, y) is a pixel of the image.
inline bool img_inside(const Image* image, int64_t x, int64_t y) {
    return x >= 0 && x < image->width && y >= 0 && y < image->height;
}

// Number of pixels of a present image, which its buffer holds (0 when width
// times height is negative).
inline int64_t img_pixel_count(const Image* image) {
    const int64_t n = static_cast<int64_t>(image->width) * image->height;
    return n > 0 ? n : 0;
}

// The next number of a text picture (the P3 form and its relatives): the
// non-digit bytes before it are passed over. False when the input ends first
// or the number does not fit a signed 32-bit word. `in` is a reader as for
// common::read_decimal.
template <typename Reader>
bool img_next_number(Reader& in, uint32_t& value) {
    if (!common::skip_to_digit(in)) return false;
    return common::read_decimal(in, common::Overflow::fail, value);
}

// The next pixel of a text picture: red, green and blue numbers. A number is
// not limited to 255: a larger one spills over into the channel above.
template <typename Reader>
bool img_next_text_pixel(Reader& in, uint32_t& pixel) {
    uint32_t r = 0;
    uint32_t g = 0;
    uint32_t b = 0;
    if (!img_next_number(in, r)) return false;
    if (!img_next_number(in, g)) return false;
    if (!img_next_number(in, b)) return false;
    pixel = r << 16 | g << 8 | b;
    return true;
}
