// WAVE files, headerless value files and the width-line form.
//
// The WAVE reader takes only the canonical layout: a 44-byte header with a
// 16-byte "fmt" chunk directly followed by the "data" chunk, PCM of 8 or 16
// bits. Channels are not separated: interleaved values go into the one sample
// in file order and `channels` records the count.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "audio/sam.h"
#include "audio/sam_internal.h"
#include "audio/sample_internal.h"
#include "container/vector_level.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using sam_internal::append;
using sam_internal::fail;
using sam_internal::renew_sample;
using sam_internal::value_width;

constexpr int32_t wav_header_size = 44;

// A little-endian 16-bit field of the WAVE header.
uint32_t le16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
}
// A little-endian 32-bit field of the WAVE header.
uint32_t le32(const uint8_t* p) {
    return le16(p) | le16(p + 2) << 16;
}

// True when the header holds tag at offset, ASCII letters compared without case.
bool tag_at(const uint8_t* header, int32_t offset, const char* tag) {
    char text[8] = {};
    memcpy(text, header + offset, strlen(tag));
    // Equal lengths make "ends with" an equality test; a zero byte in the
    // header shortens the text and fails it.
    return sam_ends_with(text, tag) == 1;
}

// True when the header holds the four tags of the canonical layout.
bool has_wave_tags(const uint8_t* header) {
    return tag_at(header, 0, "RIFF") && tag_at(header, 8, "WAVE") && tag_at(header, 12, "fmt") &&
           tag_at(header, 36, "data");
}

// Reads size bytes of the stream into one word in the given order ('l', 'm';
// any other keeps the first byte alone); false when the stream ends first.
bool read_word(FILE* f, int32_t size, char order, uint32_t& word) {
    return sam_internal::read_word([f] { return fgetc(f); }, size, order, word);
}

// Reads the width line "8\n" or "16\n" at the start of the stream: its
// width, or 0 for anything else.
int32_t read_width_line(FILE* f) {
    const int first = fgetc(f);
    if (first == '8') return fgetc(f) == '\n' ? 8 : 0;
    if (first != '1') return 0;
    if (fgetc(f) != '6') return 0;
    return fgetc(f) == '\n' ? 16 : 0;
}

// Bytes left in the stream when it is a regular file, or -1 when that cannot
// be told (a pipe, a terminal).
int64_t bytes_left(FILE* f) {
    struct stat st {};
    if (fstat(fileno(f), &st) != 0) return -1;
    if (!S_ISREG(st.st_mode)) return -1;
    const long here = ftell(f);
    if (here < 0) return -1;
    return st.st_size > here ? static_cast<int64_t>(st.st_size) - here : 0;
}

// The value of WAVE data: 8-bit is unsigned, 16-bit signed little-endian.
inline int32_t wave_value(const uint8_t* raw, int32_t width) {
    if (width == 1) return raw[0];
    return static_cast<int16_t>(static_cast<uint16_t>(raw[0] | raw[1] << 8));
}

// Turns the n values of width bytes at raw into words at out. raw may lie
// inside the n words of out, at or after out's own bytes for the values
// before it (raw + width * i >= out + i for every i): each value is read
// before a word that covers it is written.
void widen_plain(int32_t* out, const uint8_t* raw, int64_t n, int32_t width) {
    for (int64_t i = 0; i < n; ++i)
        out[i] = wave_value(raw + i * width, width);
}

#if defined(__SSE2__)
// The same sixteen values at a time: every block is loaded before its words
// are stored, which keeps the in-place rule above.
void widen_sse2(int32_t* out, const uint8_t* raw, int64_t n, int32_t width) {
    int64_t i = 0;
    const __m128i zero = _mm_setzero_si128();
    if (width == 2) {
        for (; i + 8 <= n; i += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(raw + 2 * i));
            // Each 16-bit value into the top half of a word, then shifted
            // down with its sign.
            const __m128i lo = _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16);
            const __m128i hi = _mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), lo);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 4), hi);
        }
    } else {
        for (; i + 16 <= n; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(raw + i));
            const __m128i a = _mm_unpacklo_epi8(v, zero);
            const __m128i b = _mm_unpackhi_epi8(v, zero);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi16(a, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 4), _mm_unpackhi_epi16(a, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpacklo_epi16(b, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 12), _mm_unpackhi_epi16(b, zero));
        }
    }
    widen_plain(out + i, raw + i * width, n - i, width);
}
#endif

void widen(int32_t* out, const uint8_t* raw, int64_t n, int32_t width) {
#if defined(__SSE2__)
    if (common::vector_level() >= common::VectorLevel::sse2) return widen_sse2(out, raw, n, width);
#endif
    widen_plain(out, raw, n, width);
}

