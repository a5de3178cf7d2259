#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/sam.h"

namespace {

using namespace std::string_literals;
using Values = std::vector<int32_t>;

Values values_of(const Sample* s) {
    Values out;
    for (int32_t i = 0; s && i < s->length; ++i)
        out.push_back(sample_get(s, i));
    return out;
}

// Little-endian bytes of v, n of them.
std::string le(uint32_t v, int n) {
    std::string out;
    for (int k = 0; k < n; ++k)
        out += static_cast<char>((v >> (8 * k)) & 0xFF);
    return out;
}

// A canonical 44-byte WAVE header; the fields a test changes are parameters.
std::string wave(int depth, int32_t data_size, int channels = 1, int format = 1) {
    return "RIFF" + le(36 + data_size, 4) + "WAVEfmt " + le(16, 4) + le(format, 2) +
           le(channels, 2) + le(44100, 4) + le(44100 * channels * depth / 8, 4) +
           le(channels * depth / 8, 2) + le(depth, 2) + "data" + le(data_size, 4);
}

// Runs one reader or writer over a file "in" holding bytes, in a fresh directory.
class WavFiles : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/sam_wav_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        for (SamFile* r : records)
            sam_free(&r);
        std::filesystem::remove_all(dir);
    }
    std::string in() const { return dir + "/in"; }
    std::string get() const {
        std::ifstream f(in(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    // A record over the bytes, holding the sample [42] to see whether it is replaced.
    SamFile* over(const std::string& bytes, int32_t depth = 0, char order = 0) {
        std::ofstream(in(), std::ios::binary) << bytes;
        SamFile* r = sam_new();
        r->name = strdup(in().c_str());
        r->sample = sample_new();
        sample_insert(r->sample, 42, 0);
        r->depth = depth;
        r->order = order;
        records.push_back(r);
        return r;
    }
    // The values a reader leaves after checking its result and the closed stream.
    Values run(int32_t (*reader)(SamFile*), SamFile* r, int32_t expected_result) {
        EXPECT_EQ(reader(r), expected_result);
        EXPECT_EQ(r->file, nullptr);
        return values_of(r->sample);
    }
    std::string dir;
    std::vector<SamFile*> records;
};

TEST_F(WavFiles, ReadsCanonicalPcmOf8And16Bits) {
    SamFile* r = over(wave(16, 6) + "\1\0\xFF\xFF\0\x80"s);
    EXPECT_EQ(run(sam_read_wav, r, 1), (Values{1, -1, -32768}));
    EXPECT_EQ(r->channels, 1);
    EXPECT_EQ(r->depth, 16);
    EXPECT_EQ(r->sign, 's');
    EXPECT_EQ(r->order, 'l');
    r = over(wave(8, 3) + "\0\x80\xFF"s);
    EXPECT_EQ(run(sam_read_wav, r, 1), (Values{0, 128, 255}));
    EXPECT_EQ(r->sign, 'u');
    // Tags in any case, byte 15 ignored; stereo stays interleaved in one sample.
    std::string h = wave(16, 8, 2);
    for (int i : {0, 1, 2, 3, 8, 9, 10, 11, 12, 13, 14, 36, 37, 38, 39})
        h[i] ^= 32;
    h[15] = 'X';
    r = over(h + "\1\0\2\0\3\0\4\0"s);
    EXPECT_EQ(run(sam_read_wav, r, 1), (Values{1, 2, 3, 4}));
    EXPECT_EQ(r->channels, 2);
    // Data cut short keeps the complete values; an odd size drops the half value.
    EXPECT_EQ(run(sam_read_wav, over(wave(16, 10) + "\1\0\2\0\3"s), 1), (Values{1, 2}));
    EXPECT_EQ(run(sam_read_wav, over(wave(16, 3) + "\1\0\2\0\3\0"s), 1), Values{1});
    EXPECT_EQ(run(sam_read_wav, over(wave(16, -4) + "\1\0"s), 1), Values{});
}

TEST_F(WavFiles, RejectsWhatItCannotDecode) {
    const std::string data = "\1\2\3\4\5\6\7\x08";
    const std::string rejected[] = {
        "RIFX" + wave(16, 8).substr(4) + data,
        wave(16, 8, 1, 3) + data,      // float, not PCM
        wave(16, 8, 1, 0x101) + data,  // the whole 16-bit field counts
        wave(4, 8) + data,             // no whole byte per value: no division by zero
        wave(0, 8) + data,
        wave(24, 6) + data,  // not decoded, so not misread either
        wave(32, 8) + data,
        wave(-16, 8) + data,
        wave(16, 8).substr(0, 43),  // header cut short
        wave(16, 8).substr(0, 40),
        "",
        wave(16, 8).replace(8, 4, "WAVX") + data,
        wave(16, 8).replace(12, 3, "fnt") + data,
        wave(16, 8).replace(36, 4, "dat\0"s) + data,
        wave(16, 8).replace(36, 4, "DAT@") + data,  // '@' is 32 from '`', not a letter
    };
    for (const std::string& bytes : rejected)
        EXPECT_EQ(run(sam_read_wav, over(bytes), 0), Values{42}) << bytes.size();
    SamFile* absent = over("");
    absent->name[strlen(absent->name) - 1] = '#';
    EXPECT_EQ(sam_read_wav(absent) | sam_read_wav(nullptr), 0);
}

TEST_F(WavFiles, HeaderlessValuesInEachOrder) {
    const std::string five = "\1\2\3\4\5";
    EXPECT_EQ(run(sam_read_raw, over(five, 24, 'l'), 1), Values{197121});
    EXPECT_EQ(run(sam_read_raw, over(five, 24, 'm'), 1), Values{66051});
    EXPECT_EQ(run(sam_read_raw, over(five, 8, 'l'), 1), (Values{1, 2, 3, 4, 5}));
    EXPECT_EQ(run(sam_read_raw, over(five, 16, 'x'), 1), (Values{1, 3}));  // first byte alone
    EXPECT_EQ(run(sam_read_raw, over("\xFF\xFF", 16, 'l'), 1), Values{65535});
    const std::string eight = "\xFF\xFF\xFF\xFF\x80\0\0\0"s;
    EXPECT_EQ(run(sam_read_raw, over(eight, 32, 'l'), 1), (Values{-1, 128}));
    EXPECT_EQ(run(sam_read_raw, over(eight, 32, 'm'), 1), (Values{-1, INT32_MIN}));
    EXPECT_EQ(run(sam_read_raw, over("", 16, 'l'), 1), Values{});
    // Depths with no whole-byte width are refused: no endless loop, no change.
    for (int32_t depth : {0, 7, 12, 40, -8})
        EXPECT_EQ(run(sam_read_raw, over(five, depth, 'l'), 0), Values{42}) << depth;
    EXPECT_EQ(sam_read_raw(nullptr), 0);
}

TEST_F(WavFiles, WidthLineFormWritesAndReadsBack) {
    const struct {
        Values values;
        std::string bytes;
    } cases[] = {
        {{5, -7}, "8\n\x05\xF9"},
        {{1000}, "16\n\x03\xE8"},
        {{-32768, 32767, -1}, "16\n\x80\0\x7F\xFF\xFF\xFF"s},
        {{}, "8\n"},
    };
    for (const auto& c : cases) {
        SamFile* w = over("");
        sample_free(&w->sample);
        w->sample = sample_new();
        for (int32_t v : c.values)
            sample_insert(w->sample, v, w->sample->length);
        EXPECT_EQ(sam_write_plain(w), 1);
        EXPECT_EQ(w->file, nullptr);
        EXPECT_EQ(get(), c.bytes);
        EXPECT_EQ(run(sam_read_plain, w, 1), c.values);
    }
    // Beyond 16 bits: an empty file, and the write reports that it failed.
    SamFile* big = over("old");
    sample_insert(big->sample, -32769, 0);
    EXPECT_EQ(sam_write_plain(big), 0);
    EXPECT_EQ(big->file, nullptr);
    EXPECT_EQ(get(), "");
    SamFile* none = over("");
    sample_free(&none->sample);
    EXPECT_EQ(sam_write_plain(none) | sam_write_plain(nullptr), 0);
    // Only the two width lines are taken; a half value at the end is dropped.
    EXPECT_EQ(run(sam_read_plain, over("16\n\1\2\3"), 1), Values{0x0102});
    for (const char* bad : {"", "1", "16", "8", "9\n\1", "16\r\n", "8 \n", "SAM\n"})
        EXPECT_EQ(run(sam_read_plain, over(bad), 0), Values{42}) << bad;
}

}  // namespace
