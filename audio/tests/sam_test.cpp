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

// A fresh directory per test; files are written and read back byte by byte.
class SamFiles : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/sam_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string get(const std::string& name) const {
        std::ifstream f(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(path(name)); }
    // A record named after a file of this test, released at the end of the test.
    SamFile* record(const std::string& name) {
        SamFile* r = sam_new();
        r->name = strdup(path(name).c_str());
        records_.push_back(r);
        return r;
    }
    // Reads the named file with sam_read; the record keeps what it read.
    SamFile* read(const std::string& name, int32_t expected_result) {
        SamFile* r = record(name);
        EXPECT_EQ(sam_read(r), expected_result) << name;
        EXPECT_EQ(r->file, nullptr);
        return r;
    }
    ~SamFiles() override {
        for (SamFile* r : records_)
            sam_free(&r);
    }

    std::string dir_;
    std::vector<SamFile*> records_;
};

const std::string full_header = "signed\nbits 16\nlittle endian\nchanels 1\n";

TEST_F(SamFiles, WritersProduceTheirExactBytes) {
    SamFile* r = record("a.sam");
    r->sample = make_sample({1, -1, 300});
    r->format = 'b';
    EXPECT_EQ(sam_write(r), 1);
    EXPECT_EQ(r->file, nullptr);
    EXPECT_EQ(get("a.sam"), "SAM\nbinary\n" + full_header + "3\n" + "\1\0\xFF\xFF\x2C\1"s);
    r->format = 'A';  // the same record writes again by name
    EXPECT_EQ(sam_write(r), 1);
    EXPECT_EQ(get("a.sam"), "SAM\nASCII\n" + full_header + "3\n1\n-1\n300\n");

    EXPECT_EQ(sam_write_packed(r), 1);
    EXPECT_EQ(get("a.sam"), "SAM\nbinary\n3\n16\n" + "\0\1\xFF\xFF\1\x2C"s);
    const struct {
        Values values;
        std::string bytes;
    } packed[] = {
        {{5, -7}, "SAM\nbinary\n2\n8\n\x05\xF9"},
        {{40000}, "SAM\nbinary\n1\n24\n" + "\0\x9C\x40"s},
        {{8388608, 0}, "SAM\nbinary\n2\n32\n" + "\0\x80\0\0\0\0\0\0"s},
        {{INT32_MIN}, "SAM\nbinary\n1\n32\n" + "\x80\0\0\0"s},
        {{}, "SAM\nbinary\n0\n8\n"},
    };
    for (const auto& c : packed) {
        sample_free(&r->sample);
        r->sample = make_sample(c.values);
        EXPECT_EQ(sam_write_packed(r), 1);
        EXPECT_EQ(get("a.sam"), c.bytes);
    }
}

TEST_F(SamFiles, WritersRefuseWhatTheyCannotWrite) {
    EXPECT_EQ(sam_write(nullptr), 0);
    EXPECT_EQ(sam_write_packed(nullptr), 0);
    SamFile* none = record("none.sam");  // no sample: no file is made
    none->format = 'b';
    EXPECT_EQ(sam_write(none), 0);
    EXPECT_EQ(sam_write_packed(none), 0);
    EXPECT_FALSE(exists("none.sam"));
    SamFile* nameless = sam_new();  // neither name nor stream
    nameless->sample = make_sample({1});
    EXPECT_EQ(sam_write(nameless), 0);
    sam_free(&nameless);
    SamFile* nodir = record("missing/x.sam");
    nodir->sample = make_sample({1});
    EXPECT_EQ(sam_write_packed(nodir), 0);

    // An unknown format: the header goes out, no values, 0, the stream stays open.
    SamFile* r = record("odd.sam");
    r->sample = make_sample({1, 2});
    r->format = 'x';
    EXPECT_EQ(sam_write(r), 0);
    EXPECT_NE(r->file, nullptr);
    sam_free(&records_.back());
    EXPECT_EQ(get("odd.sam"), "SAM\n" + full_header + "2\n");
    // Loading that header gives no values and says so.
    EXPECT_EQ(sam_read(record("odd.sam")), 0);

    // A write that cannot reach the disk is a failure, not a success.
    SamFile* full = sam_new();
    full->name = strdup("/dev/full");
    full->sample = make_sample({1, 2, 3});
    full->format = 'a';
    EXPECT_EQ(sam_write(full), 0);
    EXPECT_EQ(sam_write_packed(full), 0);
    EXPECT_EQ(full->file, nullptr);
    sam_free(&full);
}

