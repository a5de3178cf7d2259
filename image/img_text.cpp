// The two output formats of an Image, fixed byte for byte, and the reader of
// one of them: PPM (P6) files with raw pixel bytes, and the IMG text form, a
// P3 picture wrapped in "IMG{" and "}".
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "container/common.h"
#include "image/img.h"
#include "image/img_internal.h"

namespace {

using common::Overflow;
using common::read_decimal;
using common::TextReader;

// Writes v (0 to 255) right-aligned in three characters, as "%3d" does.
char* put3(char* out, uint32_t v) {
    out[0] = v >= 100 ? static_cast<char>('0' + v / 100) : ' ';
    out[1] = v >= 10 ? static_cast<char>('0' + v / 10 % 10) : ' ';
    out[2] = static_cast<char>('0' + v % 10);
    return out + 3;
}

// Writes the P6 header and the pixels' bytes, a row at a time through a small
// buffer; false when a write fails or no buffer can be had.
bool write_ppm(FILE* file, const Image* image) {
    if (fprintf(file, "P6\n%d %d\n255\n", image->width, image->height) <= 0) return false;
    const int64_t width = image->width > 0 ? image->width : 0;
    const int64_t rows = img_pixel_count(image) > 0 ? image->height : 0;
    uint8_t* row = static_cast<uint8_t*>(malloc(static_cast<size_t>(width) * 3 + 1));
    if (!row) return false;
    bool ok = true;
    for (int64_t y = 0; ok && y < rows; ++y) {
        const uint32_t* p = image->pixels + y * width;
        for (int64_t x = 0; x < width; ++x) {
            row[3 * x] = static_cast<uint8_t>(p[x] >> 16);
            row[3 * x + 1] = static_cast<uint8_t>(p[x] >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(p[x]);
        }
        ok = fwrite(row, 3, static_cast<size_t>(width), file) == static_cast<size_t>(width);
    }
    free(row);
    return ok;
}

// A malloc'ed copy of text, or null.
char* copy_text(const char* text) {
    const size_t size = strlen(text) + 1;
    char* copy = static_cast<char*>(malloc(size));
    if (copy) memcpy(copy, text, size);
    return copy;
}

// Reads a number of the header line and the one byte after it; false when the
// number does not fit a signed 32-bit word or the text ends before that byte.
bool header_number(TextReader& in, uint32_t& value) {
    if (!read_decimal(in, Overflow::fail, value)) return false;
    if (in.peek() < 0) return false;
    in.next();
    return true;
}

}  // namespace

int32_t img_save_ppm(const Image* image, const char* path) {
    if (!image) return img_fail(0);
    if (!image->pixels) return img_fail(0);
    if (!path) return img_fail(0);
    if (image->width == 0) return img_fail(0);
    if (image->height == 0) return img_fail(0);
    FILE* file = fopen(path, "w");
    if (!file) return img_fail(0);
    const bool written = write_ppm(file, image);
    // A write that fails (a full disk) is a failure, not a written file.
    const bool closed = fclose(file) == 0;
    if (!written) return img_fail(0);
    if (!closed) return img_fail(0);
    return 1;
}

char* img_to_text(const Image* image) {
    if (!image) return img_fail(nullptr);
    if (!image->pixels) return img_fail(nullptr);
    const int64_t n = img_pixel_count(image);
    if (n == 0) {
        char* empty = copy_text("IMG{}");
        if (!empty) return img_fail(nullptr);
        return empty;
    }
    char header[64];
    const int head =
        snprintf(header, sizeof header, "IMG{\nP3\n%d %d\n255\n", image->width, image->height);
    // 12 characters per pixel, "}\n" and the terminating zero.
    const int64_t size = head + 12 * n + 2 + 1;
    char* text = static_cast<char*>(malloc(static_cast<size_t>(size)));
    if (!text) return img_fail(nullptr);
    memcpy(text, header, static_cast<size_t>(head));
    char* out = text + head;
    for (int64_t i = 0; i < n; ++i) {
        const uint32_t p = image->pixels[i];
        out = put3(out, (p >> 16) & 0xFF);
        *out++ = ' ';
        out = put3(out, (p >> 8) & 0xFF);
        *out++ = ' ';
        out = put3(out, p & 0xFF);
        // Six pixels a line; the last pixel ends its line too.
        *out++ = (i + 1) % 6 == 0 || i + 1 == n ? '\n' : ' ';
    }
    memcpy(out, "}\n", 3);
    return text;
}

int32_t img_find_after(const char* text, const char* pattern) {
    if (!text) return img_fail(0);
    if (!pattern) return img_fail(0);
    if (*text == '\0') return 0;
    if (*pattern == '\0') return 0;
    // NOTE: a mismatch restarts the search at the next byte, so the first
    // occurrence anywhere in the text is found.
    const char* found = strstr(text, pattern);
    if (!found) return 0;
    const int64_t after = (found - text) + static_cast<int64_t>(strlen(pattern));
    return after <= INT32_MAX ? static_cast<int32_t>(after) : 0;
}

Image* img_from_text(const char* text) {
    if (!text) return img_fail(nullptr);
    const int32_t a = img_find_after(text, "IMG");
    if (a == 0) return img_fail(nullptr);
    const int32_t b = img_find_after(text + a, "{");
    if (b == 0) return img_fail(nullptr);
    const int32_t c = img_find_after(text + a + b, "P3\n");
    if (c == 0) return img_fail(nullptr);
    TextReader in{text + a + b + c};
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t maxval = 0;
    if (!header_number(in, width)) return img_fail(nullptr);
    if (!header_number(in, height)) return img_fail(nullptr);
    if (!header_number(in, maxval)) return img_fail(nullptr);
    // Every pixel needs at least three digits: a size the rest of the text
    // cannot hold is refused before its buffer is allocated.
    // (width and height are at most 2^31 - 1 each, so their product fits 64 bits.)
    const int64_t pixels = int64_t{width} * height;
    if (pixels > static_cast<int64_t>(strlen(in.at)) / 3) return img_fail(nullptr);
    Image* image = img_new_sized(static_cast<int32_t>(width), static_cast<int32_t>(height));
    if (!image) return nullptr;  // img_new_sized has reported
    for (int64_t i = 0; i < pixels; ++i) {
        if (!img_next_text_pixel(in, image->pixels[i])) {
            img_free(&image);
            return img_fail(nullptr);
        }
    }
    return image;
}
