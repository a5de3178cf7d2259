// Decoding portable-anymap pictures (P1 to P6) into new Images, from memory
// and from files. One scanner serves all three readers; the rules in which the
// file reader differs (what a header byte consumes, bitmap widths, P1 digits)
// are switched by a flag.
//
// Bounds: every byte is read through a source that knows where its input
// ends, so no reader passes the end of its input. The one exception is the
// raw pixel data of img_from_pnm, which is given no length (see img.h).
#include <cstdint>
#include <cstdio>
#include <type_traits>

#include "container/common.h"
#include "container/vector_level.h"
#include "image/img.h"
#include "image/img_internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if QUOR_X86
#include <immintrin.h>
#endif

namespace {

using common::is_digit;
using common::Overflow;
using common::read_decimal;
using common::skip_to_digit;

constexpr int kEnd = -1;  // what a source returns once its input has ended

// Bytes in memory. A zero byte ends header and text data (it cannot occur in
// either); raw pixel data may hold any byte. A negative length means none is
// known: then only a zero byte ends text, and raw data is read as the header
// promises.
struct MemorySource {
    const uint8_t* data;
    int64_t length;
    int64_t pos = 0;

    int peek() const {
        if (length >= 0 && pos >= length) return kEnd;
        return data[pos] == 0 ? kEnd : data[pos];
    }
    void next() { ++pos; }
    int raw() {
        if (length >= 0 && pos >= length) return kEnd;
        return data[pos++];
    }
    // Bytes left, or -1 when unknown.
    int64_t remaining() const { return length >= 0 ? length - pos : -1; }
};

// Bytes of a file, read one at a time with one byte of look-ahead. Every byte
// value is data; only the end of the file ends it.
struct FileSource {
    FILE* file;
    int ahead = kNone;
    static constexpr int kNone = -2;

    int peek() {
        if (ahead == kNone) {
            const int c = getc(file);
            ahead = c == EOF ? kEnd : c;
        }
        return ahead;
    }
    void next() {
        if (ahead == kNone) peek();
        ahead = kNone;
    }
    int raw() {
        const int c = peek();
        ahead = kNone;
        return c;
    }
    // Bytes left in a regular file, or -1 when it cannot be told (a pipe).
    int64_t remaining() {
        const long here = ftell(file);
        if (here < 0) return -1;
        if (fseek(file, 0, SEEK_END) != 0) return -1;
        const long end = ftell(file);
        if (fseek(file, here, SEEK_SET) != 0) return -1;
        if (end < here) return -1;
        return static_cast<int64_t>(end - here) + (ahead >= 0 ? 1 : 0);
    }
};

// What the header gives: the type digit (0 until read) and the three numbers.
struct Header {
    int type = 0;
    int64_t width = 0, height = 0;
    bool has_width = false, has_height = false, has_maxval = false;