TEST_F(SamFiles, LetterHeadersScanItemsInAnyOrder) {
    put("b.sam", "SAM b s 16 3 1\n" + "\0\1\xFF\xFF\x80\0"s);
    SamFile* r = read("b.sam", 1);
    EXPECT_EQ(r->depth, 16);
    EXPECT_EQ(r->channels, 1);
    EXPECT_EQ(r->format, 'b');
    EXPECT_EQ(r->sign, 's');
    EXPECT_EQ(r->order, 'm');
    EXPECT_EQ(values_of(r->sample), (Values{1, 65535, 32768}));

    put("a.sam", "SAM a s 16 3 1\n10\n-20\n30\n");
    EXPECT_EQ(values_of(read("a.sam", 1)->sample), (Values{10, 20, 30}));
    put("cut.sam", "SAM a s 16 3 1\n10\n-20\n30");  // the last run may be cut: dropped
    EXPECT_EQ(values_of(read("cut.sam", 1)->sample), (Values{10, 20}));

    // Comments, odd case, control and high bytes, items in another order.
    put("c.sam", "# made by hand\nsAm\x01\xF0\n# depth next\n16\nB\n2 u\n1\n\x12\x34\xAB\xCD\xEF");
    r = read("c.sam", 1);
    EXPECT_EQ(r->format, 'B');
    EXPECT_EQ(r->sign, 'u');
    EXPECT_EQ(values_of(r->sample), (Values{0x1234, 0xABCD}));
    // The sign may come first; depths 8, 24, 32 take 1, 3, 4 bytes.
    put("d.sam", "u SAM b 8 2 1\n\x05\xFF");
    EXPECT_EQ(values_of(read("d.sam", 1)->sample), (Values{5, 255}));
    put("e.sam", "SAM b s 24 2 1\n\x01\x02\x03\x04\x05\x06\x07");
    EXPECT_EQ(values_of(read("e.sam", 1)->sample), (Values{0x010203, 0x040506}));
    put("f.sam", "SAM b s 32 1 1\n\xFF\xFF\xFF\xFF");
    EXPECT_EQ(values_of(read("f.sam", 1)->sample), (Values{-1}));
    // Words longer than one letter are numbers of value 0: no values follow.
    put("g.sam", "SAM\nb\ns\nbits 16\n\x01\x02");
    r = read("g.sam", 1);
    EXPECT_EQ(r->depth, 0);
    EXPECT_EQ(values_of(r->sample), Values{});
    // Numbers wrap modulo 2^32: 4294967297 is 1 and 4294967304 is 8.
    put("h.sam", "SAM b s 4294967304 4294967297 1\n\x07\x08");
    r = read("h.sam", 1);
    EXPECT_EQ(r->depth, 8);
    EXPECT_EQ(values_of(r->sample), Values{7});
    put("i.sam", "SAM a s 8 2 1\n4294967299 x 99999999999\n");
    EXPECT_EQ(values_of(read("i.sam", 1)->sample), (Values{3, 1215752191}));
}

