// The SamFile record and the SAM format: the full and packed writers, the
// reader with its two header scanners, and the bit count.
//
// sam_read first compares the start of the file with the exact headers the
// two writers produce and reads those word by word, so that a saved file
// reads back value for value. Every other header goes to the letter-by-letter
// scanner: six items in any order, separated by anything,
//   the magic  "sam" in either case (every 's' before it starts an attempt),
//   the format 'a', 'b', 'A' or 'B',
//   the sign   's', 'u', 'S' or 'U',
//   three numbers, in order of appearance depth, value count and channels;
// bytes below 33 or above 176 are skipped, '#' starts a comment that runs to
// the end of its line, and any other byte starts a number (0 when it is not
// a digit). Its data is read most significant byte first, unsigned, in 1 to
// 4 bytes by depth, or as unsigned decimal runs.
#include "audio/sam.h"
#include "audio/sam_internal.h"

#include <cstdlib>
#include <cstring>

#include "container/common.h"

const char* const sam_ident[5] = {"SAM     ", "20261206", "Vandrell", "C++     ", "CODE    "};

namespace sam_internal {

// Appends value at the end of the sample; false when no memory is left for it.
bool append(Sample* s, int32_t value) {
    const int32_t before = s->length;
    sample_insert(s, value, before);
    return s->length == before + 1;
}

// Puts a new empty sample in the record, releasing the one it held; false without memory.
bool renew_sample(SamFile* r) {
    Sample* s = sample_new();
    if (!s) return false;
    if (!s->data) {
        sample_free(&s);
        return false;
    }
    sample_free(&r->sample);
    r->sample = s;
    return true;
}

// A failed check: the stream, if any, is closed; the result is 0.
int32_t fail(SamFile* r) {
    sam_error();
    if (r && r->file) sam_close(r);
    return 0;
}

// A failed check with no stream to close: the result is 0.
int32_t fail() {
    sam_error();
    return 0;
}

// The smallest of 8, 16, 24 and 32 bits that holds every value with its sign.
int32_t value_width(const Sample* s) {
    const int32_t m = sample_min(s);
    const int32_t M = sample_max(s);
    if (m >= -128 && M <= 127) return 8;
    if (m >= -32768 && M <= 32767) return 16;
    if (m >= -8388608 && M <= 8388607) return 24;
    return 32;
}

}  // namespace sam_internal

namespace {

using common::is_digit;
using common::Overflow;
using sam_internal::append;
using sam_internal::fail;
using sam_internal::read_word;
using sam_internal::renew_sample;
using sam_internal::value_width;

// The lines of the written headers, shared by the writers and the word reader.
constexpr const char* magic_line = "SAM\n";
constexpr const char* binary_line = "binary\n";
constexpr const char* decimal_line = "ASCII\n";
constexpr const char* description_lines = "signed\nbits 16\nlittle endian\nchanels 1\n";

constexpr int32_t end_of_input = -1;

// A stream read byte by byte, with its first bytes held back so that the
// header scanners can look at them more than once.
struct Input {
    FILE* file;
    uint8_t head[64];  // longer than any written header
    int32_t head_length;
    int32_t position;  // in head while below head_length
    bool ended;        // the stream gave its last byte
};

// Fills the look-ahead from the stream and starts at its first byte.
void input_start(Input& in, FILE* file) {
    in.file = file;
    in.head_length = static_cast<int32_t>(fread(in.head, 1, sizeof in.head, file));
    in.position = 0;
    in.ended = in.head_length < static_cast<int32_t>(sizeof in.head);
}

// The next byte (0..255), or end_of_input from the end of the stream on.
int32_t input_next(Input& in) {
    if (in.position < in.head_length) return in.head[in.position++];
    if (in.ended) return end_of_input;
    const int c = fgetc(in.file);
    if (c == EOF) {
        in.ended = true;
        return end_of_input;
    }
    return c;
}

// The next byte, left to be read again, or end_of_input.
int32_t input_peek(Input& in) {
    if (in.position < in.head_length) return in.head[in.position];
    if (in.ended) return end_of_input;
    const int c = fgetc(in.file);
    if (c == EOF) {
        in.ended = true;
        return end_of_input;
    }
    ungetc(c, in.file);
    return c;
}

// The input as a reader for common::read_decimal.
struct InputReader {
    Input& in;