    bool complete() const { return type != 0 && has_width && has_height && has_maxval; }
    bool fields_full() const { return has_width && has_height && has_maxval; }
    // Puts value into the first field still missing; the maxval is not kept.
    void fill(int64_t value) {
        if (!has_width) {
            width = value;
            has_width = true;
        } else if (!has_height) {
            height = value;
            has_height = true;
        } else if (!has_maxval) {
            has_maxval = true;
        }
    }
};

// The header scan; false when the input ends inside the header, the type is
// not 1 to 6 or a number does not fit a signed 32-bit word. In memory a
// number's ending byte and a junk byte stay unread (so junk fills every
// missing field, one per pass) and one byte after the header is skipped; the
// file rules consume every byte examined.
template <typename Source>
bool scan_header(Source& in, Header& h, bool file_rules) {
    while (!h.complete()) {
        const int b = in.peek();
        if (b == kEnd) return false;
        if (b < 33 || b > 126) {
            in.next();
            continue;
        }
        if (b == 'P' && h.type == 0) {
            in.next();
            const int t = in.peek();
            if (t == kEnd) return false;
            if (t < '1' || t > '6') return false;
            in.next();
            h.type = t - '0';
            if (h.type == 1 || h.type == 4) h.has_maxval = true;
            continue;
        }
        if (b == '#') {
            for (int c = in.peek(); c != '\n'; c = in.peek()) {
                if (c == kEnd) return false;
                in.next();
            }
            in.next();
            continue;
        }
        uint32_t value = 0;
        if (is_digit(b)) {
            if (!read_decimal(in, Overflow::fail, value)) return false;
            if (file_rules && in.peek() != kEnd) in.next();
        } else if (file_rules || h.fields_full()) {
            // Junk counts as 0. Once no field is missing (no type met yet) it
            // is passed over, or the scan would stand on it for ever.
            in.next();
        }
        h.fill(value);
    }
    if (!file_rules) {
        if (in.peek() == kEnd) return false;
        in.next();
    }
    return true;
}

// The fewest input bytes that can hold the pixel data of the picture: raw
// types need their exact count, text types at least one digit per value.
int64_t least_data_bytes(int type, int64_t w, int64_t h, bool file_rules) {
    switch (type) {
        case 6:
        case 3:
            return 3 * w * h;
        case 4:
            return file_rules ? (w + 7) / 8 * h : w * h / 8;
        default:
            return w * h;
    }
}

// ---- Raw pixel data straight from memory ---------------------------------------
// In memory the raw types need no byte-by-byte reading: the length check in
// decode has made sure that every byte of the picture is there (and without a
// length the header is trusted, as documented). Each loop reads exactly the
// picture's bytes, never one past them.

// P6: n pixels of red, green, blue bytes.
void rgb_plain(uint32_t* out, const uint8_t* in, int64_t n) {
    for (int64_t i = 0; i < n; ++i, in += 3)
        out[i] = static_cast<uint32_t>(in[0]) << 16 | static_cast<uint32_t>(in[1]) << 8 | in[2];
}

// P4: each bit of n bytes, most significant first, a pixel: set is white.
void bits_plain(uint32_t* out, const uint8_t* in, int64_t n) {
    for (int64_t i = 0; i < n; ++i)
        for (int k = 0; k < 8; ++k)
            *out++ = (0u - ((static_cast<uint32_t>(in[i]) >> (7 - k)) & 1u)) & 0xFFFFFFu;
}

#if defined(__SSE2__)
void bits_sse2(uint32_t* out, const uint8_t* in, int64_t n) {
    const __m128i high = _mm_set_epi32(16, 32, 64, 128);
    const __m128i low = _mm_set_epi32(1, 2, 4, 8);
    const __m128i white = _mm_set1_epi32(0xFFFFFF);
    for (int64_t i = 0; i < n; ++i, out += 8) {
        const __m128i b = _mm_set1_epi32(in[i]);
        const __m128i h = _mm_cmpeq_epi32(_mm_and_si128(b, high), high);
        const __m128i l = _mm_cmpeq_epi32(_mm_and_si128(b, low), low);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_and_si128(h, white));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_and_si128(l, white));
    }
}
#endif

#if QUOR_X86
__attribute__((target("avx2"))) void bits_avx2(uint32_t* out, const uint8_t* in, int64_t n) {
    const __m256i bit = _mm256_set_epi32(1, 2, 4, 8, 16, 32, 64, 128);
    const __m256i white = _mm256_set1_epi32(0xFFFFFF);
    for (int64_t i = 0; i < n; ++i, out += 8) {
        const __m256i b = _mm256_set1_epi32(in[i]);
        const __m256i set = _mm256_cmpeq_epi32(_mm256_and_si256(b, bit), bit);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_and_si256(set, white));
    }
}

// Eight pixels a step: each 128-bit lane takes four pixels from a 16-byte
// load and moves their bytes into place. The loads reach 4 bytes past the 24
// a step uses, so the last pixels are left to the plain loop.
__attribute__((target("avx2"))) void rgb_avx2(uint32_t* out, const uint8_t* in, int64_t n) {
    const __m256i order = _mm256_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1,  //
                                           2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    int64_t i = 0;
    for (; (i + 8) * 3 + 4 <= n * 3; i += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * i + 12));
        const __m256i v = _mm256_inserti128_si256(_mm256_castsi128_si256(a), b, 1);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_shuffle_epi8(v, order));
    }
    rgb_plain(out + i, in + 3 * i, n - i);
}
#endif

void rgb_pixels(uint32_t* out, const uint8_t* in, int64_t n) {
#if QUOR_X86
    if (common::vector_level() >= common::VectorLevel::avx2) return rgb_avx2(out, in, n);
#endif
    rgb_plain(out, in, n);
}

void bit_pixels(uint32_t* out, const uint8_t* in, int64_t n) {
#if QUOR_X86
    if (common::vector_level() >= common::VectorLevel::avx2) return bits_avx2(out, in, n);
#endif
#if defined(__SSE2__)
    if (common::vector_level() >= common::VectorLevel::sse2) return bits_sse2(out, in, n);
#endif
    bits_plain(out, in, n);
}

// True for the raw types whose pixels read_raw_memory fills.
bool raw_in_memory(int type) {
    return type == 4 || type == 5 || type == 6;
}

// Fills every pixel of a raw picture from the bytes at the source's position.
void read_raw_memory(const MemorySource& in, Image* image, int type) {
    const uint8_t* data = in.data + in.pos;
    const int64_t n = img_pixel_count(image);
    uint32_t* p = image->pixels;
    if (type == 6) return rgb_pixels(p, data, n);
    if (type == 4) return bit_pixels(p, data, n / 8);  // the width is a multiple of 8
    for (int64_t i = 0; i < n; ++i)
        p[i] = static_cast<uint32_t>(data[i]) * 0x010101u;
}

