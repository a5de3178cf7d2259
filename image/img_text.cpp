// The two output formats of an Image, fixed byte for byte, and the reader of
// one of them: PPM (P6) files with raw pixel bytes, and the IMG text form, a
// P3 picture wrapped in "IMG{" and "}".
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/img.h"

namespace {

// Number of pixels of a present image (0 for a negative product).
int64_t pixel_count(const Image* image) {
    const int64_t n = static_cast<int64_t>(image->width) * image->height;
    return n > 0 ? n : 0;
}

// Writes v (0 to 255) right-aligned in three characters, as "%3d" does.
char* put3(char* out, uint32_t v) {
    out[0] = v >= 100 ? static_cast<char>('0' + v / 100) : ' ';
    out[1] = v >= 10 ? static_cast<char>('0' + v / 10 % 10) : ' ';
    out[2] = static_cast<char>('0' + v % 10);
    return out + 3;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the run of digits at text[pos] (0 when there is none) and moves pos
// past it. False when the value does not fit a signed 32-bit word.
bool read_run(const char* text, size_t& pos, int64_t& value) {
    value = 0;
    while (is_digit(text[pos])) {
        value = value * 10 + (text[pos] - '0');
        if (value > INT32_MAX) return false;
        ++pos;
    }
    return true;
}

// Skips one byte unless the text has ended there; false when it has.
bool skip_one(const char* text, size_t& pos) {
    if (text[pos] == '\0') return false;
    ++pos;
    return true;
}

// The next pixel value: non-digits passed over, then a run of digits. False
// when the text ends first or the value overflows.
bool next_value(const char* text, size_t& pos, uint32_t& out) {
    while (text[pos] != '\0' && !is_digit(text[pos]))
        ++pos;
    if (text[pos] == '\0') return false;
    int64_t value = 0;
    if (!read_run(text, pos, value)) return false;
    out = static_cast<uint32_t>(value);
    return true;
}

}  // namespace

int32_t img_save_ppm(const Image* image, const char* path) {
    if (!image || !image->pixels || !path || image->width == 0 || image->height == 0) {
        img_error();
        return 0;
    }
    FILE* file = fopen(path, "w");
    if (!file) {
        img_error();
        return 0;
    }
    bool ok = fprintf(file, "P6\n%d %d\n255\n", image->width, image->height) > 0;
    // Rows are turned into bytes in a small buffer and written a row at a time.
    const int64_t width = image->width > 0 ? image->width : 0;
    const int64_t rows = pixel_count(image) > 0 ? image->height : 0;
    uint8_t* row = static_cast<uint8_t*>(malloc(static_cast<size_t>(width) * 3 + 1));
    ok = ok && row;
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
    // A write that fails (a full disk) is a failure, not a written file.
    if (fclose(file) != 0) ok = false;
    if (!ok) {
        img_error();
        return 0;
    }
    return 1;
}

char* img_to_text(const Image* image) {
    if (!image || !image->pixels) {
        img_error();
        return nullptr;
    }
    const int64_t n = pixel_count(image);
    if (n == 0) {
        char* empty = static_cast<char*>(malloc(6));
        if (!empty) {
            img_error();
            return nullptr;
        }
        memcpy(empty, "IMG{}", 6);
        return empty;
    }
    char header[64];
    const int head =
        snprintf(header, sizeof header, "IMG{\nP3\n%d %d\n255\n", image->width, image->height);
    // 12 characters per pixel, "}\n" and the terminating zero.
    const int64_t size = head + 12 * n + 2 + 1;
    char* text = static_cast<char*>(malloc(static_cast<size_t>(size)));
    if (!text) {
        img_error();
        return nullptr;
    }
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
    if (!text || !pattern) {
        img_error();
        return 0;
    }
    if (*text == '\0' || *pattern == '\0') return 0;
    // NOTE: a mismatch restarts the search at the next byte, so the first
    // occurrence anywhere in the text is found.
    const char* found = strstr(text, pattern);
    if (!found) return 0;
    const int64_t after = (found - text) + static_cast<int64_t>(strlen(pattern));
    return after <= INT32_MAX ? static_cast<int32_t>(after) : 0;
}

Image* img_from_text(const char* text) {
    if (!text) {
        img_error();
        return nullptr;
    }
    const int32_t a = img_find_after(text, "IMG");
    const int32_t b = a ? img_find_after(text + a, "{") : 0;
    const int32_t c = b ? img_find_after(text + a + b, "P3\n") : 0;
    if (c == 0) {
        img_error();
        return nullptr;
    }
    size_t pos = static_cast<size_t>(a) + b + c;
    int64_t width = 0, height = 0, maxval = 0;
    bool ok = read_run(text, pos, width) && skip_one(text, pos) && read_run(text, pos, height) &&
              skip_one(text, pos) && read_run(text, pos, maxval) && skip_one(text, pos);
    // Every pixel needs at least three digits: a size the rest of the text
    // cannot hold is refused before its buffer is allocated.
    // (width and height are at most 2^31 - 1 each, so their product fits 64 bits.)
    ok = ok && width * height <= static_cast<int64_t>(strlen(text + pos)) / 3;
    if (!ok) {
        img_error();
        return nullptr;
    }
    Image* image = img_new();
    if (!image) return nullptr;
    img_resize(image, static_cast<int32_t>(width), static_cast<int32_t>(height));
    if (image->width != width || image->height != height) {
        img_free(&image);  // the resize has reported
        return nullptr;
    }
    uint32_t* p = image->pixels;
    for (int64_t i = 0; i < width * height; ++i) {
        uint32_t r = 0, g = 0, bl = 0;
        if (!next_value(text, pos, r) || !next_value(text, pos, g) || !next_value(text, pos, bl)) {
            img_free(&image);
            img_error();
            return nullptr;
        }
        p[i] = r << 16 | g << 8 | bl;  // not limited to 255: spills over
    }
    return image;
}
