// Small effects on a whole Image or Sample, or on one number.
#include <cstdlib>

#include "audio/sample.h"
#include "image/img.h"
#include "program/demo.h"

namespace {

bool usable(const Image* image) {
    return image && image->pixels && image->width >= 0 && image->height >= 0;
}

bool usable(const Sample* sample) {
    return sample && sample->data && sample->length >= 0 && sample->length <= sample->capacity;
}

int64_t pixel_count(const Image* image) {
    return int64_t{image->width} * image->height;
}

}  // namespace

int32_t demo_mod(int32_t a, int32_t n) {
    if (n <= 0) {
        img_error();
        return 0;
    }
    const int32_t r = a % n;  // n > 0, so no overflow: r lies in -(n-1) .. n-1
    return r < 0 ? r + n : r;
}

void demo_replace_colour(Image* image, uint32_t old_colour, uint32_t new_colour) {
    if (!usable(image)) return img_error();
    const int64_t n = pixel_count(image);
    for (int64_t i = 0; i < n; ++i)
        if (image->pixels[i] == old_colour) image->pixels[i] = new_colour;
}

void demo_rotate_pixels(Image* image, int32_t n) {
    if (!usable(image)) return img_error();
    const uint32_t k = static_cast<uint32_t>(demo_mod(n, 32));
    if (k == 0) return;
    const int64_t count = pixel_count(image);
    for (int64_t i = 0; i < count; ++i) {
        const uint32_t p = image->pixels[i];
        image->pixels[i] = (p << k) | (p >> (32 - k));
    }
}

void demo_sine_fill(Sample* sample) {
    if (!usable(sample)) return img_error();
    const int32_t length = sample->length;
    if (length < 1) return;
    const int32_t step = (img_sine_table.count * 65536) / length;
    int32_t position = 0;  // 16.16; stays below 1024 << 16
    for (int32_t i = 0; i < length; ++i) {
        sample->data[i] = img_sine_table.values[position >> 16];
        position += step;
    }
}

void demo_noise_fill(Sample* sample) {
    if (!usable(sample)) return img_error();
    for (int32_t i = sample->length - 1; i >= 0; --i)
        sample->data[i] = (demo_rand() & 0xFFFF) - 32768;
}
