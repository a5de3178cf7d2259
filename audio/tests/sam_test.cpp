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

// A fresh directory per test; records made here are released after it.
class SamFiles : public testing::Test {
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
    // A record for the named file, holding a sample of values when has_sample.
    SamFile* record(const std::string& name, const Values& values = {}, char format = 0,
                    bool has_sample = true) {
        SamFile* r = sam_new();
        r->name = name.empty() ? nullptr : strdup(path(name).c_str());
        r->format = format;
        if (has_sample) r->sample = sample_new();
        for (int32_t v : values)
            sample_insert(r->sample, v, r->sample->length);
        records.push_back(r);
        return r;
    }
    std::string dir;
    std::vector<SamFile*> records;
};

const std::string full_lines = "signed\nbits 16\nlittle endian\nchanels 1\n";

TEST_F(SamFiles, WritersProduceTheirExactBytes) {
    const struct {
        int32_t (*writer)(SamFile*);
        char format;
        Values values;
        std::string bytes;
    } cases[] = {
        {sam_write, 'b', {1, -1, 300}, "SAM\nbinary\n" + full_lines + "3\n\1\0\xFF\xFF\x2C\1"s},
        {sam_write, 'A', {1, -1, 300}, "SAM\nASCII\n" + full_lines + "3\n1\n-1\n300\n"},
        {sam_write_packed, 0, {1, -1, 300}, "SAM\nbinary\n3\n16\n\0\1\xFF\xFF\1\x2C"s},
        {sam_write_packed, 0, {5, -7}, "SAM\nbinary\n2\n8\n\x05\xF9"},
        {sam_write_packed, 0, {40000}, "SAM\nbinary\n1\n24\n\0\x9C\x40"s},
        {sam_write_packed, 0, {8388608, 0}, "SAM\nbinary\n2\n32\n\0\x80\0\0\0\0\0\0"s},
        {sam_write_packed, 0, {INT32_MIN}, "SAM\nbinary\n1\n32\n\x80\0\0\0"s},
        {sam_write_packed, 0, {}, "SAM\nbinary\n0\n8\n"},
    };
    for (const auto& c : cases) {
        SamFile* r = record("a.sam", c.values, c.format);
        EXPECT_EQ(c.writer(r), 1);
        EXPECT_EQ(r->file, nullptr);
        EXPECT_EQ(get("a.sam"), c.bytes);
    }
}

TEST_F(SamFiles, WritersReportFailure) {
    EXPECT_EQ(sam_write(nullptr) | sam_write_packed(nullptr) | sam_save(nullptr), 0);
    // No sample, or no name: nothing to write, and no file is made.
    SamFile* none = record("none.sam", {}, 'b', false);
    EXPECT_EQ(sam_write(none) | sam_write_packed(none) | sam_save(none), 0);
    EXPECT_FALSE(std::filesystem::exists(path("none.sam")));
    EXPECT_EQ(sam_save(record("", {1})), 0);
    EXPECT_EQ(sam_write_packed(record("missing/x.sam", {1})), 0);
    // A write that cannot reach the disk is a failure, not a success.
    SamFile* full = record("", {1, 2, 3}, 'a');
    full->name = strdup("/dev/full");
    EXPECT_EQ(sam_write(full) | sam_write_packed(full), 0);
    EXPECT_EQ(full->file, nullptr);
    // An unknown format: the header goes out, no values, 0, the stream stays
    // open until the record is freed; reading that header back gives 0.
    SamFile* odd = record("odd.sam", {1, 2}, 'x');
    EXPECT_EQ(sam_write(odd), 0);
    EXPECT_NE(odd->file, nullptr);
    sam_free(&records.back());
    EXPECT_EQ(get("odd.sam"), "SAM\n" + full_lines + "2\n");
    EXPECT_EQ(sam_read(record("odd.sam")), 0);
}