    int peek() { return input_peek(in); }
    void next() { input_next(in); }
};

// The look-ahead alone as a reader for common::read_decimal: the written
// headers lie wholly in it, and matching them must not use up stream bytes.
struct HeadReader {
    Input& in;

    int peek() const { return in.position < in.head_length ? in.head[in.position] : -1; }
    void next() { ++in.position; }
};

// The letters that name a value format: 'a'/'A' decimal, 'b'/'B' binary.
bool is_format_letter(int32_t c) {
    return c == 'a' || c == 'A' || c == 'b' || c == 'B';
}

// The letters that name a sign: 's'/'S' signed, 'u'/'U' unsigned.
bool is_sign_letter(int32_t c) {
    return c == 's' || c == 'S' || c == 'u' || c == 'U';
}

// Bytes of one binary value for a depth: 1 up to 8 bits, 2, 3, else 4.
int32_t bytes_for_depth(int32_t depth) {
    if (depth <= 8) return 1;
    if (depth <= 16) return 2;
    if (depth <= 24) return 3;
    return 4;
}

// v with bit (bits - 1) copied into every higher bit; bits from 1 to 32.
int32_t sign_extend(uint32_t v, int32_t bits) {
    const uint32_t shift = static_cast<uint32_t>(32 - bits);
    return static_cast<int32_t>(v << shift) >> shift;
}

// Reads size bytes into one word in the given order ('l' or 'm'); false when cut short.
bool next_word(Input& in, int32_t size, char order, uint32_t& word) {
    return read_word([&in] { return input_next(in); }, size, order, word);
}

// Reads the run of digits the input stands on, wrapping modulo 2^32, and uses
// up the byte after it; false when the input ends before that byte.
bool take_number(Input& in, uint32_t& value) {
    InputReader reader{in};
    common::read_decimal(reader, Overflow::wrap, value);
    if (input_peek(in) == end_of_input) return false;
    input_next(in);
    return true;
}

// Finds the next run of digits and reads it, wrapping modulo 2^32; with_sign
// makes it negative when a '-' comes right before it. The byte after the run
// is used up; false when the input ends before that byte (the run may be cut).
bool next_decimal(Input& in, bool with_sign, int32_t& value) {
    bool negative = false;
    for (int32_t c = input_peek(in); !is_digit(c); c = input_peek(in)) {
        if (c == end_of_input) return false;
        negative = with_sign && c == '-';
        input_next(in);
    }
    uint32_t v = 0;
    if (!take_number(in, v)) return false;
    value = static_cast<int32_t>(negative ? 0u - v : v);
    return true;
}

// A sample the writers can write: present and holding a value buffer.
bool writable(const Sample* s) {
    return s && s->data && s->length >= 0;
}

// ---- The written headers, word by word ---------------------------------------

enum class Written { none, full_binary, full_decimal, full_without_format, packed };

struct WrittenHeader {
    Written form;
    int32_t count;
    int32_t width;  // packed form: bits per value
};

// True when the look-ahead holds word at the current position; moves past it.
bool take_word(Input& in, const char* word) {
    const int32_t n = static_cast<int32_t>(strlen(word));
    if (in.head_length - in.position < n) return false;
    if (memcmp(in.head + in.position, word, static_cast<size_t>(n)) != 0) return false;
    in.position += n;
    return true;
}

// A line of 1 to 10 digits whose value fits 31 bits; -1 when there is none.
int32_t take_count_line(Input& in) {
    const int32_t start = in.position;
    HeadReader reader{in};
    uint32_t value = 0;
    if (!common::read_decimal(reader, Overflow::fail, value)) return -1;
    const int32_t digits = in.position - start;
    if (digits < 1 || digits > 10) return -1;
    if (!take_word(in, "\n")) return -1;
    return static_cast<int32_t>(value);
}

// Recognises the headers of sam_write and sam_write_packed at the start of
// the input and leaves the position on the first data byte; otherwise the
// form is none and the position is back at the first byte.
WrittenHeader match_written(Input& in) {
    WrittenHeader h = {Written::none, 0, 0};
    in.position = 0;
    if (!take_word(in, magic_line)) return h;
    const char format = take_word(in, binary_line) ? 'b' : take_word(in, decimal_line) ? 'A' : 0;
    if (take_word(in, description_lines)) {
        h.count = take_count_line(in);
        if (h.count >= 0)
            h.form = format == 'b'   ? Written::full_binary
                     : format == 'A' ? Written::full_decimal
                                     : Written::full_without_format;
    } else if (format == 'b') {
        h.count = take_count_line(in);
        constexpr const char* width_lines[4] = {"8\n", "16\n", "24\n", "32\n"};
        for (int32_t k = 0; k < 4 && h.count >= 0 && h.form == Written::none; ++k) {
            if (!take_word(in, width_lines[k])) continue;
            h.form = Written::packed;
            h.width = 8 * (k + 1);
        }
    }
    if (h.form == Written::none) in.position = 0;
    return h;
}

// Reads the values below a written header; 0 only without memory or for the
// header sam_write leaves when it knows no format (it holds no values).
int32_t read_written(SamFile* r, Input& in, const WrittenHeader& h) {
    if (h.form == Written::full_without_format) return fail(r);
    if (!renew_sample(r)) return fail(r);
    r->channels = 1;
    r->sign = 's';
    const bool decimal = h.form == Written::full_decimal;
    r->format = decimal ? 'A' : 'b';
    r->depth = h.form == Written::packed ? h.width : 16;
    r->order = h.form == Written::packed ? 'm' : 'l';
    const int32_t size = r->depth / 8;
    for (int32_t i = 0; i < h.count; ++i) {
        int32_t value = 0;
        uint32_t word = 0;
        if (decimal) {
            if (!next_decimal(in, true, value)) break;
        } else {
            if (!next_word(in, size, r->order, word)) break;
            value = sign_extend(word, r->depth);
        }
        if (!append(r->sample, value)) return fail(r);
    }
    return 1;
}

// ---- Any other header, letter by letter --------------------------------------

// Passes over a comment: the bytes up to and including the end of its line.
// False when the input ends first.
bool skip_comment(Input& in) {
    for (int32_t c = input_next(in); c != '\n'; c = input_next(in)) {
        if (c == end_of_input) return false;
    }
    return true;
}

// A magic attempt after its 's': "am" in either case completes it. The bytes
// it reads are used up whatever they are. False when the input ends first.
bool take_magic_rest(Input& in, bool& magic) {
    const int32_t a = input_next(in);
    if (a == end_of_input) return false;
    if (a != 'a' && a != 'A') return true;
    const int32_t m = input_next(in);
    if (m == end_of_input) return false;
    if (m == 'm' || m == 'M') magic = true;
    return true;
}

// Scans the six header items, storing format, sign, depth and channels in the
// record as they come; false when the input ends before all six are found.
bool scan_letters(SamFile* r, Input& in, int32_t& count) {
    bool magic = false, format = false, sign = false;
    int32_t numbers = 0;
    while (!magic || !format || !sign || numbers < 3) {
        const int32_t c = input_peek(in);
        if (c == end_of_input) return false;
        uint32_t value = 0;
        if (is_digit(c)) {
            // A number; the byte that ends its digits is used up with it.
            if (!take_number(in, value)) return false;
        } else {
            input_next(in);
            if (c < 33 || c > 176) continue;
            if (c == '#') {
                if (!skip_comment(in)) return false;
                continue;
            }
            if ((c == 's' || c == 'S') && !magic) {
                if (!take_magic_rest(in, magic)) return false;
                continue;
            }
            if (is_format_letter(c) && !format) {
                r->format = static_cast<char>(c);
                format = true;
                continue;
            }
            if (is_sign_letter(c) && !sign) {
                r->sign = static_cast<char>(c);
                sign = true;
                continue;
            }
            // Any other byte is a number of no digits: 0.
        }
        const int32_t number = static_cast<int32_t>(value);
        if (numbers == 0) r->depth = number;
        if (numbers == 1) count = number;
        if (numbers == 2) r->channels = number;
        if (numbers < 3) ++numbers;
    }
    return true;
}

// Reads a letter-by-letter header and its values: decimal runs without sign,
// or binary values most significant byte first without sign extension.
int32_t read_letters(SamFile* r, Input& in) {
    int32_t count = 0;
    if (!scan_letters(r, in, count)) return fail(r);
    r->order = 'm';
    const bool decimal = r->format == 'a' || r->format == 'A';
    // NOTE: a binary depth above 32 names values no 32-bit word can hold.
    const bool too_deep = !decimal && r->depth > 32;
    if (too_deep) return fail(r);
    if (!renew_sample(r)) return fail(r);
    const int32_t size = bytes_for_depth(r->depth);
    for (int32_t i = 0; i < count; ++i) {
        int32_t value = 0;
        uint32_t word = 0;
        if (decimal) {
            if (!next_decimal(in, false, value)) break;
        } else {
            if (!next_word(in, size, 'm', word)) break;
            value = static_cast<int32_t>(word);
        }
        if (!append(r->sample, value)) return fail(r);
    }
    return 1;
}

}  // namespace

