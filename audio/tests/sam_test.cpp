// SAM, WAVE, headerless and width-line files built byte by byte, the writers'
// exact bytes and the choice of reader and writer by file name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "audio/sam.h"
#include "audio/tests/sample_test_util.h"

namespace {

using namespace std::string_literals;

const std::string full_lines = "signed\nbits 16\nlittle endian\nchanels 1\n";

// The n low bytes of v, least significant first.
std::string le(uint32_t v, int n) {
    return n == 0 ? "" : static_cast<char>(v & 0xFF) + le(v >> 8, n - 1);
}

// A canonical 44-byte WAVE header; the fields a test changes are parameters.
std::string wave(int depth, int32_t data_size, int channels = 1, int format = 1) {
    return "RIFF" + le(36 + data_size, 4) + "WAVEfmt " + le(16, 4) + le(format, 2) +
           le(channels, 2) + le(44100, 4) + le(44100 * channels * depth / 8, 4) +
           le(channels * depth / 8, 2) + le(depth, 2) + "data" + le(data_size, 4);
}

// A fresh directory per test; the records made here are released after it.
class Sam : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/sam_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        for (SamFile* r : records)
            sam_free(&r);
        std::filesystem::remove_all(dir);
    }
    std::string path(const std::string& name) const { return dir + "/" + name; }
    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string get(const std::string& name) const {
        std::ifstream f(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    // A record for the named file (no name when empty) holding a sample of the values.
    SamFile* record(const std::string& name, const V& held = {42}, char format = 0) {
        SamFile* r = sam_new();
        r->name = name.empty() ? nullptr : strdup(path(name).c_str());
        r->format = format;
        r->sample = make(held);
        records.push_back(r);
        return r;
    }
    // A record for a file of the bytes, holding [42] to show whether a reader replaced it.
    SamFile* over(const std::string& bytes, int32_t depth = 0, char order = 0) {
        put("in", bytes);
        SamFile* r = record("in");
        r->depth = depth;
        r->order = order;
        return r;
    }
    // The values a reader leaves, after checking its result and the closed stream.
    V run(int32_t (*reader)(SamFile*), SamFile* r, int32_t result) {
        EXPECT_EQ(reader(r), result);
        EXPECT_EQ(r->file, nullptr);
        return values(r->sample);
    }
    std::string dir;
    std::vector<SamFile*> records;
};

TEST_F(Sam, WritersProduceTheirExactBytesOrFail) {
    // Each case rewrites the same file; an empty file is a write that must report failure.
    const std::tuple<int32_t (*)(SamFile*), char, V, std::string> cases[] = {
        {sam_write, 'b', {1, -1, 300}, "SAM\nbinary\n" + full_lines + "3\n\1\0\xFF\xFF\x2C\1"s},
        {sam_write, 'A', {1, -1, 300}, "SAM\nASCII\n" + full_lines + "3\n1\n-1\n300\n"},
        {sam_write_plain, 0, {-32769}, ""},  // the width-line form ends at 16 bits
    };
    for (const auto& [writer, format, held, bytes] : cases) {
        SamFile* r = record("a.sam", held, format);
        EXPECT_EQ(writer(r), bytes.empty() ? 0 : 1);
        EXPECT_EQ(r->file, nullptr);
        EXPECT_EQ(get("a.sam"), bytes);
    }
    // No sample: nothing to write, and no file is made.
    SamFile* none = record("none.sam");
    sample_free(&none->sample);
    EXPECT_EQ(sam_write(none) | sam_write_packed(none) | sam_write_plain(none) | sam_save(none), 0);
    EXPECT_FALSE(std::filesystem::exists(path("none.sam")));
    // A write that cannot reach the disk is a failure, not a success.
    SamFile* full = record("", {1, 2, 3}, 'a');
    full->name = strdup("/dev/full");
    EXPECT_EQ(sam_write(full) | sam_write_packed(full) | sam_write_plain(full), 0);
    // An unknown format: the header goes out, no values, 0, the stream stays
    // open until the record is freed; reading that header back gives 0.
    SamFile* odd = record("odd.sam", {1, 2}, 'x');
    EXPECT_EQ(sam_write(odd), 0);
    EXPECT_NE(odd->file, nullptr);
    sam_free(&records.back());
    EXPECT_EQ(get("odd.sam"), "SAM\n" + full_lines + "2\n");
    EXPECT_EQ(sam_read(record("odd.sam")), 0);
}

TEST_F(Sam, LetterHeadersReadAsScanned) {
    const std::tuple<std::string, int32_t, V> cases[] = {
        {"SAM b s 16 3 1\n\0\1\xFF\xFF\x80\0"s, 1, {1, 65535, 32768}},
        {"SAM a s 16 3 1\n10\n-20\n30\n", 1, {10, 20, 30}},
        {"SAM a s 16 3 1\n10\n-20\n30", 1, {10, 20}},  // a run cut by the end is dropped
        {"u SAM b 8 2 1\n\x05\xFF", 1, {5, 255}},      // sign first; one byte per value
        {"SAM b s 24 2 1\n\1\2\3\4\5\6\7", 1, {0x010203, 0x040506}},
        {"SAM b s 4294967304 4294967297 1\n\7\x08", 1, {7}},  // numbers wrap: 8 and 1
        {"SAM b s 40 1 1\n\1\2\3\4\5", 0, {42}},              // no 32-bit word holds 40 bits
        {"SAM b s 16 3 1", 0, {42}},  // the last number needs the byte that ends it
        {"bs 8 1 1\n\1", 0, {42}},    // 'b' first: the 's' is a magic attempt, no sign
    };
    for (const auto& [bytes, result, want] : cases)
        EXPECT_EQ(run(sam_read, over(bytes), result), want) << bytes;
    // Comments, bytes below 33 and above 176 and another order, from a caller's
    // stream, which is read and closed; the header items land in the record.
    put("in.sam", "# by hand\nsAm\x01\xF0\n# depth\n16\nB\n2 u\n1\n\x12\x34\xAB\xCD\xEF");
    SamFile* r = record("");
    r->file = fopen(path("in.sam").c_str(), "rb");
    EXPECT_EQ(run(sam_read, r, 1), (V{0x1234, 0xABCD}));
    EXPECT_EQ((V{r->depth, r->channels, r->format, r->sign, r->order}), (V{16, 1, 'B', 'u', 'm'}));
}

TEST_F(Sam, LoadGivesBackWhatSaveWroteForEveryEnding) {
    const V small = {0, 1, -1, 127, -128, 5};
    const V mid = {0, 1, -1, 32767, -32768, 300};
    const V wide = {0, -1, 40000, -8388609, INT32_MAX, INT32_MIN};
    // A name, a format, the values and the first bytes of the file saved.
    const std::tuple<std::string, char, V, std::string> cases[] = {
        {"t.sam", 'b', mid, "SAM\nbinary\nsigned"},
        {"t", 'a', wide, "SAM\nASCII\nsigned"},
        {"t.raw", 0, small, "SAM\nbinary\n6\n8\n"},
        {"t.RAW", 0, mid, "SAM\nbinary\n6\n16\n"},
        {"t.raw", 0, {40000, -8388608}, "SAM\nbinary\n2\n24\n"},
        {"t.raw", 0, wide, "SAM\nbinary\n6\n32\n"},
        {"t.wav", 0, small, "8\n"},
        {"t.Wav", 0, mid, "16\n"},
        {"t.xwav", 0, {-3}, "8\n\xFD"},
    };
    for (const auto& [name, format, held, start] : cases) {
        ASSERT_EQ(sam_save(record(name, held, format)), 1) << name;
        EXPECT_EQ(get(name).substr(0, start.size()), start) << name;
        EXPECT_EQ(run(sam_load, record(name), 1), held) << name << " " << format;
    }
    // Beyond 16 bits the width-line form holds nothing: the save says so.
    EXPECT_EQ(sam_save(record("big.wav", {70000})), 0);
    EXPECT_EQ(get("big.wav"), "");
    // Without a name the full form goes to the caller's stream.
    SamFile* w = record("", {3, -4}, 'a');
    w->file = fopen(path("s").c_str(), "wb");
    EXPECT_EQ(sam_save(w), 1);
    EXPECT_EQ(get("s"), "SAM\nASCII\n" + full_lines + "2\n3\n-4\n");
}

TEST_F(Sam, LoadTriesTheReadersInTurn) {
    // An 8-bit WAVE file whose data also completes a SAM letter header ("A" of
    // "WAVE" the format, "sam" the magic, "s" the sign, count 0).
    for (const char* name : {"w.dat", "w.wav", "w.raw", "w.sam"}) {
        put(name, wave(8, 6) + "sam s\n");
        SamFile* r = record(name);
        const bool sam_first = std::string(name) == "w.sam";
        EXPECT_EQ(run(sam_load, r, 1), (sam_first ? V{} : V{'s', 'a', 'm', ' ', 's', '\n'}));
        EXPECT_EQ(r->format, sam_first ? 'A' : 0) << name;
    }
    put("s.wav", "SAM b s 8 2 1\n\1\2");  // a SAM file under a WAVE name
    EXPECT_EQ(run(sam_load, record("s.wav"), 1), (V{1, 2}));
    // Last, the headerless reader with the depth and order the record holds,
    // which a failed sam_read may have set: "9" makes the depth 9 here.
    EXPECT_EQ(run(sam_load, over("\1\2\3\4", 16, 'm'), 1), (V{0x0102, 0x0304}));
    SamFile* r = over("9\n\1\2", 16, 'm');
    EXPECT_EQ(run(sam_load, r, 0), V{42});
    EXPECT_EQ(r->depth, 9);
    put("x.sam", "");  // nothing reads a file no header describes
    EXPECT_EQ(sam_load(record("x.sam")) | sam_load(record("absent.wav")) | sam_load(nullptr), 0);
}

TEST_F(Sam, WaveReadsCanonicalPcmOf8And16BitsOnly) {
    SamFile* r = over(wave(16, 6) + "\1\0\xFF\xFF\0\x80"s);
    EXPECT_EQ(run(sam_read_wav, r, 1), (V{1, -1, -32768}));
    EXPECT_EQ((V{r->channels, r->depth, r->sign, r->order}), (V{1, 16, 's', 'l'}));
    r = over(wave(8, 3) + "\0\x80\xFF"s);
    EXPECT_EQ(run(sam_read_wav, r, 1), (V{0, 128, 255}));
    EXPECT_EQ(r->sign, 'u');
    // Tags in any case, byte 15 ignored; stereo stays interleaved in one sample.
    std::string h = wave(16, 8, 2);
    for (int i : {0, 1, 2, 3, 8, 9, 10, 11, 12, 13, 14, 36, 37, 38, 39})
        h[i] ^= 32;
    h[15] = 'X';
    r = over(h + "\1\0\2\0\3\0\4\0"s);
    EXPECT_EQ(run(sam_read_wav, r, 1), (V{1, 2, 3, 4}));
    EXPECT_EQ(r->channels, 2);
    // A negative data size holds no values.
    EXPECT_EQ(run(sam_read_wav, over(wave(16, -4) + "\1\0"s), 1), V{});

    const std::string data = "\1\2\3\4\5\6\7\x08";
    const std::string rejected[] = {
        "RIFX" + wave(16, 8).substr(4) + data,
        wave(16, 8, 1, 3) + data,      // float, not PCM
        wave(16, 8, 1, 0x101) + data,  // the whole 16-bit field counts
        wave(4, 8) + data,             // no whole byte per value: no division by zero
        wave(24, 6) + data,            // not decoded, so not misread either
        wave(16, 8).substr(0, 43),     // header cut short
    };
    for (const std::string& bytes : rejected)
        EXPECT_EQ(run(sam_read_wav, over(bytes), 0), V{42}) << bytes.size();
}

TEST_F(Sam, HeaderlessAndWidthLineReaders) {
    const std::string five = "\1\2\3\4\5";
    EXPECT_EQ(run(sam_read_raw, over(five, 24, 'l'), 1), V{197121});
    EXPECT_EQ(run(sam_read_raw, over(five, 24, 'm'), 1), V{66051});
    EXPECT_EQ(run(sam_read_raw, over(five, 16, 'x'), 1), (V{1, 3}));  // first byte alone
    // Depths with no whole-byte width are refused: no endless loop, no change.
    for (int32_t depth : {0, 12, 40})
        EXPECT_EQ(run(sam_read_raw, over(five, depth, 'l'), 0), V{42}) << depth;
    EXPECT_EQ(sam_read_raw(nullptr), 0);
    // Width-line files: only the two width lines are taken; a half value at the end is dropped.
    EXPECT_EQ(run(sam_read_plain, over("16\n\1\2\3"), 1), V{0x0102});
    for (const char* bad : {"", "16", "8", "16\r\n", "8 \n"})
        EXPECT_EQ(run(sam_read_plain, over(bad), 0), V{42}) << bad;
}

TEST(SamNames, EndsWithComparesLettersWithoutCase) {
    EXPECT_EQ(sam_ends_with("song.WAV", "wav") & sam_ends_with("song.wav", "song.wav"), 1);
    EXPECT_EQ(sam_ends_with("wa", "wav") | sam_ends_with("a.b", "a_b"), 0);
    EXPECT_EQ(sam_ends_with("a@", "a`") | sam_ends_with("x[", "x{"), 0);  // 32 apart, not letters
    EXPECT_EQ(sam_ends_with(nullptr, "wav") | sam_ends_with("wav", nullptr), 0);
}

TEST(SamRecord, SetSampleAndBitCount) {
    SamFile* r = sam_new();
    ASSERT_NE(r, nullptr);
    Sample* first = sample_new();
    Sample* second = sample_new();
    sam_set_sample(r, first);
    sam_set_sample(r, nullptr);
    EXPECT_EQ(r->sample, first);
    sam_set_sample(r, second);  // the first is not released: still the caller's
    EXPECT_EQ(r->sample, second);
    sample_free(&first);
    sam_free(&r);
    EXPECT_EQ(r, nullptr);
    sam_free(&r);

    const int32_t counts[][2] = {{0, 1}, {-1, 2}, {128, 9}, {-128, 9}, {INT32_MIN, 33}};
    for (const auto& c : counts) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(sam_bit_count(c[0]), c[1]);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "BITS: " + std::to_string(c[0]) + "\nBITS: " + std::to_string(c[1]) + "\n");
    }
}

}  // namespace