// Fills the image's pixels from the data that follows the header; false when
// the input ends first or a text number does not fit a signed 32-bit word.
template <typename Source>
bool read_pixels(Source& in, Image* image, int type, bool file_rules) {
    const int64_t w = image->width, h = image->height;
    uint32_t* p = image->pixels;
    switch (type) {
        case 6:
            for (int64_t i = 0; i < w * h; ++i) {
                const int r = in.raw();
                const int g = in.raw();
                const int b = in.raw();
                if (r == kEnd) return false;
                if (g == kEnd) return false;
                if (b == kEnd) return false;
                p[i] = static_cast<uint32_t>(r << 16 | g << 8 | b);
            }
            return true;
        case 5:
            for (int64_t i = 0; i < w * h; ++i) {
                const int g = in.raw();
                if (g == kEnd) return false;
                p[i] = static_cast<uint32_t>(g) * 0x010101u;
            }
            return true;
        case 4:
            // In memory the width is a multiple of 8, so the bits simply run on;
            // the file rules start every row on a new byte.
            for (int64_t y = 0, i = 0; y < h; ++y) {
                int byte = 0;
                for (int64_t x = 0; x < w; ++x, ++i) {
                    const int64_t bit = (file_rules ? x : i) % 8;
                    if (bit == 0) byte = in.raw();
                    if (byte == kEnd) return false;
                    p[i] = (byte >> (7 - bit)) & 1 ? 0xFFFFFFu : 0u;
                }
            }
            return true;
        case 3:
            for (int64_t i = 0; i < w * h; ++i) {
                if (!img_next_text_pixel(in, p[i])) return false;
            }
            return true;
        case 2:
            for (int64_t i = 0; i < w * h; ++i) {
                uint32_t g = 0;
                if (!img_next_number(in, g)) return false;
                p[i] = g << 16 | g << 8 | g;
            }
            return true;
        default:  // 1
            for (int64_t i = 0; i < w * h; ++i) {
                uint32_t v = 0;
                if (file_rules) {
                    if (!img_next_number(in, v)) return false;  // a whole number per pixel
                } else {
                    // One digit character per pixel.
                    if (!skip_to_digit(in)) return false;
                    v = static_cast<uint32_t>(in.peek() - '0');
                    in.next();
                }
                p[i] = v != 0 ? 0xFFFFFFu : 0u;
            }
            return true;
    }
}

// The whole decode over one source: header, checks, image, pixels. Every
// failure (bad type, a size of 0 or too large, input that ends early, a
// number too large) reports once and gives null.
template <typename Source>
Image* decode(Source& in, bool file_rules) {
    Header h;
    if (!scan_header(in, h, file_rules)) return img_fail(nullptr);
    int64_t width = h.width;
    const bool bitmap = h.type == 1 || h.type == 4;
    if (bitmap && !file_rules) width = (width + 7) / 8 * 8;
    if (width == 0) return img_fail(nullptr);
    if (h.height == 0) return img_fail(nullptr);
    if (width > INT32_MAX) return img_fail(nullptr);
    if (width * h.height > INT32_MAX) return img_fail(nullptr);
    // A picture that cannot fit the input left is refused before its buffer
    // is allocated, so a lying header cannot ask for gigabytes. (-1: not known.)
    const int64_t left = in.remaining();
    const int64_t least = least_data_bytes(h.type, width, h.height, file_rules);
    const bool too_short = left >= 0 && least > left;
    if (too_short) return img_fail(nullptr);
    constexpr bool memory = std::is_same_v<Source, MemorySource>;
    const bool raw = memory && raw_in_memory(h.type);
    Image* image = img_new_sized(static_cast<int32_t>(width), static_cast<int32_t>(h.height), !raw);
    if (!image) return nullptr;  // no memory for the pixels; img_new_sized has reported
    if constexpr (memory) {
        if (raw) {
            read_raw_memory(in, image, h.type);
            return image;
        }
    }
    if (!read_pixels(in, image, h.type, file_rules)) {
        img_free(&image);
        return img_fail(nullptr);
    }
    return image;
}

}  // namespace

Image* img_from_pnm(const uint8_t* data) {
    if (!data) return img_fail(nullptr);
    MemorySource in{data, -1};
    return decode(in, false);
}

Image* img_from_pnm_length(const uint8_t* data, int64_t length) {
    if (!data) return img_fail(nullptr);
    if (length < 0) return img_fail(nullptr);
    MemorySource in{data, length};
    return decode(in, false);
}

Image* img_load_pnm(const char* path) {
    if (!path) return img_fail(nullptr);
    FILE* file = fopen(path, "rb");
    if (!file) return img_fail(nullptr);
    FileSource in{file};
    Image* image = decode(in, true);
    fclose(file);
    return image;
}