// Appends up to count values of width bytes (1 or 2) from the stream to the
// sample, stopping early where the stream ends (a value cut short is
// dropped). The bytes are read straight into the end of the sample's own
// buffer and widened there, so no second buffer is needed. The buffer is
// sized once from the bytes the file has left; a stream whose size cannot be
// told grows it by doubling. False when memory runs out.
bool read_values(FILE* f, Sample* s, int64_t count, int32_t width) {
    const int64_t left = bytes_left(f);
    int64_t target = left >= 0 ? std::min(count, left / width) : std::min<int64_t>(count, 1 << 16);
    for (;;) {
        if (target > s->capacity && !sample_reserve_unset(s, static_cast<int32_t>(target)))
            return false;
        const int64_t k = std::min<int64_t>(s->capacity - s->length, count - s->length);
        if (k <= 0) break;
        int32_t* out = s->data + s->length;
        uint8_t* raw =
            reinterpret_cast<uint8_t*>(out) + (4 - width) * k;  // the last width * k bytes
        const size_t got = fread(raw, 1, static_cast<size_t>(k * width), f);
        const int64_t m = static_cast<int64_t>(got) / width;
        widen(out, raw, m, width);
        s->length += static_cast<int32_t>(m);
        if (m < k) break;
        target = std::min(count, 2 * int64_t{s->capacity});
    }
    // Nothing past the values read keeps the raw bytes.
    memset(s->data + s->length, 0, sample_bytes(s->capacity - s->length));
    return true;
}

}  // namespace

int32_t sam_read_wav(SamFile* r) {
    if (!r) return fail(r);
    if (!sam_open(r, "rb")) return fail(r);
    uint8_t header[wav_header_size] = {};
    const size_t got = fread(header, 1, sizeof header, r->file);
    if (got < sizeof header) return fail(r);
    if (!has_wave_tags(header)) return fail(r);
    if (le16(header + 20) != 1) return fail(r);
    // NOTE: only 8 and 16-bit values are decoded; other depths (below 8 a
    // value would have no bytes at all) are rejected rather than misread.
    const int32_t depth = static_cast<int16_t>(le16(header + 34));
    if (depth != 8 && depth != 16) return fail(r);
    if (!renew_sample(r)) return fail(r);
    r->channels = static_cast<int16_t>(le16(header + 22));
    r->depth = depth;
    r->sign = depth == 8 ? 'u' : 's';
    r->order = 'l';
    const int32_t size = static_cast<int32_t>(le32(header + 40));
    const int32_t count = size / (depth / 8);
    if (!read_values(r->file, r->sample, count, depth / 8)) return fail(r);
    sam_close(r);
    return 1;
}

int32_t sam_read_raw(SamFile* r) {
    if (!r) return fail(r);
    // NOTE: a depth other than 8, 16, 24 or 32 gives no value width: refused.
    if (r->depth != 8 && r->depth != 16 && r->depth != 24 && r->depth != 32) return fail(r);
    if (!sam_open(r, "r")) return fail(r);
    if (!renew_sample(r)) return fail(r);
    const int32_t size = r->depth / 8;
    uint32_t word = 0;
    while (read_word(r->file, size, r->order, word))
        if (!append(r->sample, static_cast<int32_t>(word))) return fail(r);
    sam_close(r);
    return 1;
}

int32_t sam_write_plain(SamFile* r) {
    if (!r) return fail(r);
    Sample* s = r->sample;
    if (!s) return fail(r);
    if (!s->data) return fail(r);
    if (!sam_open(r, "wb")) return fail(r);
    const int32_t width = value_width(s);
    // NOTE: values beyond 16 bits cannot be written in this form: the file
    // is left empty and the write reports failure.
    if (width > 16) return fail(r);
    fputs(width == 8 ? "8\n" : "16\n", r->file);
    for (int32_t i = 0; i < s->length; ++i) {
        const uint32_t u = static_cast<uint32_t>(sample_get(s, i));
        if (width == 16) fputc(static_cast<int>((u >> 8) & 0xFF), r->file);
        fputc(static_cast<int>(u & 0xFF), r->file);
    }
    return sam_close(r);
}

int32_t sam_read_plain(SamFile* r) {
    if (!r) return fail(r);
    if (!sam_open(r, "rb")) return fail(r);
    const int32_t width = read_width_line(r->file);
    if (width == 0) return fail(r);
    if (!renew_sample(r)) return fail(r);
    r->channels = 1;
    r->depth = width;
    r->sign = 's';
    r->format = 'b';
    r->order = 'm';
    uint32_t word = 0;
    while (read_word(r->file, width / 8, 'm', word)) {
        const int32_t value = width == 8 ? static_cast<int8_t>(word) : static_cast<int16_t>(word);
        if (!append(r->sample, value)) return fail(r);
    }
    sam_close(r);
    return 1;
}
