// The Image record: creation, release, resizing, pixel access and the
// operations that work on a whole image as one linear run of pixels.
#include "image/img.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

uint8_t img_error_switch = 0;

const char* const img_ident[5] = {"IMG     ", "20261206", "Vandrell", "C++     ", "CODE    "};

namespace {

// Pixel count of a width x height image, or -1 when the size cannot stand:
// negative, or more pixels than a signed 32-bit index can address.
int64_t pixel_count(int32_t width, int32_t height) {
    if (width < 0 || height < 0) return -1;
    const int64_t n = static_cast<int64_t>(width) * height;
    if (n > INT32_MAX) return -1;
    return n;
}

// A zeroed buffer for n pixels; never a zero-sized request, so an empty image
// still has a buffer and reads as "present" to every operation.
uint32_t* alloc_pixels(int64_t n) {
    return static_cast<uint32_t*>(calloc(static_cast<size_t>(n > 0 ? n : 1), sizeof(uint32_t)));
}

// Number of pixels in a present image (its buffer holds exactly this many).
int64_t image_size(const Image* image) {
    const int64_t n = static_cast<int64_t>(image->width) * image->height;
    return n > 0 ? n : 0;
}

}  // namespace

void img_error() {
    if (img_error_switch) printf("IMG error\n");
}

Image* img_new() {
    Image* image = static_cast<Image*>(calloc(1, sizeof(Image)));
    if (!image) {
        img_error();
        return nullptr;
    }
    image->pixels = alloc_pixels(16 * 16);
    if (!image->pixels) {
        free(image);
        img_error();
        return nullptr;
    }
    image->width = 16;
    image->height = 16;
    return image;
}

void img_free(Image** image) {
    if (!image || !*image) {
        img_error();
        return;
    }
    free((*image)->pixels);
    free(*image);
    *image = nullptr;
}

void img_resize(Image* image, int32_t width, int32_t height) {
    if (!image) {
        img_error();
        return;
    }
    const int64_t n = pixel_count(width, height);
    if (n < 0) {
        img_error();
        return;
    }
    uint32_t* pixels = alloc_pixels(n);
    if (!pixels) {
        img_error();
        return;
    }
    free(image->pixels);
    image->pixels = pixels;
    image->width = width;
    image->height = height;
}

uint32_t img_get_pixel(const Image* image, int32_t x, int32_t y) {
    if (!image || !image->pixels) {
        img_error();
        return 0;
    }
    if (x < 0 || x >= image->width || y < 0 || y >= image->height) return 0;
    return image->pixels[static_cast<int64_t>(y) * image->width + x];
}

void img_put_pixel(Image* image, int32_t x, int32_t y, uint32_t colour) {
    if (!image || !image->pixels) {
        img_error();
        return;
    }
    if (x < 0 || x >= image->width || y < 0 || y >= image->height) return;
    image->pixels[static_cast<int64_t>(y) * image->width + x] = colour;
}

void img_clear(Image* image) {
    if (!image || !image->pixels) {
        img_error();
        return;
    }
    memset(image->pixels, 0, static_cast<size_t>(image_size(image)) * sizeof(uint32_t));
}

void img_fade(Image* image, uint32_t colour) {
    if (!image) {
        img_error();
        return;
    }
    if (!image->pixels) return;
    // A per-byte saturating subtraction over the buffer's bytes, against the
    // colour's bytes in memory order with 255 in the top byte's place (which
    // brings every top byte to 0). max(b, k) - k on bytes in fixed blocks of
    // 64 is what the compiler turns into packed max and subtract instructions.
    const uint32_t key = (colour & 0xFFFFFF) | 0xFF000000u;
    uint8_t k[64];
    for (int j = 0; j < 64; j += 4)
        memcpy(k + j, &key, 4);
    uint8_t* b = reinterpret_cast<uint8_t*>(image->pixels);
    const int64_t bytes = image_size(image) * 4;
    int64_t i = 0;
    for (; i + 64 <= bytes; i += 64)
        for (int j = 0; j < 64; ++j)
            b[i + j] = static_cast<uint8_t>((b[i + j] > k[j] ? b[i + j] : k[j]) - k[j]);
    for (; i < bytes; ++i)
        b[i] = static_cast<uint8_t>((b[i] > k[i & 63] ? b[i] : k[i & 63]) - k[i & 63]);
}

void img_copy(const Image* source, Image* destination) {
    if (!source || !destination || !source->pixels || !destination->pixels) {
        img_error();
        return;
    }
    if (source->width != destination->width || source->height != destination->height) {
        img_error();
        return;
    }
    memcpy(destination->pixels, source->pixels,
           static_cast<size_t>(image_size(source)) * sizeof(uint32_t));
}

Image* img_clone(const Image* image) {
    if (!image) {
        img_error();
        return nullptr;
    }
    Image* clone = img_new();
    if (!clone) return nullptr;
    img_resize(clone, image->width, image->height);
    if (clone->width != image->width || clone->height != image->height) {
        img_free(&clone);  // the resize could not be made; it has reported
        return nullptr;
    }
    if (image->pixels)
        memcpy(clone->pixels, image->pixels,
               static_cast<size_t>(image_size(image)) * sizeof(uint32_t));
    return clone;
}

int32_t img_equal(const Image* a, const Image* b) {
    // NOTE: equality is a result, not a failure: it is not reported.
    if (!a || !b) {
        img_error();
        return 0;
    }
    if (a->width != b->width || a->height != b->height) return 0;
    const int64_t n = static_cast<int64_t>(a->width) * a->height;
    if (n < 0) return 0;
    if (n == 0) return 1;
    if (!a->pixels || !b->pixels) return 0;
    return memcmp(a->pixels, b->pixels, static_cast<size_t>(n) * sizeof(uint32_t)) == 0 ? 1 : 0;
}

void img_and_mask(const Image* mask, Image* destination) {
    if (!mask || !destination) {
        img_error();
        return;
    }
    if (!mask->pixels || !destination->pixels) return;
    const int64_t n = image_size(mask);
    // NOTE: indices are matched, not coordinates; a destination with fewer
    // pixels than the mask is masked only over its own pixels.
    const int64_t limit = n < image_size(destination) ? n : image_size(destination);
    for (int64_t k = 0; k < limit; ++k)
        destination->pixels[k] &= mask->pixels[k];
}
