// The SAMPLE text form and its round trip, the tolerant reader on damaged
// texts, raw PCM bytes at every depth and order, sign extension and the two
// text utilities.
#include "audio/sample.h"
#include "audio/tests/sample_test_util.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using B = std::vector<uint8_t>;

// The text form of s as a string (empty for null).
std::string text_of(const Sample* s) {
    char* t = sample_to_text(s);
    std::string out = t ? t : "";
    free(t);
    return out;
}

// The values read back from text, or {-999} for null.
V read_text(const char* text) {
    Sample* s = sample_from_text(text);
    if (!s) return V{-999};
    V out = values(s);
    sample_free(&s);
    return out;
}

// The bytes sample_write_raw writes for s.
B raw_bytes(const Sample* s, int32_t depth, char order) {
    FILE* f = tmpfile();
    sample_write_raw(s, f, depth, order);
    B out(static_cast<size_t>(ftell(f)));
    rewind(f);
    EXPECT_EQ(fread(out.data(), 1, out.size(), f), out.size());
    fclose(f);
    return out;
}

// A sample read by sample_read_raw from the given bytes (null passed through).
Sample* read_raw(const B& bytes, int32_t depth, char order, char sign) {
    FILE* f = tmpfile();
    if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);
    rewind(f);
    Sample* s = sample_read_raw(f, depth, order, sign);
    fclose(f);
    return s;
}

}  // namespace

TEST(SampleText, TextFormAndRoundTrip) {
    Sample* s = make({1, -2, 3});
    EXPECT_EQ(text_of(s), "SAMPLE{3\n1\n-2\n3\n}\n");
    sample_free(&s);
    s = sample_new();
    EXPECT_EQ(text_of(s), "SAMPLE{}\n");
    sample_free(&s);

    std::vector<Sample*> all = {sample_new(), make({0}), make({INT32_MIN, INT32_MAX, -1, 10})};
    Sample* big = sample_new();
    for (int32_t i = 0; i < 5000; ++i)
        sample_insert(big, (i * 7919) ^ -(i & 1), i);
    all.push_back(big);
    for (Sample* x : all) {
        char* t = sample_to_text(x);
        Sample* back = sample_from_text(t);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(sample_equal(x, back), 1) << t;
        free(t);
        sample_free(&back);
        sample_free(&x);
    }
}

TEST(SampleText, ReadsTolerantlyAndStopsAtTheEnd) {
    EXPECT_EQ(read_text("xxSAMPLE{2\n--5\n}\n"), (V{0, -5}));
    EXPECT_EQ(read_text("SAMPLE{ 2 : +5 , -6 }"), (V{5, -6}));
    EXPECT_EQ(read_text("SAMPLE{}"), V{});
    EXPECT_EQ(read_text("SAMPLE{2\n4294967297\n-2147483648\n}"), (V{1, INT32_MIN}));  // wraps

    // Missing header parts, or a text that ends before its count: null.
    EXPECT_EQ(read_text("sample{1\n1\n}"), V{-999});
    EXPECT_EQ(read_text("{1\n2\n}SAMPLE"), V{-999});
    EXPECT_EQ(read_text("SAMPLE{ \n"), V{-999});

    // Fewer numbers than the count: the values that are there.
    EXPECT_EQ(read_text("SAMPLE{5\n1\n2\n}\n"), (V{1, 2}));
    EXPECT_EQ(read_text("SAMPLE{3\n-"), (V{0}));

    // A huge count in a short text reserves no more than the text can hold.
    Sample* s = sample_from_text("SAMPLE{99999999999999999999\n7\n8\n");
    EXPECT_EQ(values(s), (V{7, 8}));
    EXPECT_LE(s->capacity, 6);
    sample_free(&s);
}

