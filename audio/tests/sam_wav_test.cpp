#include <gtest/gtest.h>

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

Sample* make_sample(const Values& values) {
    Sample* s = sample_new();
    for (int32_t v : values)
        sample_insert(s, v, s->length);
    return s;
}

Values values_of(const Sample* s) {
    Values out;
    if (!s) return out;
    for (int32_t i = 0; i < s->length; ++i)
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
std::string wave_header(int depth, int32_t data_size, int channels = 1, int format = 1,
                        const char* riff = "RIFF") {
    std::string h = std::string(riff, 4) + le(36 + data_size, 4) + "WAVEfmt " + le(16, 4);
    h += le(format, 2) + le(channels, 2) + le(44100, 4) + le(44100 * channels * depth / 8, 4);
    h += le(channels * depth / 8, 2) + le(depth, 2) + "data" + le(data_size, 4);
    return h;
}

// A fresh directory per test; files are written and read back byte by byte.
class WavFiles : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/sam_wav_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    ~WavFiles() override {
        for (SamFile* r : records_)
            sam_free(&r);
    }

    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string get(const std::string& name) const {
        std::ifstream f(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
    // A record for a file holding bytes, released at the end of the test.
    SamFile* record_over(const std::string& bytes) {
        put("in", bytes);
        SamFile* r = sam_new();
        r->name = strdup(path("in").c_str());
        records_.push_back(r);
        return r;
    }
    // Reads bytes as a WAVE file; the record keeps what was read.
    SamFile* wav(const std::string& bytes, int32_t expected_result) {
        SamFile* r = record_over(bytes);
        EXPECT_EQ(sam_read_wav(r), expected_result);
        EXPECT_EQ(r->file, nullptr);
        return r;
    }
    // Reads bytes as a headerless file of the given depth and order.
    Values raw(const std::string& bytes, int32_t depth, char order, int32_t expected_result = 1) {
        SamFile* r = record_over(bytes);
        r->depth = depth;
        r->order = order;
        EXPECT_EQ(sam_read_raw(r), expected_result);
        EXPECT_EQ(r->file, nullptr);
        return values_of(r->sample);
    }

    std::string dir_;
    std::vector<SamFile*> records_;
};

TEST_F(WavFiles, ReadsCanonicalPcmOf8And16Bits) {
    SamFile* r = wav(wave_header(16, 6) + "\1\0\xFF\xFF\0\x80"s, 1);
    EXPECT_EQ(r->channels, 1);
    EXPECT_EQ(r->depth, 16);
    EXPECT_EQ(r->sign, 's');
    EXPECT_EQ(r->order, 'l');
    EXPECT_EQ(values_of(r->sample), (Values{1, -1, -32768}));

    r = wav(wave_header(8, 3) + "\0\x80\xFF"s, 1);
    EXPECT_EQ(r->sign, 'u');
    EXPECT_EQ(values_of(r->sample), (Values{0, 128, 255}));

    // Tags in any case, byte 15 ignored; stereo stays interleaved in one sample.
    std::string h = wave_header(16, 8, 2);
    for (int i : {0, 1, 2, 3, 8, 9, 10, 11, 12, 13, 14, 36, 37, 38, 39})
        h[i] ^= 32;
    h[15] = 'X';
    r = wav(h + "\1\0\2\0\3\0\4\0"s, 1);
    EXPECT_EQ(r->channels, 2);
    EXPECT_EQ(values_of(r->sample), (Values{1, 2, 3, 4}));

    // Data cut short: the complete values only; an odd byte count drops the half value.
    EXPECT_EQ(values_of(wav(wave_header(16, 10) + "\1\0\2\0\3"s, 1)->sample), (Values{1, 2}));
    EXPECT_EQ(values_of(wav(wave_header(16, 3) + "\1\0\2\0\3\0"s, 1)->sample), Values{1});
    EXPECT_EQ(values_of(wav(wave_header(16, -4) + "\1\0"s, 1)->sample), Values{});
    EXPECT_EQ(values_of(wav(wave_header(8, 0), 1)->sample), Values{});

    // A new read releases the sample the record held before.
    r = record_over(wave_header(8, 1) + "\7");
    r->sample = make_sample({1, 2, 3});
    EXPECT_EQ(sam_read_wav(r), 1);
    EXPECT_EQ(sam_read_wav(r), 1);
    EXPECT_EQ(values_of(r->sample), Values{7});
}

TEST_F(WavFiles, RejectsWhatItCannotDecode) {
    const std::string data = "\1\2\3\4\5\6\7\x08";
    const std::string rejected[] = {
        wave_header(16, 8, 1, 1, "RIFX") + data,
        wave_header(16, 8, 1, 3) + data,                  // float, not PCM
        wave_header(16, 8, 1, 0x101) + data,              // the whole 16-bit field counts
        wave_header(4, 8) + data,                         // no whole byte per value
        wave_header(0, 8) + data,                         // no bytes per value at all
        wave_header(24, 6) + data,                        // not decoded: not misread either
        wave_header(32, 8) + data,                        //
        wave_header(-16, 8) + data,                       //
        wave_header(16, 8).substr(0, 43),                 // header cut short
        wave_header(16, 8).substr(0, 40),                 //
        "",                                               //
        wave_header(16, 8).replace(8, 4, "WAVX") + data,  //
        wave_header(16, 8).replace(12, 3, "fnt") + data,  //
        wave_header(16, 8).replace(36, 4, "dat\0"s) + data,
        wave_header(16, 8).replace(36, 4, "DAT@") + data,  // '@' is not 'a' in upper case
    };
    for (const std::string& bytes : rejected) {
        SamFile* r = record_over(bytes);
        r->sample = make_sample({42});
        EXPECT_EQ(sam_read_wav(r), 0) << bytes.size();
        EXPECT_EQ(r->file, nullptr);
        EXPECT_EQ(values_of(r->sample), Values{42});  // the record is left as it was
    }
    EXPECT_EQ(sam_read_wav(nullptr), 0);
    SamFile* absent = record_over("");
    absent->name[strlen(absent->name) - 1] = '#';
    EXPECT_EQ(sam_read_wav(absent), 0);
}

TEST_F(WavFiles, HeaderlessValuesInEachOrder) {
    const std::string five = "\1\2\3\4\5";
    EXPECT_EQ(raw(five, 24, 'l'), Values{197121});
    EXPECT_EQ(raw(five, 24, 'm'), Values{66051});
    EXPECT_EQ(raw(five, 8, 'l'), (Values{1, 2, 3, 4, 5}));
    EXPECT_EQ(raw(five, 16, 'm'), (Values{0x0102, 0x0304}));
    EXPECT_EQ(raw(five, 16, 'x'), (Values{1, 3}));  // other orders keep the first byte
    EXPECT_EQ(raw("\xFF\xFF", 16, 'l'), Values{65535});
    EXPECT_EQ(raw("\xFF\xFF\xFF\xFF\x80\0\0\0"s, 32, 'l'), (Values{-1, 128}));
    EXPECT_EQ(raw("\xFF\xFF\xFF\xFF\x80\0\0\0"s, 32, 'm'), (Values{-1, INT32_MIN}));
    EXPECT_EQ(raw("", 16, 'l'), Values{});
    // Depths with no whole-byte width are refused, and the earlier sample stays.
    for (int32_t depth : {0, 7, 12, 40, -8}) {
        SamFile* r = record_over(five);
        r->depth = depth;
        r->sample = make_sample({42});
        EXPECT_EQ(sam_read_raw(r), 0) << depth;
        EXPECT_EQ(values_of(r->sample), Values{42});
    }
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
        {{127, -128}, "8\n\x7F\x80"},
        {{}, "8\n"},
    };
    for (const auto& c : cases) {
        SamFile* w = record_over("");
        w->sample = make_sample(c.values);
        EXPECT_EQ(sam_write_plain(w), 1);
        EXPECT_EQ(w->file, nullptr);
        EXPECT_EQ(get("in"), c.bytes);
        EXPECT_EQ(sam_read_plain(w), 1);
        EXPECT_EQ(values_of(w->sample), c.values);
    }
    // Beyond 16 bits: an empty file, and the write reports that it failed.
    for (const Values& v : {Values{70000}, Values{-32769}}) {
        SamFile* w = record_over("old");
        w->sample = make_sample(v);
        EXPECT_EQ(sam_write_plain(w), 0);
        EXPECT_EQ(w->file, nullptr);
        EXPECT_EQ(get("in"), "");
    }
    SamFile* none = record_over("");
    EXPECT_EQ(sam_write_plain(none), 0);
    EXPECT_EQ(sam_write_plain(nullptr), 0);

    // Only the two width lines are taken; a half value at the end is dropped.
    SamFile* odd = record_over("16\n\1\2\3");
    EXPECT_EQ(sam_read_plain(odd), 1);
    EXPECT_EQ(values_of(odd->sample), Values{0x0102});
    for (const char* bad : {"", "1", "16", "8", "9\n\1", "16\r\n", "8 \n", "SAM\n"}) {
        SamFile* r = record_over(bad);
        EXPECT_EQ(sam_read_plain(r), 0) << bad;
        EXPECT_EQ(r->sample, nullptr);
        EXPECT_EQ(r->file, nullptr);
    }
}

}  // namespace
