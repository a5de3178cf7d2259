// The Image record: creation, release, resizing, pixel access and the
// operations that work on a whole image as one linear run of pixels.
#include "image/img.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "container/vector_level.h"
#include "image/img_internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if QUOR_X86
#include <immintrin.h>
#endif

uint8_t img_error_switch = 0;

const char* const img_ident[5] = {"IMG     ", "20261206", "Vandrell", "C++     ", "CODE    "};

namespace {

// Pixel count of a width x height image, or -1 when the size cannot stand:
// negative, or more pixels than a signed 32-bit index can address.
int64_t pixel_count(int32_t width, int32_t height) {
    if (width < 0) return -1;
    if (height < 0) return -1;
    const int64_t n = static_cast<int64_t>(width) * height;
    if (n > INT32_MAX) return -1;
    return n;
}

// A zeroed buffer for n pixels (unset when cleared is false); never a
// zero-sized request, so an empty image still has a buffer and reads as
// "present" to every operation.
uint32_t* alloc_pixels(int64_t n, bool cleared = true) {
    const size_t count = static_cast<size_t>(n > 0 ? n : 1);
    if (!cleared) return static_cast<uint32_t*>(malloc(count * sizeof(uint32_t)));
    return static_cast<uint32_t*>(calloc(count, sizeof(uint32_t)));
}

// Bytes of the pixels of a present image.
size_t pixel_bytes(const Image* image) {
    return static_cast<size_t>(img_pixel_count(image)) * sizeof(uint32_t);
}

// The fade's rule, max(b, k) - k on every byte, from the start of a pixel:
// k is the key's byte in the same place of its word.
void fade_plain(uint8_t* b, int64_t bytes, uint32_t key) {
    uint8_t k[64];
    for (int j = 0; j < 64; j += 4)
        memcpy(k + j, &key, 4);
    int64_t i = 0;
    // In fixed blocks of 64 the compiler turns it into packed max and subtract.
    for (; i + 64 <= bytes; i += 64)
        for (int j = 0; j < 64; ++j)
            b[i + j] = static_cast<uint8_t>((b[i + j] > k[j] ? b[i + j] : k[j]) - k[j]);
    for (; i < bytes; ++i)
        b[i] = static_cast<uint8_t>((b[i] > k[i & 63] ? b[i] : k[i & 63]) - k[i & 63]);
}

// The same with the saturating byte subtraction instruction, 64 bytes a
// step; gives the bytes it has done (a multiple of 64).
#if defined(__SSE2__)
int64_t fade_sse2(uint8_t* b, int64_t bytes, uint32_t key) {
    const __m128i k = _mm_set1_epi32(static_cast<int32_t>(key));
    int64_t i = 0;
    for (; i + 64 <= bytes; i += 64)
        for (int j = 0; j < 64; j += 16) {
            __m128i* p = reinterpret_cast<__m128i*>(b + i + j);
            _mm_storeu_si128(p, _mm_subs_epu8(_mm_loadu_si128(p), k));
        }
    return i;
}
#endif
#if QUOR_X86
__attribute__((target("avx2"))) int64_t fade_avx2(uint8_t* b, int64_t bytes, uint32_t key) {
    const __m256i k = _mm256_set1_epi32(static_cast<int32_t>(key));
    int64_t i = 0;
    for (; i + 128 <= bytes; i += 128)
        for (int j = 0; j < 128; j += 32) {
            __m256i* p = reinterpret_cast<__m256i*>(b + i + j);
            _mm256_storeu_si256(p, _mm256_subs_epu8(_mm256_loadu_si256(p), k));
        }
    return i;
}
#endif

// Images of up to kInlinePixels pixels (img_new's 16 x 16 among them) take
// their first buffer in the same block as the record, one allocation instead
// of two; the pixels start 32 bytes in, as aligned as malloc's own blocks. A
// later img_resize moves the pixels to a buffer of their own and leaves the
// inline space unused until img_free.
constexpr int64_t kInlinePixels = 256;
constexpr size_t kRecordBytes = 32;
static_assert(sizeof(Image) <= kRecordBytes);

uint32_t* inline_pixels(Image* image) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<unsigned char*>(image) + kRecordBytes);
}

// Frees the image's buffer unless it lives in the record's block.
void free_pixels(Image* image) {
    if (image->pixels != inline_pixels(image)) free(image->pixels);
}

}  // namespace

