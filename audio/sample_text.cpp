// The SAMPLE text form, raw PCM writing and reading, and the small utilities
// (sign extension, text length, case-blind word match).
#include "audio/sample.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "audio/sample_internal.h"
#include "container/common.h"

namespace {

using common::is_digit;
using common::Overflow;

// Longest decimal form of a value, "-2147483648", plus its newline.
constexpr size_t max_value_chars = 12;

// Reads the run of digits at *p by the overflow rule; *p ends after the run.
uint32_t read_run(const char** p, Overflow overflow) {
    common::TextReader in{*p};
    uint32_t n = 0;
    common::read_decimal(in, overflow, n);
    *p = in.at;
    return n;
}

// Reads up to count values from s into values; returns how many it found
// before the text ended.
int32_t read_values(const char* s, int32_t* values, int32_t count) {
    int32_t n = 0;
    while (n < count && *s) {
        // Each value wraps modulo 2^32, as value * 10 + digit does unsigned.
        if (is_digit(*s)) {
            values[n++] = static_cast<int32_t>(read_run(&s, Overflow::wrap));
        } else if (*s == '-' && is_digit(s[1])) {
            ++s;
            values[n++] = static_cast<int32_t>(0u - read_run(&s, Overflow::wrap));
        } else if (*s == '-') {
            values[n++] = 0;  // a lone minus stands for one zero value
            ++s;
        } else {
            ++s;
        }
    }
    return n;
}

// The bytes of one value at the given depth and order; returns their count.
int encode(int32_t v, int32_t depth, char order, uint8_t* out) {
    const bool big = order == 'b';
    if (depth == 8) {
        out[0] = static_cast<uint8_t>(std::clamp(v, -128, 127));
        return 1;
    }
    int bytes = 2;
    if (depth == 24) {
        v = std::clamp(v, -8388608, 8388607);
        bytes = 3;
    } else if (depth == 32) {
        if (v == INT32_MIN) v = -INT32_MAX;
        bytes = 4;
    } else {
        v = std::clamp(v, -32768, 32767);
    }
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < bytes; ++i) {
        const int shift = 8 * (big ? bytes - 1 - i : i);
        out[i] = static_cast<uint8_t>(u >> shift);
    }
    return bytes;
}

// Doubles the capacity; false when it cannot (31-bit limit or no memory).
bool grow(Sample* sample) {
    const int64_t doubled = 2 * int64_t{sample->capacity};
    if (doubled > INT32_MAX) return false;
    sample_set_capacity(sample, static_cast<int32_t>(doubled));
    return sample->capacity == doubled;
}

}  // namespace

char* sample_to_text(const Sample* sample) {
    if (!sample_usable(sample)) return sample_fail(nullptr);
    if (sample->length == 0) {
        char* empty = static_cast<char*>(malloc(sizeof("SAMPLE{}\n")));
        if (!empty) return sample_fail(nullptr);
        memcpy(empty, "SAMPLE{}\n", sizeof("SAMPLE{}\n"));
        return empty;
    }
    // Header, count, values, trailer and the zero byte.
    const size_t size = (static_cast<size_t>(sample->length) + 1) * max_value_chars + 16;
    char* text = static_cast<char*>(malloc(size));
    if (!text) return sample_fail(nullptr);
    char* p = text;
    char* const end = text + size;
    memcpy(p, "SAMPLE{", 7);
    p += 7;
    p = std::to_chars(p, end, sample->length).ptr;
    *p++ = '\n';
    for (int32_t i = 0; i < sample->length; ++i) {
        p = std::to_chars(p, end, sample->data[i]).ptr;
        *p++ = '\n';
    }
    *p++ = '}';
    *p++ = '\n';
    *p = '\0';
    return text;
}