TEST_F(SamFiles, LetterHeadersReadAsScanned) {
    const struct {
        std::string bytes;
        int32_t result;
        Values values;
    } cases[] = {
        {"SAM b s 16 3 1\n\0\1\xFF\xFF\x80\0"s, 1, {1, 65535, 32768}},
        {"SAM a s 16 3 1\n10\n-20\n30\n", 1, {10, 20, 30}},
        {"SAM a s 16 3 1\n10\n-20\n30", 1, {10, 20}},  // a run cut by the end is dropped
        {"# by hand\nsAm\x01\xF0\n# depth\n16\nB\n2 u\n1\n\x12\x34\xAB\xCD\xEF",
         1,
         {0x1234, 0xABCD}},
        {"u SAM b 8 2 1\n\x05\xFF", 1, {5, 255}},  // sign first; one byte per value
        {"SAM b s 24 2 1\n\1\2\3\4\5\6\7", 1, {0x010203, 0x040506}},
        {"SAM b s 32 1 1\n\xFF\xFF\xFF\xFF", 1, {-1}},
        {"SAM b s 16 3 1\n\1\2\3\4\5", 1, {0x0102, 0x0304}},  // data cut short
        {"SAM b s 16 0 1\n\1\2", 1, {}},
        {"SAM\nb\ns\nbits 16\n\1\2", 1, {}},  // words are numbers of value 0: count 0
        {"SAM b s 4294967304 4294967297 1\n\7\x08", 1, {7}},  // numbers wrap: 8 and 1
        {"SAM a s 8 2 1\n4294967299 x 99999999999\n", 1, {3, 1215752191}},
        {"SAM b s 40 1 1\n\1\2\3\4\5", 0, {}},  // no 32-bit word holds 40 bits
        {"SAM\nbinary\n3\n1", 0, {}},           // not a written header: scanned, and cut
        {"", 0, {}},
        {"SA", 0, {}},
        {"SAM b s 16 3", 0, {}},
        {"SAM b s 16 3 1", 0, {}},  // the last number needs the byte that ends it
        {"SAM b s 8 1 #x", 0, {}},
        {"bs 8 1 1\n\1", 0, {}},  // 'b' first: the 's' is a magic attempt, no sign
    };
    for (const auto& c : cases) {
        put("in.sam", c.bytes);
        SamFile* r = record("in.sam", {42});
        EXPECT_EQ(sam_read(r), c.result) << c.bytes;
        EXPECT_EQ(r->file, nullptr);
        EXPECT_EQ(values_of(r->sample), c.result ? c.values : Values{42}) << c.bytes;
    }
    put("in.sam", "# by hand\nsAm\n16\nB\n2 u\n1\n\1\2\3\4");
    SamFile* r = record("in.sam");
    EXPECT_EQ(sam_read(r), 1);
    EXPECT_EQ(r->depth, 16);
    EXPECT_EQ(r->channels, 1);
    EXPECT_EQ(r->format, 'B');
    EXPECT_EQ(r->sign, 'u');
    EXPECT_EQ(r->order, 'm');
    EXPECT_EQ(sam_read(nullptr) | sam_read(record("absent.sam")), 0);

    // A caller's stream is read and closed.
    r = record("", {}, 0, false);
    r->file = fopen(path("in.sam").c_str(), "rb");
    EXPECT_EQ(sam_read(r), 1);
    EXPECT_EQ(values_of(r->sample), (Values{0x0102, 0x0304}));
    EXPECT_EQ(r->file, nullptr);
}