TEST(SampleText, WritesRawPcmAtEveryDepth) {
    Sample* s = make({1, -1, 40000});
    EXPECT_EQ(raw_bytes(s, 16, 'l'), (B{0x01, 0x00, 0xFF, 0xFF, 0xFF, 0x7F}));
    EXPECT_EQ(raw_bytes(s, 16, 'b'), (B{0x00, 0x01, 0xFF, 0xFF, 0x7F, 0xFF}));
    sample_free(&s);
    s = make({200, -200, -1});
    EXPECT_EQ(raw_bytes(s, 8, 'b'), (B{0x7F, 0x80, 0xFF}));
    sample_free(&s);
    s = make({0x123456, 9000000, -2});
    EXPECT_EQ(raw_bytes(s, 24, 'b'), (B{0x12, 0x34, 0x56, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}));
    EXPECT_EQ(raw_bytes(s, 24, 'l'), (B{0x56, 0x34, 0x12, 0xFF, 0xFF, 0x7F, 0xFE, 0xFF, 0xFF}));
    sample_free(&s);
    s = make({0x01020304, INT32_MIN});
    EXPECT_EQ(raw_bytes(s, 32, 'b'), (B{1, 2, 3, 4, 0x80, 0, 0, 1}));
    EXPECT_EQ(raw_bytes(s, 32, 'l'), (B{4, 3, 2, 1, 1, 0, 0, 0x80}));
    sample_free(&s);

    // Longer than the writer's block: every value arrives.
    s = sample_new();
    sample_set_length(s, 3000);
    for (int32_t i = 0; i < 3000; ++i)
        sample_set(s, i, i);
    const B big = raw_bytes(s, 24, 'b');
    ASSERT_EQ(big.size(), 9000u);
    EXPECT_EQ(big[3 * 2999 + 1], 2999 >> 8);
    sample_free(&s);
}

TEST(SampleText, ReadsRawPcm) {
    Sample* s = read_raw({0x00, 0x80, 0xFF, 0x7F}, 16, 'l', 'u');
    EXPECT_EQ(values(s), (V{0, -1}));
    sample_free(&s);
    s = read_raw({0x00, 0x80, 0xFF, 0x7F}, 16, 'l', 's');
    EXPECT_EQ(values(s), (V{32768, 32767}));  // bit patterns, not sign-extended
    sample_free(&s);
    s = read_raw({0x80, 0x00, 0x12}, 16, 'b', 's');  // the odd last byte is dropped
    EXPECT_EQ(values(s), (V{32768}));
    sample_free(&s);
    s = read_raw({0xFF, 0x00}, 8, 'b', 'u');
    EXPECT_EQ(values(s), (V{32512, -32768}));
    sample_free(&s);
    s = read_raw({}, 16, 'l', 's');
    EXPECT_EQ(s->length, 0);
    EXPECT_EQ(s->capacity, 1024);
    sample_free(&s);
    EXPECT_EQ(read_raw({1, 2}, 12, 'l', 's'), nullptr);
    EXPECT_EQ(read_raw({1, 2}, 16, 'x', 's'), nullptr);
    EXPECT_EQ(read_raw({1, 2}, 16, 'l', 'x'), nullptr);

    // Capacity doubles from 1024; pairs across the reader's blocks stay whole.
    B bytes;
    for (int32_t i = 0; i < 5001; ++i) {
        bytes.push_back(static_cast<uint8_t>(i));
        bytes.push_back(static_cast<uint8_t>(i >> 8));
    }
    s = read_raw(bytes, 16, 'l', 's');
    ASSERT_EQ(s->length, 5001);
    EXPECT_EQ(s->capacity, 8192);
    for (int32_t i = 0; i < 5001; ++i)
        ASSERT_EQ(s->data[i], i);
    sample_free(&s);
}

TEST(SampleText, Utilities) {
    EXPECT_EQ(sample_sign_extend(0x8000, 16), -32768);
    EXPECT_EQ(sample_sign_extend(0x7FFF, 16), 32767);
    EXPECT_EQ(sample_sign_extend(0xFF, 0), 0xFF);
    EXPECT_EQ(sample_sign_extend(1, 1), -1);
    EXPECT_EQ(sample_sign_extend(-5, 32), -5);

    EXPECT_EQ(sample_text_length(""), 0);
    EXPECT_EQ(sample_text_length(nullptr), -1);
    EXPECT_EQ(sample_text_matches_at("sound.WAV", "wav", 6), 1);
    EXPECT_EQ(sample_text_matches_at("sound.wav", "wax", 6), 0);
    EXPECT_EQ(sample_text_matches_at("ab", "abc", 0), 0);
    EXPECT_EQ(sample_text_matches_at("ab", "", 2), 1);
    EXPECT_EQ(sample_text_matches_at("a", "a", INT32_MAX), 0);
}
