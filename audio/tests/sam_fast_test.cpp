// The WAVE reader's block reading gives the same values as decoding the
// file value by value, at every vector level this build offers, on random
// files: both depths, data shorter or longer than the header says, a cut
// value at the end, and streams whose size cannot be told.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "audio/sam.h"
#include "container/vector_level.h"

namespace {

using common::VectorLevel;
using Values = std::vector<int32_t>;

std::vector<VectorLevel> levels() {
    std::vector<VectorLevel> all{VectorLevel::plain};
#if defined(__SSE2__)
    all.push_back(VectorLevel::sse2);
#endif
    return all;
}

std::string le(uint32_t v, int size) {
    std::string out;
    for (int k = 0; k < size; ++k)
        out += static_cast<char>(v >> (8 * k));
    return out;
}

// A canonical WAVE file whose header declares `declared` data bytes,
// followed by the given data bytes.
std::string wave(int depth, int32_t declared, const std::string& data) {
    return "RIFF" + le(36 + static_cast<uint32_t>(declared), 4) + "WAVEfmt " + le(16, 4) +
           le(1, 2) + le(1, 2) + le(44100, 4) + le(44100 * depth / 8, 4) + le(depth / 8, 2) +
           le(static_cast<uint32_t>(depth), 2) + "data" + le(static_cast<uint32_t>(declared), 4) +
           data;
}

// The values a value-by-value reader takes: as many whole values as both the
// header and the data allow (none for a negative size).
Values expected(int depth, int32_t declared, const std::string& data) {
    const int width = depth / 8;
    const int64_t count = declared / width;
    Values out;
    for (int64_t i = 0; i < count && (i + 1) * width <= static_cast<int64_t>(data.size()); ++i) {
        const auto* p = reinterpret_cast<const uint8_t*>(data.data()) + i * width;
        out.push_back(width == 1 ? p[0] : static_cast<int16_t>(p[0] | p[1] << 8));
    }
    return out;
}

Values values_of(const SamFile* r) {
    return Values(r->sample->data, r->sample->data + r->sample->length);
}

class SamFast : public testing::Test {
protected:
    void TearDown() override {
        common::vector_level() = common::detected_vector_level();
        remove(path.c_str());
    }
    std::mt19937 random{44100};
    // A file of this test alone: the tests of this file may run at once.
    std::string path = testing::TempDir() + "sam_fast_test_" +
                       testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                       std::to_string(getpid()) + ".wav";

    std::string noise(int64_t bytes) {
        std::string out;
        for (int64_t i = 0; i < bytes; ++i)
            out += static_cast<char>(random());
        return out;
    }

    // Reads the file through its name; 1 and the values when it succeeds.
    Values read_named(const std::string& bytes, int32_t& result) {
        FILE* f = fopen(path.c_str(), "wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
        SamFile* r = sam_new();
        r->name = strdup(path.c_str());
        result = sam_read_wav(r);
        Values got = result ? values_of(r) : Values{};
        sam_free(&r);
        return got;
    }

    // Reads the same bytes from a memory stream, whose size fstat cannot tell.
    Values read_stream(std::string bytes, int32_t& result) {
        SamFile* r = sam_new();
        r->file = fmemopen(bytes.data(), bytes.size(), "rb");
        result = sam_read_wav(r);
        Values got = result ? values_of(r) : Values{};
        sam_free(&r);
        return got;
    }
};

TEST_F(SamFast, BlockReadingGivesTheValuesOfValueByValueReading) {
    for (VectorLevel level : levels()) {
        common::vector_level() = level;
        for (int round = 0; round < 120; ++round) {
            const int depth = round % 2 ? 16 : 8;
            const int64_t bytes = std::uniform_int_distribution<int64_t>(0, 700)(random);
            const std::string data = noise(bytes);
            // The header says exactly, fewer, more, an odd count or a negative size.
            const int32_t choices[] = {static_cast<int32_t>(bytes), static_cast<int32_t>(bytes / 3),
                                       static_cast<int32_t>(bytes + 40),
                                       static_cast<int32_t>(bytes | 1), -6};
            const int32_t declared = choices[round % 5];
            const std::string file = wave(depth, declared, data);
            const Values want = expected(depth, declared, data);
            int32_t result = 0;
            EXPECT_EQ(read_named(file, result), want) << "round " << round;
            EXPECT_EQ(result, 1);
            EXPECT_EQ(read_stream(file, result), want) << "round " << round;
            EXPECT_EQ(result, 1);
        }
    }
}

TEST_F(SamFast, LongStreamsOfUnknownSizeGrowTheSampleAsTheyGo) {
    for (VectorLevel level : levels()) {
        common::vector_level() = level;
        for (const int depth : {8, 16}) {
            // Beyond the first block of 65536 values and one doubling of it.
            const std::string data = noise(int64_t{150001} * depth / 8 + 1);
            const int32_t declared = static_cast<int32_t>(data.size()) + 1000;
            const std::string file = wave(depth, declared, data);
            int32_t result = 0;
            EXPECT_EQ(read_stream(file, result), expected(depth, declared, data));
            EXPECT_EQ(result, 1);
            EXPECT_EQ(read_named(file, result), expected(depth, declared, data));
            EXPECT_EQ(result, 1);
        }
    }
}

}  // namespace
