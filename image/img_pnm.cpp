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

#include "image/img.h"

namespace {

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
        if (here < 0 || fseek(file, 0, SEEK_END) != 0) return -1;
        const long end = ftell(file);
        if (fseek(file, here, SEEK_SET) != 0 || end < here) return -1;
        return static_cast<int64_t>(end - here) + (ahead >= 0 ? 1 : 0);
    }
};

bool is_digit(int b) {
    return b >= '0' && b <= '9';
}

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
            width = value, has_width = true;
        } else if (!has_height) {
            height = value, has_height = true;
        } else if (!has_maxval) {
            has_maxval = true;
        }
    }
};

enum class Scan { Ok, Ended, Bad };

// Reads a run of decimal digits starting at the current byte; the byte after
// the run is left unread. Bad when the value does not fit a signed 32-bit word.
template <typename Source>
Scan read_digits(Source& in, int64_t& value) {
    value = 0;
    for (int b = in.peek(); is_digit(b); b = in.peek()) {
        value = value * 10 + (b - '0');
        if (value > INT32_MAX) return Scan::Bad;
        in.next();
    }
    return Scan::Ok;
}

// The header scan. In memory a number's ending byte and a junk byte stay
// unread (so junk fills every missing field, one per pass) and one byte after
// the header is skipped; the file rules consume every byte examined.
template <typename Source>
Scan scan_header(Source& in, Header& h, bool file_rules) {
    while (!h.complete()) {
        const int b = in.peek();
        if (b == kEnd) return Scan::Ended;
        if (b < 33 || b > 126) {
            in.next();
            continue;
        }
        if (b == 'P' && h.type == 0) {
            in.next();
            const int t = in.peek();
            if (t == kEnd) return Scan::Ended;
            if (t < '1' || t > '6') return Scan::Bad;
            in.next();
            h.type = t - '0';
            if (h.type == 1 || h.type == 4) h.has_maxval = true;
            continue;
        }
        if (b == '#') {
            for (int c = in.peek(); c != '\n'; c = in.peek()) {
                if (c == kEnd) return Scan::Ended;
                in.next();
            }
            in.next();
            continue;
        }
        int64_t value = 0;
        if (is_digit(b)) {
            if (read_digits(in, value) == Scan::Bad) return Scan::Bad;
            if (file_rules && in.peek() != kEnd) in.next();
        } else if (file_rules || h.fields_full()) {
            // Junk counts as 0. Once no field is missing (no type met yet) it
            // is passed over, or the scan would stand on it for ever.
            in.next();
        }
        h.fill(value);
    }
    if (!file_rules) {
        if (in.peek() == kEnd) return Scan::Ended;
        in.next();
    }
    return Scan::Ok;
}