void sam_error() {}

SamFile* sam_new() {
    SamFile* r = static_cast<SamFile*>(calloc(1, sizeof(SamFile)));
    if (!r) exit(-1);
    return r;
}

void sam_free(SamFile** r) {
    if (!r) return sam_error();
    if (!*r) return sam_error();
    if ((*r)->file) fclose((*r)->file);
    free((*r)->name);
    if ((*r)->sample) sample_free(&(*r)->sample);
    free(*r);
    *r = nullptr;
}

void sam_set_sample(SamFile* r, Sample* sample) {
    if (!r) return sam_error();
    if (!sample) return sam_error();
    r->sample = sample;
}

int32_t sam_ready(const void* a, const void* b) {
    return a && b ? 1 : 0;
}

int32_t sam_open(SamFile* r, const char* mode) {
    if (!r) return fail();
    if (!mode) return fail();
    if (r->file) return 1;
    if (!r->name) return fail();
    r->file = fopen(r->name, mode);
    if (!r->file) return fail();
    return 1;
}

int32_t sam_close(SamFile* r) {
    if (!r) return fail();
    if (!r->file) return fail();
    const bool failed_write = ferror(r->file) != 0;
    const bool failed_close = fclose(r->file) != 0;
    r->file = nullptr;
    if (failed_write) return fail();
    if (failed_close) return fail();
    return 1;
}

