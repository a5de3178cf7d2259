// The SAMPLE text form, raw PCM writing and reading, and the small utilities
// (sign extension, text length, case-blind word match).
#include "audio/sample.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace {

// True when the record has values that can be read.
bool usable(const Sample* sample) {
    return sample && sample->data && sample->length >= 0 && sample->length <= sample->capacity;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Longest decimal form of a value, "-2147483648", plus its newline.
constexpr size_t max_value_chars = 12;

// Reads a run of digits at *p as a count, saturating at INT32_MAX; *p ends
// after the run.
int32_t read_count(const char** p) {
    int64_t n = 0;
    const char* s = *p;
    for (; is_digit(*s); ++s) {
        n = n * 10 + (*s - '0');
        if (n > INT32_MAX) n = INT32_MAX;
    }
    *p = s;
    return static_cast<int32_t>(n);
}

// Reads a run of digits at *p as value * 10 + digit, wrapping modulo 2^32;
// *p ends after the run.
uint32_t read_number(const char** p) {
    uint32_t n = 0;
    const char* s = *p;
    for (; is_digit(*s); ++s)
        n = n * 10u + static_cast<uint32_t>(*s - '0');
    *p = s;
    return n;
}

// Reads up to count values from s into values; returns how many it found
// before the text ended.
int32_t read_values(const char* s, int32_t* values, int32_t count) {
    int32_t n = 0;
    while (n < count && *s) {
        if (is_digit(*s)) {
            values[n++] = static_cast<int32_t>(read_number(&s));
        } else if (*s == '-' && is_digit(s[1])) {
            ++s;
            values[n++] = static_cast<int32_t>(0u - read_number(&s));
        } else if (*s == '-') {
            values[n++] = 0;  // a lone minus stands for one zero value
            ++s;
        } else {
            ++s;
        }
    }
    return n;
}

// Clamps v to lo .. hi.
int32_t clamp(int32_t v, int32_t lo, int32_t hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// The bytes of one value at the given depth and order; returns their count.
int encode(int32_t v, int32_t depth, char order, uint8_t* out) {
    const bool big = order == 'b';
    if (depth == 8) {
        out[0] = static_cast<uint8_t>(clamp(v, -128, 127));
        return 1;
    }
    int bytes = 2;
    if (depth == 24) {
        v = clamp(v, -8388608, 8388607);
        bytes = 3;
    } else if (depth == 32) {
        if (v == INT32_MIN) v = -INT32_MAX;
        bytes = 4;
    } else {
        v = clamp(v, -32768, 32767);
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
    if (!usable(sample)) {
        sample_error();
        return nullptr;
    }
    if (sample->length == 0) {
        char* empty = static_cast<char*>(malloc(sizeof("SAMPLE{}\n")));
        if (!empty) {
            sample_error();
            return nullptr;
        }
        memcpy(empty, "SAMPLE{}\n", sizeof("SAMPLE{}\n"));
        return empty;
    }
    // Header, count, values, trailer and the zero byte.
    const size_t size = (static_cast<size_t>(sample->length) + 1) * max_value_chars + 16;
    char* text = static_cast<char*>(malloc(size));
    if (!text) {
        sample_error();
        return nullptr;
    }
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
    if (!text) {
        sample_error();
        return nullptr;
    }
    const char* s = strstr(text, "SAMPLE");
    if (s) s = strchr(s + 6, '{');
    if (!s) {
        sample_error();
        return nullptr;
    }
    ++s;
    while (*s && *s != '}' && !is_digit(*s))
        ++s;
    if (!*s) {
        sample_error();
        return nullptr;
    }
    const int32_t count = *s == '}' ? 0 : read_count(&s);
    Sample* sample = sample_new();
    if (!sample || !sample->data) {
        sample_free(&sample);
        sample_error();
        return nullptr;
    }
    if (count == 0) return sample;
    // Every value takes at least one character, so a text can hold no more
    // values than it has characters left: a huge count in a short text must
    // not reserve memory for values that cannot be there.
    const size_t left = strlen(s);
    const int32_t room = left < static_cast<size_t>(count) ? static_cast<int32_t>(left) : count;
    if (room == 0) return sample;
    sample_set_capacity(sample, room);
    if (sample->capacity != room) {
        sample_free(&sample);
        sample_error();
        return nullptr;
    }
    sample->length = read_values(s, sample->data, room);
    return sample;
}

void sample_write_raw(const Sample* sample, FILE* stream, int32_t depth, char order) {
    if (!stream || !usable(sample) || sample->length == 0) {
        sample_error();
        return;
    }
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
    if (!stream || (depth != 8 && depth != 16) || (order != 'b' && order != 'l') ||
        (sign != 's' && sign != 'u')) {
        sample_error();
        return nullptr;
    }
    Sample* sample = sample_new();
    if (sample) sample_set_capacity(sample, 1024);
    if (!sample || sample->capacity != 1024) {
        sample_free(&sample);
        sample_error();
        return nullptr;
    }
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
            if (sample->length == sample->capacity && !grow(sample)) {
                // No room for more: keep what has been read.
                sample_error();
                return sample;
            }
            sample->data[sample->length++] = raw - bias;
        }
        kept = total - i;
        if (kept > 0) buffer[0] = buffer[i];
    }
    return sample;
}

int32_t sample_sign_extend(int32_t word, int32_t n) {
    if (n < 1 || n > 32) {
        sample_error();
        return word;
    }
    if (n == 32) return word;
    const uint32_t u = static_cast<uint32_t>(word);
    const uint32_t high = ~0u << n;  // bit positions n and up
    if (u & (1u << (n - 1))) return static_cast<int32_t>(u | high);
    return word;
}

int32_t sample_text_length(const char* text) {
    if (!text) {
        sample_error();
        return -1;
    }
    const size_t n = strlen(text);
    return n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n);
}

int32_t sample_text_matches_at(const char* text, const char* word, int32_t position) {
    if (!text || !word || position < 0) {
        sample_error();
        return 0;
    }
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