TEST_F(SamFiles, LetterHeadersStopAtTheEndOfTheFile) {
    const char* cut[] = {"",      "S",         "SA",        "SAM b s 16 3",   "SAM b s 16 3 1",
                         "SAM b", "SAM b s 8", "# no end ", "SAM b s 8 1 #x", "bs 8 1 1\n\x01"};
    for (const char* text : cut) {
        put("cut.sam", text);
        SamFile* r = read("cut.sam", 0);
        EXPECT_EQ(r->sample, nullptr) << text;
    }
    EXPECT_EQ(sam_read(nullptr), 0);
    EXPECT_EQ(sam_read(record("absent.sam")), 0);

    // Data cut short keeps the complete values; a count of 0 or less reads none.
    put("short.sam", "SAM b s 16 3 1\n\x01\x02\x03\x04\x05");
    EXPECT_EQ(values_of(read("short.sam", 1)->sample), (Values{0x0102, 0x0304}));
    put("none.sam", "SAM b s 16 0 1\n\x01\x02");
    EXPECT_EQ(values_of(read("none.sam", 1)->sample), Values{});
    put("empty.sam", "SAM b s 16 9 1\n");
    EXPECT_EQ(values_of(read("empty.sam", 1)->sample), Values{});

    // A depth beyond 32 bits cannot be held: refused, the earlier sample stays.
    put("wide.sam", "SAM b s 40 1 1\n\x01\x02\x03\x04\x05");
    SamFile* r = record("wide.sam");
    r->sample = make_sample({42});
    EXPECT_EQ(sam_read(r), 0);
    EXPECT_EQ(r->file, nullptr);
    EXPECT_EQ(values_of(r->sample), Values{42});
    // A successful read replaces (and releases) the sample the record held.
    put("wide.sam", "SAM a s 40 1 1\n5\n");
    EXPECT_EQ(sam_read(r), 1);
    EXPECT_EQ(values_of(r->sample), Values{5});
}

TEST_F(SamFiles, ReadsWhatTheWritersWrote) {
    const Values wide = {0, 1, -1, 127, -128, 40000, -8388608, INT32_MAX, INT32_MIN};
    const Values narrow = {0, 1, -1, 32767, -32768, 300, -300};
    const struct {
        char format;
        bool packed;
        Values values;
        int32_t depth;
    } cases[] = {
        {'b', false, narrow, 16},
        {'B', false, {}, 16},
        {'a', false, wide, 16},
        {'A', false, {}, 16},
        {'b', true, {5, -7}, 8},
        {'b', true, narrow, 16},
        {'b', true, {-8388608, 8388607}, 24},
        {'b', true, wide, 32},
        {'b', true, {}, 8},
    };
    for (const auto& c : cases) {
        SamFile* w = record("rt.sam");
        w->sample = make_sample(c.values);
        w->format = c.format;
        ASSERT_EQ(c.packed ? sam_write_packed(w) : sam_write(w), 1);
        SamFile* r = read("rt.sam", 1);
        EXPECT_EQ(values_of(r->sample), c.values) << c.format << c.packed;
        EXPECT_EQ(r->depth, c.depth);
        EXPECT_EQ(r->channels, 1);
    }
    // Values beyond 16 bits in the full binary form keep their low 16 bits.
    SamFile* w = record("big.sam");
    w->sample = make_sample({70000, -70000});
    w->format = 'b';
    ASSERT_EQ(sam_write(w), 1);
    EXPECT_EQ(values_of(read("big.sam", 1)->sample), (Values{70000 - 65536, -70000 + 65536}));
    // A written header cut short falls back to letter scanning: the "b" of
    // "binary" is the format, then numbers of value 0, and the file ends.
    put("cut.sam", "SAM\nbinary\n3\n1");
    EXPECT_EQ(sam_read(record("cut.sam")), 0);
}

TEST_F(SamFiles, CallerStreamsAreUsedAndClosed) {
    SamFile* w = sam_new();
    w->file = fopen(path("s.sam").c_str(), "wb");
    w->sample = make_sample({3, -4});
    w->format = 'a';
    EXPECT_EQ(sam_save(w), 1);  // no name: the full form
    EXPECT_EQ(w->file, nullptr);
    EXPECT_EQ(get("s.sam"), "SAM\nASCII\n" + full_header + "2\n3\n-4\n");
    sam_free(&w);
    EXPECT_EQ(w, nullptr);

    SamFile* r = sam_new();
    r->file = fopen(path("s.sam").c_str(), "rb");
    EXPECT_EQ(sam_read(r), 1);
    EXPECT_EQ(values_of(r->sample), (Values{3, -4}));
    EXPECT_EQ(r->file, nullptr);
    sam_free(&r);
    sam_free(&r);
    sam_free(nullptr);
}