namespace {

// Opens the record's file for one of the SAM writers and writes the magic
// line; false when there is no record, no sample with values, or no file.
bool start_writing(SamFile* r) {
    if (!r) return false;
    if (!writable(r->sample)) return false;
    if (!sam_open(r, "wb")) return false;
    fputs(magic_line, r->file);
    return true;
}

}  // namespace

int32_t sam_write(SamFile* r) {
    if (!start_writing(r)) return fail(r);
    FILE* f = r->file;
    const Sample* s = r->sample;
    const bool binary = r->format == 'b' || r->format == 'B';
    const bool decimal = r->format == 'a' || r->format == 'A';
    if (binary) fputs(binary_line, f);
    if (decimal) fputs(decimal_line, f);
    fputs(description_lines, f);
    fprintf(f, "%ld\n", static_cast<long>(s->length));
    const bool known_format = binary || decimal;
    if (!known_format) return fail();  // the header is out; the stream stays with the record
    for (int32_t i = 0; i < s->length; ++i) {
        const int32_t v = sample_get(s, i);
        if (decimal) {
            fprintf(f, "%d\n", v);
            continue;
        }
        const uint32_t u = static_cast<uint32_t>(v);
        fputc(static_cast<int>(u & 0xFF), f);
        fputc(static_cast<int>((u >> 8) & 0xFF), f);
    }
    return sam_close(r);
}

int32_t sam_write_packed(SamFile* r) {
    if (!start_writing(r)) return fail(r);
    FILE* f = r->file;
    const Sample* s = r->sample;
    fputs(binary_line, f);
    fprintf(f, "%ld\n", static_cast<long>(s->length));
    const int32_t width = value_width(s);
    fprintf(f, "%d\n", width);
    for (int32_t i = 0; i < s->length; ++i) {
        const uint32_t u = static_cast<uint32_t>(sample_get(s, i));
        for (int32_t shift = width - 8; shift >= 0; shift -= 8)
            fputc(static_cast<int>((u >> shift) & 0xFF), f);
    }
    return sam_close(r);
}

int32_t sam_read(SamFile* r) {
    if (!r) return fail(r);
    if (!sam_open(r, "rb")) return fail(r);
    Input in;
    input_start(in, r->file);
    const WrittenHeader written = match_written(in);
    const int32_t result =
        written.form == Written::none ? read_letters(r, in) : read_written(r, in, written);
    if (r->file) sam_close(r);
    return result;
}

int32_t sam_bit_count(int32_t v) {
    printf("BITS: %d\n", v);
    // The magnitude is taken in unsigned arithmetic, where |INT32_MIN| = 2^31 fits.
    uint32_t magnitude = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    int32_t bits = 1;
    while (magnitude) {
        ++bits;
        magnitude >>= 1;
    }
    printf("BITS: %d\n", bits);
    return bits;
}