TEST_F(SamFiles, LoadGivesBackWhatSaveWroteForEveryEnding) {
    const Values small = {0, 1, -1, 127, -128, 5};
    const Values mid = {0, 1, -1, 32767, -32768, 300};
    const Values wide = {0, -1, 40000, -8388609, INT32_MAX, INT32_MIN};
    const struct {
        const char* name;
        char format;
        Values values;
        std::string start;  // the first bytes of the file saved
    } cases[] = {
        {"t.sam", 'b', mid, "SAM\nbinary\nsigned"},
        {"t.sam", 'a', wide, "SAM\nASCII\nsigned"},
        {"t.SAM", 'B', {}, "SAM\nbinary\nsigned"},
        {"t", 'a', wide, "SAM\nASCII\nsigned"},
        {"t", 'b', small, "SAM\nbinary\nsigned"},
        {"t.raw", 0, small, "SAM\nbinary\n6\n8\n"},
        {"t.RAW", 0, mid, "SAM\nbinary\n6\n16\n"},
        {"t.raw", 0, wide, "SAM\nbinary\n6\n32\n"},
        {"t.raw", 0, {}, "SAM\nbinary\n0\n8\n"},
        {"t.wav", 0, small, "8\n"},
        {"t.Wav", 0, mid, "16\n"},
        {"t.wav", 0, {}, "8\n"},
        {"t.xwav", 0, {-3}, "8\n\xFD"},
        {"t.dat", 'a', wide, "SAM\nASCII\nsigned"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(sam_save(record(c.name, c.values, c.format)), 1) << c.name;
        EXPECT_EQ(get(c.name).substr(0, c.start.size()), c.start) << c.name;
        SamFile* r = record(c.name, {99});  // the load replaces this sample
        EXPECT_EQ(sam_load(r), 1) << c.name;
        EXPECT_EQ(values_of(r->sample), c.values) << c.name << " " << c.format;
        EXPECT_EQ(r->file, nullptr);
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

TEST_F(SamFiles, LoadTriesTheReadersInTurn) {
    // A canonical 8-bit WAVE file whose data also completes a SAM letter header
    // ("A" of "WAVE" the format, "sam" the magic, "s" the sign, count 0).
    const std::string wave = "RIFF*\0\0\0WAVEfmt \x10\0\0\0\1\0\1\0\x40\x1F\0\0\x40\x1F\0\0"s +
                             "\1\0\x08\0data\x06\0\0\0sam s\n"s;
    for (const char* name : {"w.dat", "w.wav", "w.raw", "w.sam"}) {
        put(name, wave);
        SamFile* r = record(name);
        EXPECT_EQ(sam_load(r), 1);
        const bool sam_first = std::string(name) == "w.sam";
        const Values data = {'s', 'a', 'm', ' ', 's', '\n'};
        EXPECT_EQ(values_of(r->sample), sam_first ? Values{} : data);
        EXPECT_EQ(r->format, sam_first ? 'A' : 0) << name;
    }
    put("s.wav", "SAM b s 8 2 1\n\1\2");  // a SAM file under a WAVE name
    SamFile* r = record("s.wav");
    EXPECT_EQ(sam_load(r), 1);
    EXPECT_EQ(values_of(r->sample), (Values{1, 2}));
    // Last, the headerless reader with the depth and order the record holds,
    // which a failed sam_read may have set: "9" made the depth 9 here.
    const struct {
        std::string bytes;
        int32_t result;
        int32_t depth;
        Values values;
    } headerless[] = {{"\1\2\3\4", 1, 16, {0x0102, 0x0304}}, {"9\n\1\2", 0, 9, {}}};
    for (const auto& c : headerless) {
        put("h.bin", c.bytes);
        r = record("h.bin", {}, 0, false);
        r->depth = 16;
        r->order = 'm';
        EXPECT_EQ(sam_load(r), c.result);
        EXPECT_EQ(r->depth, c.depth);
        EXPECT_EQ(values_of(r->sample), c.values);
    }
    put("x.sam", "");  // nothing reads a file no header describes
    EXPECT_EQ(sam_load(record("x.sam")) | sam_load(record("absent.wav")) | sam_load(nullptr), 0);
}

TEST(SamNames, EndsWithComparesLettersWithoutCase) {
    EXPECT_EQ(sam_ends_with("song.WAV", "wav"), 1);
    EXPECT_EQ(sam_ends_with("song.wav", "song.wav"), 1);
    EXPECT_EQ(sam_ends_with("song.xwav", "wav"), 1);
    EXPECT_EQ(sam_ends_with("anything", "") & sam_ends_with("", ""), 1);
    EXPECT_EQ(sam_ends_with("wa", "wav") | sam_ends_with("a.b", "a_b"), 0);
    EXPECT_EQ(sam_ends_with("a@", "a`") | sam_ends_with("x[", "x{"), 0);  // 32 apart, not letters
    EXPECT_EQ(sam_ends_with(nullptr, "wav") | sam_ends_with("wav", nullptr), 0);
}

TEST(SamRecord, NewSetReadyAndBitCount) {
    SamFile* r = sam_new();
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(!r->sample && !r->name && !r->file);
    EXPECT_EQ(r->depth | r->channels | r->sign | r->format | r->order, 0);
    Sample* first = sample_new();
    Sample* second = sample_new();
    sam_set_sample(r, first);
    sam_set_sample(r, nullptr);
    EXPECT_EQ(r->sample, first);
    sam_set_sample(r, second);  // the first is not released: still the caller's
    EXPECT_EQ(r->sample, second);
    sample_free(&first);
    EXPECT_EQ(sam_ready(r, second), 1);
    EXPECT_EQ(sam_ready(r, nullptr) | sam_ready(nullptr, r), 0);
    sam_free(&r);
    EXPECT_EQ(r, nullptr);
    sam_free(&r);

    const int32_t counts[][2] = {{0, 1},   {1, 2},    {-1, 2},         {127, 8},
                                 {128, 9}, {-128, 9}, {INT32_MAX, 32}, {INT32_MIN, 33}};
    for (const auto& c : counts) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(sam_bit_count(c[0]), c[1]);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "BITS: " + std::to_string(c[0]) + "\nBITS: " + std::to_string(c[1]) + "\n");
    }
}

}  // namespace
