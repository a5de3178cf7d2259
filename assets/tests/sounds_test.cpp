// The music's 25 sounds as the sample table holds them: their value range,
// a first second loud enough to survive the mix's division by 8,
// and a first second that loops without a click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "assets/assets.h"
#include "audio/sample.h"

namespace {

constexpr int32_t kSecond = 44100;
// Peaks at or above this are still 3000 after the division by 8.
constexpr int32_t kAudiblePeak = 24000;
// The largest step allowed where the loop joins its end to its start.
constexpr int32_t kLoopStep = 1024;

int32_t heard(const Sample& s) {
    return std::min(s.length, kSecond);
}

TEST(Sounds, ValuesAreSixteenBitAndEachFirstSecondIsLoudAndCentred) {
    for (int32_t i = 0; i < sample_count; ++i) {
        SCOPED_TRACE(i);
        const Sample& s = sample_table[i];
        EXPECT_GE(sample_min(&s), -32768);
        EXPECT_LE(sample_max(&s), 32767);
        int32_t peak = 0;
        int64_t sum = 0;
        for (int32_t k = 0; k < heard(s); ++k) {
            peak = std::max(peak, std::abs(s.data[k]));
            sum += s.data[k];
        }
        EXPECT_GE(peak, kAudiblePeak);
        // An offset would shift the whole mix and thump at every change.
        EXPECT_LT(std::abs(sum / heard(s)), 300);
    }
}

// A sound longer than a second loops its first second: value 44099 runs into
// value 0. A shorter one plays from the downbeat and must start and end in
// silence, since the loop continues with zeros after its last value.
TEST(Sounds, EachFirstSecondLoopsWithoutAClick) {
    for (int32_t i = 0; i < sample_count; ++i) {
        SCOPED_TRACE(i);
        const Sample& s = sample_table[i];
        const int32_t before_start = s.length > kSecond ? s.data[kSecond - 1] : 0;
        EXPECT_LE(std::abs(s.data[0] - before_start), kLoopStep);
        if (s.length < kSecond) {
            EXPECT_EQ(s.data[s.length - 1], 0);
            EXPECT_LE(std::abs(s.data[s.length - 2]), kLoopStep);
        }
    }
}

}  // namespace