// The next decimal number of text pixel data: non-digit bytes before it are
// passed over. Ended when the input ends first, Bad when it overflows.
template <typename Source>
Scan next_number(Source& in, uint32_t& out) {
    int b = in.peek();
    while (b != kEnd && !is_digit(b)) {
        in.next();
        b = in.peek();
    }
    if (b == kEnd) return Scan::Ended;
    int64_t value = 0;
    if (read_digits(in, value) == Scan::Bad) return Scan::Bad;
    out = static_cast<uint32_t>(value);
    return Scan::Ok;
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

// Fills the image's pixels from the data that follows the header.
template <typename Source>
Scan read_pixels(Source& in, Image* image, int type, bool file_rules) {
    const int64_t w = image->width, h = image->height;
    uint32_t* p = image->pixels;
    switch (type) {
        case 6:
            for (int64_t i = 0; i < w * h; ++i) {
                const int r = in.raw(), g = in.raw(), b = in.raw();
                if (b == kEnd || g == kEnd || r == kEnd) return Scan::Ended;
                p[i] = static_cast<uint32_t>(r << 16 | g << 8 | b);
            }
            return Scan::Ok;
        case 5:
            for (int64_t i = 0; i < w * h; ++i) {
                const int g = in.raw();
                if (g == kEnd) return Scan::Ended;
                p[i] = static_cast<uint32_t>(g) * 0x010101u;
            }
            return Scan::Ok;
        case 4:
            // In memory the width is a multiple of 8, so the bits simply run on;
            // the file rules start every row on a new byte.
            for (int64_t y = 0, i = 0; y < h; ++y) {
                int byte = 0;
                for (int64_t x = 0; x < w; ++x, ++i) {
                    if ((file_rules ? x : i) % 8 == 0 && (byte = in.raw()) == kEnd)
                        return Scan::Ended;
                    p[i] = (byte >> (7 - (file_rules ? x : i) % 8)) & 1 ? 0xFFFFFFu : 0u;
                }
            }
            return Scan::Ok;
        case 3:
            for (int64_t i = 0; i < w * h; ++i) {
                uint32_t r = 0, g = 0, b = 0;
                Scan s = next_number(in, r);
                if (s == Scan::Ok) s = next_number(in, g);
                if (s == Scan::Ok) s = next_number(in, b);
                if (s != Scan::Ok) return s;
                p[i] = r << 16 | g << 8 | b;  // not limited to 255: spills over
            }
            return Scan::Ok;
        case 2:
            for (int64_t i = 0; i < w * h; ++i) {
                uint32_t g = 0;
                const Scan s = next_number(in, g);
                if (s != Scan::Ok) return s;
                p[i] = g << 16 | g << 8 | g;
            }
            return Scan::Ok;
        default:  // 1
            for (int64_t i = 0; i < w * h; ++i) {
                uint32_t v = 0;
                if (file_rules) {
                    const Scan s = next_number(in, v);  // a whole number per pixel
                    if (s != Scan::Ok) return s;
                } else {
                    int b = in.peek();  // one digit character per pixel
                    while (b != kEnd && !is_digit(b)) {
                        in.next();
                        b = in.peek();
                    }
                    if (b == kEnd) return Scan::Ended;
                    in.next();
                    v = static_cast<uint32_t>(b - '0');
                }
                p[i] = v != 0 ? 0xFFFFFFu : 0u;
            }
            return Scan::Ok;
    }
}

// The whole decode over one source: header, checks, image, pixels. Every
// failure (bad type, a size of 0 or too large, input that ends early, a
// number too large) reports once and gives null.
template <typename Source>
Image* decode(Source& in, bool file_rules) {
    Header h;
    if (scan_header(in, h, file_rules) != Scan::Ok) {
        img_error();
        return nullptr;
    }
    int64_t width = h.width;
    if (!file_rules && (h.type == 1 || h.type == 4)) width = (width + 7) / 8 * 8;
    if (width == 0 || h.height == 0 || width > INT32_MAX || width * h.height > INT32_MAX) {
        img_error();
        return nullptr;
    }
    // A picture that cannot fit the input left is refused before its buffer
    // is allocated, so a lying header cannot ask for gigabytes.
    const int64_t left = in.remaining();
    if (left >= 0 && least_data_bytes(h.type, width, h.height, file_rules) > left) {
        img_error();
        return nullptr;
    }
    Image* image = img_new();
    if (!image) return nullptr;
    img_resize(image, static_cast<int32_t>(width), static_cast<int32_t>(h.height));
    if (image->width != width || image->height != h.height) {
        img_free(&image);  // no memory for the pixels; the resize reported
        return nullptr;
    }
    if (read_pixels(in, image, h.type, file_rules) != Scan::Ok) {
        img_free(&image);
        img_error();
        return nullptr;
    }
    return image;
}

}  // namespace

Image* img_from_pnm(const uint8_t* data) {
    if (!data) {
        img_error();
        return nullptr;
    }
    MemorySource in{data, -1};
    return decode(in, false);
}

Image* img_from_pnm_length(const uint8_t* data, int64_t length) {
    if (!data || length < 0) {
        img_error();
        return nullptr;
    }
    MemorySource in{data, length};
    return decode(in, false);
}

Image* img_load_pnm(const char* path) {
    if (!path) {
        img_error();
        return nullptr;
    }
    FILE* file = fopen(path, "rb");
    if (!file) {
        img_error();
        return nullptr;
    }
    FileSource in{file};
    Image* image = decode(in, true);
    fclose(file);
    return image;
}
