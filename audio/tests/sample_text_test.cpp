// The SAMPLE text form and its round trip, reading and matching that stop at
// the end of the text, raw PCM bytes at every depth and order, sign extension.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "audio/tests/sample_test_util.h"

namespace {

using B = std::vector<uint8_t>;

// The values read back from a text ({-999} for null).
V read_text(const char* text) {
    return take(sample_from_text(text));
}

// The text form of the values.
std::string text_of(const V& v) {
    Sample* s = make(v);
    std::unique_ptr<char, void (*)(void*)> t(sample_to_text(s), free);
    sample_free(&s);
    return t.get();
}

// The bytes sample_write_raw writes for the values.
B raw_bytes(const V& v, int32_t depth, char order) {
    Sample* s = make(v);
    FILE* f = tmpfile();
    sample_write_raw(s, f, depth, order);
    B out(static_cast<size_t>(ftell(f)));
    rewind(f);
    EXPECT_EQ(fread(out.data(), 1, out.size(), f), out.size());
    fclose(f);
    sample_free(&s);
    return out;
}

// The values sample_read_raw reads from the bytes ({-999} for null).
V read_raw(B bytes, int32_t depth, char order, char sign) {
    FILE* f = fmemopen(bytes.data(), bytes.size(), "r");
    V out = take(sample_read_raw(f, depth, order, sign));
    fclose(f);
    return out;
}

}  // namespace

TEST(SampleText, TextFormAndRoundTrip) {
    EXPECT_EQ(text_of({1, -2, 3}), "SAMPLE{3\n1\n-2\n3\n}\n");
    EXPECT_EQ(text_of({}), "SAMPLE{}\n");
    for (const V& v : {V{}, V{0}, V{INT32_MIN, INT32_MAX, -1, 10}})
        EXPECT_EQ(read_text(text_of(v).c_str()), v);
}

TEST(SampleText, ReadingAndMatchingStopAtTheEndOfTheText) {
    EXPECT_EQ(read_text("SAMPLE{2\n4294967297\n-2147483648\n}"), (V{1, INT32_MIN}));  // wraps
    EXPECT_EQ(read_text("SAMPLE{5\n1\n2\n}\n"), (V{1, 2}));  // fewer values than the count
    EXPECT_EQ(read_text("SAMPLE{3\n-"), (V{0}));
    EXPECT_EQ(read_text("SAMPLE{ \n"), V{-999});  // no count: null

    // A huge count in a short text reserves no more than the text can hold.
    Sample* s = sample_from_text("SAMPLE{99999999999999999999\n7\n8\n");
    EXPECT_LE(s->capacity, 6);
    EXPECT_EQ(take(s), (V{7, 8}));

    // Matching a word never reads past either text; letters compare without case.
    EXPECT_EQ((V{sample_text_matches_at("sound.WAV", "wav", 6),
                 sample_text_matches_at("ab", "abc", 0), sample_text_matches_at("ab", "", 2),
                 sample_text_matches_at("a", "a", INT32_MAX), sample_text_length(nullptr)}),
              (V{1, 0, 1, 0, -1}));
}

TEST(SampleText, RawPcmAndSignExtension) {
    // Written values are clamped to the depth.
    const V a = {1, -1, 40000};
    const V b = {0x123456, 9000000, -2};
    const V c = {0x01020304, INT32_MIN};
    EXPECT_EQ(raw_bytes(a, 16, 'l'), (B{0x01, 0x00, 0xFF, 0xFF, 0xFF, 0x7F}));
    EXPECT_EQ(raw_bytes(a, 16, 'b'), (B{0x00, 0x01, 0xFF, 0xFF, 0x7F, 0xFF}));
    EXPECT_EQ(raw_bytes({200, -200, -1}, 8, 'b'), (B{0x7F, 0x80, 0xFF}));
    EXPECT_EQ(raw_bytes(b, 24, 'b'), (B{0x12, 0x34, 0x56, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}));
    EXPECT_EQ(raw_bytes(b, 24, 'l'), (B{0x56, 0x34, 0x12, 0xFF, 0xFF, 0x7F, 0xFE, 0xFF, 0xFF}));
    EXPECT_EQ(raw_bytes(c, 32, 'b'), (B{1, 2, 3, 4, 0x80, 0, 0, 1}));
    EXPECT_EQ(raw_bytes(c, 32, 'l'), (B{4, 3, 2, 1, 1, 0, 0, 0x80}));

    // Read back, signed data keeps its bit pattern: sign extension is the
    // caller's step. An odd last byte is dropped; an unknown depth, order or
    // sign gives null.
    EXPECT_EQ(read_raw({0x00, 0x80, 0xFF, 0x7F}, 16, 'l', 'u'), (V{0, -1}));
    EXPECT_EQ(read_raw({0x00, 0x80, 0xFF, 0x7F}, 16, 'l', 's'), (V{32768, 32767}));
    EXPECT_EQ(read_raw({0x80, 0x00, 0x12}, 16, 'b', 's'), (V{32768}));
    EXPECT_EQ(read_raw({0xFF, 0x00}, 8, 'b', 'u'), (V{32512, -32768}));
    EXPECT_EQ((V{read_raw({1, 2}, 12, 'l', 's').at(0), read_raw({1, 2}, 16, 'x', 's').at(0),
                 read_raw({1, 2}, 16, 'l', 'x').at(0)}),
              V(3, -999));
    EXPECT_EQ(
        (V{sample_sign_extend(0x8000, 16), sample_sign_extend(0x7FFF, 16),
           sample_sign_extend(0xFF, 0), sample_sign_extend(1, 1), sample_sign_extend(-5, 32)}),
        (V{-32768, 32767, 0xFF, -1, -5}));

    // Longer than the writer's and the reader's blocks: every value arrives,
    // and pairs across the blocks stay whole.
    V ramp;
    for (int32_t i = 0; i < 5001; ++i)
        ramp.push_back(i);
    EXPECT_EQ(read_raw(raw_bytes(ramp, 16, 'l'), 16, 'l', 's'), ramp);
}