TEST_F(SamFiles, SaveChoosesTheWriterByTheNameEnding) {
    const Values v = {1, -1, 300};
    for (const char* name : {"x.raw", "x.RAW"}) {
        SamFile* w = record(name);
        w->sample = make_sample(v);
        EXPECT_EQ(sam_save(w), 1);
        EXPECT_EQ(get(name), "SAM\nbinary\n3\n16\n" + "\0\1\xFF\xFF\1\x2C"s);
    }
    for (const char* name : {"x.sam", "x"}) {
        SamFile* w = record(name);
        w->sample = make_sample(v);
        w->format = 'a';
        EXPECT_EQ(sam_save(w), 1);
        EXPECT_EQ(get(name), "SAM\nASCII\n" + full_header + "3\n1\n-1\n300\n");
    }
    SamFile* w = record("x.xwav");
    w->sample = make_sample(v);
    EXPECT_EQ(sam_save(w), 1);
    EXPECT_EQ(get("x.xwav"), "16\n\0\1\xFF\xFF\1\x2C"s);

    EXPECT_EQ(sam_save(nullptr), 0);
    SamFile* empty = record("nothing.sam");  // nothing to save: no file is made
    EXPECT_EQ(sam_save(empty), 0);
    EXPECT_FALSE(exists("nothing.sam"));
    SamFile* nameless = sam_new();
    nameless->sample = make_sample(v);
    EXPECT_EQ(sam_save(nameless), 0);
    sam_free(&nameless);
}

TEST_F(SamFiles, LoadGivesBackWhatSaveWroteForEveryEnding) {
    const Values small = {0, 1, -1, 127, -128, 5};
    const Values mid = {0, 1, -1, 32767, -32768, 300};
    const Values wide = {0, -1, 40000, -8388609, INT32_MAX, INT32_MIN};
    const struct {
        const char* name;
        char format;
        Values values;
    } cases[] = {
        {"t.sam", 'b', mid}, {"t.sam", 'a', wide}, {"t.SAM", 'B', {}}, {"t", 'a', wide},
        {"t", 'b', small},   {"t.raw", 0, small},  {"t.raw", 0, mid},  {"t.raw", 0, wide},
        {"t.raw", 0, {}},    {"t.wav", 0, small},  {"t.Wav", 0, mid},  {"t.wav", 0, {}},
        {"t.xwav", 0, {-3}}, {"t.dat", 'a', wide},
    };
    for (const auto& c : cases) {
        SamFile* w = record(c.name);
        w->sample = make_sample(c.values);
        w->format = c.format;
        ASSERT_EQ(sam_save(w), 1) << c.name;
        SamFile* r = record(c.name);
        r->sample = make_sample({99});  // replaced by the load
        EXPECT_EQ(sam_load(r), 1) << c.name;
        EXPECT_EQ(values_of(r->sample), c.values) << c.name << " " << c.format;
        EXPECT_EQ(r->file, nullptr);
    }
    // Beyond 16 bits the width-line form holds nothing: the save says so.
    SamFile* w = record("big.wav");
    w->sample = make_sample({70000});
    EXPECT_EQ(sam_save(w), 0);
    EXPECT_EQ(get("big.wav"), "");
}

// A canonical 8-bit WAVE file whose data also reads as a SAM letter header:
// the WAVE reader gives the six data bytes, sam_read an empty sample.
std::string wave_that_reads_as_sam() {
    std::string h = "RIFF*\0\0\0WAVEfmt \x10\0\0\0\1\0\1\0"s;
    h += "\x40\x1F\0\0\x40\x1F\0\0\1\0\x08\0data\x06\0\0\0"s;
    return h + "sam s\n";
}