Image* img_new_sized(int32_t width, int32_t height, bool cleared) {
    const int64_t n = pixel_count(width, height);
    if (n < 0) return img_fail(nullptr);
    if (n <= kInlinePixels) {
        const size_t bytes = kRecordBytes + static_cast<size_t>(n > 0 ? n : 1) * sizeof(uint32_t);
        Image* image = static_cast<Image*>(calloc(1, bytes));
        if (!image) return img_fail(nullptr);
        image->pixels = inline_pixels(image);
        image->width = width;
        image->height = height;
        return image;
    }
    Image* image = static_cast<Image*>(calloc(1, sizeof(Image)));
    if (!image) return img_fail(nullptr);
    image->pixels = alloc_pixels(n, cleared);
    if (!image->pixels) {
        free(image);
        return img_fail(nullptr);
    }
    image->width = width;
    image->height = height;
    return image;
}

void img_error() {
    if (img_error_switch) printf("IMG error\n");
}

Image* img_new() {
    return img_new_sized(16, 16);
}

void img_free(Image** image) {
    if (!image) return img_fail();
    if (!*image) return img_fail();
    free_pixels(*image);
    free(*image);
    *image = nullptr;
}

void img_resize(Image* image, int32_t width, int32_t height) {
    if (!image) return img_fail();
    const int64_t n = pixel_count(width, height);
    if (n < 0) return img_fail();
    uint32_t* pixels = alloc_pixels(n);
    if (!pixels) return img_fail();
    free_pixels(image);
    image->pixels = pixels;
    image->width = width;
    image->height = height;
}

uint32_t img_get_pixel(const Image* image, int32_t x, int32_t y) {
    if (!image) return img_fail(0u);
    if (!image->pixels) return img_fail(0u);
    if (!img_inside(image, x, y)) return 0;
    return image->pixels[static_cast<int64_t>(y) * image->width + x];
}

void img_put_pixel(Image* image, int32_t x, int32_t y, uint32_t colour) {
    if (!image) return img_fail();
    if (!image->pixels) return img_fail();
    if (!img_inside(image, x, y)) return;
    image->pixels[static_cast<int64_t>(y) * image->width + x] = colour;
}

void img_clear(Image* image) {
    if (!image) return img_fail();
    if (!image->pixels) return img_fail();
    memset(image->pixels, 0, pixel_bytes(image));
}

void img_fade(Image* image, uint32_t colour) {
    if (!image) return img_fail();
    if (!image->pixels) return;
    // A per-byte saturating subtraction over the buffer's bytes, against the
    // colour's bytes in memory order with 255 in the top byte's place (which
    // brings every top byte to 0).
    const uint32_t key = (colour & 0xFFFFFF) | 0xFF000000u;
    uint8_t* b = reinterpret_cast<uint8_t*>(image->pixels);
    const int64_t bytes = img_pixel_count(image) * 4;
    int64_t i = 0;
#if QUOR_X86
    if (common::vector_level() >= common::VectorLevel::avx2) i = fade_avx2(b, bytes, key);
#endif
#if defined(__SSE2__)
    if (i == 0 && common::vector_level() >= common::VectorLevel::sse2) i = fade_sse2(b, bytes, key);
#endif
    fade_plain(b + i, bytes - i, key);
}

void img_copy(const Image* source, Image* destination) {
    if (!img_both_present(source, destination)) return img_fail();
    if (source->width != destination->width) return img_fail();
    if (source->height != destination->height) return img_fail();
    memcpy(destination->pixels, source->pixels, pixel_bytes(source));
}

Image* img_clone(const Image* image) {
    if (!image) return img_fail(nullptr);
    Image* clone = img_new_sized(image->width, image->height);
    if (!clone) return nullptr;  // img_new_sized has reported
    if (image->pixels) memcpy(clone->pixels, image->pixels, pixel_bytes(image));
    return clone;
}

int32_t img_equal(const Image* a, const Image* b) {
    // NOTE: equality is a result, not a failure: it is not reported.
    if (!a) return img_fail(0);
    if (!b) return img_fail(0);
    if (a->width != b->width) return 0;
    if (a->height != b->height) return 0;
    const int64_t n = static_cast<int64_t>(a->width) * a->height;
    if (n < 0) return 0;
    if (n == 0) return 1;
    if (!a->pixels) return 0;
    if (!b->pixels) return 0;
    return memcmp(a->pixels, b->pixels, static_cast<size_t>(n) * sizeof(uint32_t)) == 0 ? 1 : 0;
}

void img_and_mask(const Image* mask, Image* destination) {
    if (!mask) return img_fail();
    if (!destination) return img_fail();
    if (!mask->pixels) return;
    if (!destination->pixels) return;
    // NOTE: indices are matched, not coordinates; a destination with fewer
    // pixels than the mask is masked only over its own pixels.
    const int64_t limit = std::min(img_pixel_count(mask), img_pixel_count(destination));
    for (int64_t k = 0; k < limit; ++k)
        destination->pixels[k] &= mask->pixels[k];
}