// Reads the form tolerantly: the count is the first run of digits after
// "SAMPLE" and "{", and each value is the next number, with anything between
// skipped. A text without "SAMPLE{" or one that ends before the count gives
// null; a text with fewer numbers than its count gives the values it holds.
Sample* sample_from_text(const char* text) {
    if (!text) return sample_fail(nullptr);
    const char* magic = strstr(text, "SAMPLE");
    if (!magic) return sample_fail(nullptr);
    const char* s = strchr(magic + 6, '{');
    if (!s) return sample_fail(nullptr);
    ++s;
    while (*s && *s != '}' && !is_digit(*s))
        ++s;
    if (!*s) return sample_fail(nullptr);
    // The count saturates at INT32_MAX.
    const int32_t count = *s == '}' ? 0 : static_cast<int32_t>(read_run(&s, Overflow::cap));
    // Every value takes at least one character, so a text can hold no more
    // values than it has characters left: a huge count in a short text must
    // not reserve memory for values that cannot be there.
    const size_t left = strlen(s);
    const int32_t room = left < static_cast<size_t>(count) ? static_cast<int32_t>(left) : count;
    Sample* sample = sample_new_empty(room);
    if (!sample) return sample_fail(nullptr);
    sample->length = read_values(s, sample->data, room);
    return sample;
}

void sample_write_raw(const Sample* sample, FILE* stream, int32_t depth, char order) {
    if (!stream) return sample_fail();
    if (!sample_usable(sample)) return sample_fail();
    if (sample->length == 0) return sample_fail();
    uint8_t buffer[4096];
    size_t used = 0;
    for (int32_t i = 0; i < sample->length; ++i) {
        used += static_cast<size_t>(encode(sample->data[i], depth, order, buffer + used));
        if (used > sizeof(buffer) - 4) {
            fwrite(buffer, 1, used, stream);
            used = 0;
        }
    }
    if (used > 0) fwrite(buffer, 1, used, stream);
}

Sample* sample_read_raw(FILE* stream, int32_t depth, char order, char sign) {
    if (!stream) return sample_fail(nullptr);
    if (depth != 8 && depth != 16) return sample_fail(nullptr);
    if (order != 'b' && order != 'l') return sample_fail(nullptr);
    if (sign != 's' && sign != 'u') return sample_fail(nullptr);
    Sample* sample = sample_new_empty(1024);
    if (!sample) return sample_fail(nullptr);
    const int32_t bias = sign == 'u' ? 32768 : 0;
    const size_t width = depth == 8 ? 1 : 2;
    uint8_t buffer[4096];
    size_t kept = 0;  // a first byte of a 16-bit pair carried to the next block
    for (;;) {
        const size_t got = fread(buffer + kept, 1, sizeof(buffer) - kept, stream);
        if (got == 0) break;  // a lone byte left over is dropped
        const size_t total = kept + got;
        size_t i = 0;
        for (; i + width <= total; i += width) {
            int32_t raw;
            if (width == 1) {
                raw = buffer[i] * 256;
            } else if (order == 'l') {
                raw = buffer[i] + 256 * buffer[i + 1];
            } else {
                raw = 256 * buffer[i] + buffer[i + 1];
            }
            if (sample->length == sample->capacity) {
                // No room for more: keep what has been read.
                if (!grow(sample)) return sample_fail(sample);
            }
            sample->data[sample->length++] = raw - bias;
        }
        kept = total - i;
        if (kept > 0) buffer[0] = buffer[i];
    }
    return sample;
}

int32_t sample_sign_extend(int32_t word, int32_t n) {
    if (n < 1 || n > 32) return sample_fail(word);
    if (n == 32) return word;
    const uint32_t u = static_cast<uint32_t>(word);
    const uint32_t high = ~0u << n;  // bit positions n and up
    if (u & (1u << (n - 1))) return static_cast<int32_t>(u | high);
    return word;
}

int32_t sample_text_length(const char* text) {
    if (!text) return sample_fail(-1);
    const size_t n = strlen(text);
    return n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n);
}

int32_t sample_text_matches_at(const char* text, const char* word, int32_t position) {
    if (!text) return sample_fail(0);
    if (!word) return sample_fail(0);
    if (position < 0) return sample_fail(0);
    const size_t length = strlen(word);
    const size_t needed = static_cast<size_t>(position) + length;
    if (strnlen(text, needed) < needed) return 0;
    if (length == 0) return 1;
    // Compared from the word's last character back to its first.
    for (size_t i = length; i-- > 0;) {
        const int a = tolower(static_cast<unsigned char>(text[static_cast<size_t>(position) + i]));
        const int b = tolower(static_cast<unsigned char>(word[i]));
        if (a != b) return 0;
    }
    return 1;
}