TEST_F(SamFiles, LoadTriesTheReadersInTurn) {
    const Values wave = {'s', 'a', 'm', ' ', 's', '\n'};
    for (const char* name : {"w.dat", "w.wav", "w.raw", "w.sam"}) {
        put(name, wave_that_reads_as_sam());
        SamFile* r = record(name);
        EXPECT_EQ(sam_load(r), 1);
        if (std::string(name) == "w.sam") {
            EXPECT_EQ(r->format, 'A');  // sam_read first: the "A" of "WAVE"
            EXPECT_EQ(values_of(r->sample), Values{});
        } else {
            EXPECT_EQ(r->depth, 8);
            EXPECT_EQ(values_of(r->sample), wave) << name;
        }
    }
    // A SAM file under a WAVE name goes through the chain to sam_read.
    put("s.wav", "SAM b s 8 2 1\n\x01\x02");
    SamFile* r = record("s.wav");
    EXPECT_EQ(sam_load(r), 1);
    EXPECT_EQ(values_of(r->sample), (Values{1, 2}));
    // Nothing else takes it: the headerless reader with the caller's depth and order.
    put("h.bin", "\x01\x02\x03\x04");
    r = record("h.bin");
    r->depth = 16;
    r->order = 'm';
    EXPECT_EQ(sam_load(r), 1);
    EXPECT_EQ(values_of(r->sample), (Values{0x0102, 0x0304}));
    // ... which a failed sam_read may have changed: "9" made the depth 9 here.
    put("n.bin", "9\n\x01\x02");
    r = record("n.bin");
    r->depth = 16;
    r->order = 'm';
    EXPECT_EQ(sam_load(r), 0);
    EXPECT_EQ(r->depth, 9);
    EXPECT_EQ(r->sample, nullptr);
    // Without a depth nothing reads a file no header describes.
    put("x.sam", "");
    EXPECT_EQ(sam_load(record("x.sam")), 0);
    EXPECT_EQ(sam_load(record("absent.wav")), 0);
    EXPECT_EQ(sam_load(nullptr), 0);
}

TEST(SamNames, EndsWithComparesLettersWithoutCase) {
    EXPECT_EQ(sam_ends_with("song.WAV", "wav"), 1);
    EXPECT_EQ(sam_ends_with("song.wav", "song.wav"), 1);
    EXPECT_EQ(sam_ends_with("song.xwav", "wav"), 1);
    EXPECT_EQ(sam_ends_with("wa", "wav"), 0);
    EXPECT_EQ(sam_ends_with("anything", ""), 1);
    EXPECT_EQ(sam_ends_with("", ""), 1);
    EXPECT_EQ(sam_ends_with("a.b", "a_b"), 0);
    EXPECT_EQ(sam_ends_with("a@", "a`"), 0);  // 32 apart but not letters
    EXPECT_EQ(sam_ends_with("x[", "x{"), 0);
    EXPECT_EQ(sam_ends_with(nullptr, "wav"), 0);
    EXPECT_EQ(sam_ends_with("wav", nullptr), 0);
}

TEST(SamRecord, NewSetReadyAndBitCount) {
    SamFile* r = sam_new();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->sample, nullptr);
    EXPECT_EQ(r->name, nullptr);
    EXPECT_EQ(r->file, nullptr);
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
    EXPECT_EQ(sam_ready(r, nullptr), 0);
    EXPECT_EQ(sam_ready(nullptr, r), 0);
    sam_free(&r);

    const struct {
        int32_t v;
        int32_t bits;
    } counts[] = {{0, 1},    {1, 2},    {-1, 2},         {127, 8},       {128, 9},
                  {-128, 9}, {-129, 9}, {INT32_MAX, 32}, {INT32_MIN, 33}};
    for (const auto& c : counts) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(sam_bit_count(c.v), c.bits);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "BITS: " + std::to_string(c.v) + "\nBITS: " + std::to_string(c.bits) + "\n");
    }
}

}  // namespace
