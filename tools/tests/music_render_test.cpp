// The offline music render: the real sequencer and callback give silence
// until the first change and audible music after it, and the WAVE writer
// writes a file any player reads.
#include "tools/music_render.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "program/demo.h"

namespace {

constexpr int32_t kSecond = 44100;

TEST(MusicRender, SilentUntilTheFirstChangeThenNeverQuiet) {
    demo_srand(1);  // what an unseeded process starts from
    const int32_t seconds = 60;
    const MusicRender music = render_music(seconds);
    ASSERT_EQ(music.values.size(), static_cast<size_t>(seconds * kSecond));
    ASSERT_FALSE(music.changes.empty());
    EXPECT_EQ(mix, nullptr);
    EXPECT_EQ(sound, nullptr);

    const int64_t change_at = int64_t{music.changes[0].frame} * kFrameValues;
    const auto first_sound =
        std::find_if(music.values.begin(), music.values.end(), [](int16_t v) { return v != 0; });
    const int64_t first = first_sound - music.values.begin();
    EXPECT_GE(first, change_at);
    // The sound may sit beyond the play position; the loop reaches it within a second.
    EXPECT_LT(first, change_at + kSecond);

    // From the first whole second after the change on, every second peaks
    // well above the noise floor: no sound vanishes in the mix.
    for (int64_t start = (change_at / kSecond + 2) * kSecond; start < seconds * kSecond;
         start += kSecond) {
        SCOPED_TRACE(start / kSecond);
        int32_t peak = 0;
        for (int64_t i = start; i < start + kSecond; ++i)
            peak = std::max(peak, std::abs(int32_t{music.values[i]}));
        EXPECT_GE(peak, 2000);
    }
}

TEST(MusicRender, WritesASixteenBitMonoWaveFile) {
    const std::vector<int16_t> values = {0, 1, -1, 32767, -32768};
    char dir[] = "/tmp/music_render_testXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/out.wav";
    WavWriter wav;
    ASSERT_TRUE(wav.open(path, "out.wav"));
    ASSERT_TRUE(wav.add(values.data(), 2));
    // Until it is finished the file is under its temporary name alone.
    EXPECT_NE(access(path.c_str(), F_OK), 0);
    ASSERT_TRUE(wav.add(values.data() + 2, 3));
    ASSERT_TRUE(wav.finish()) << wav.error();
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    unlink(path.c_str());
    EXPECT_EQ(rmdir(dir), 0) << "no temporary file is left beside it";

    ASSERT_EQ(bytes.size(), 44u + 10u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(bytes.substr(36, 4), "data");
    auto u16 = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at]) |
                                     (static_cast<uint8_t>(bytes[at + 1]) << 8));
    };
    auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
    EXPECT_EQ(u32(4), 46u);  // file size after the first 8 bytes
    EXPECT_EQ(u16(20), 1u);  // PCM
    EXPECT_EQ(u16(22), 1u);  // mono
    EXPECT_EQ(u32(24), 44100u);
    EXPECT_EQ(u32(28), 88200u);  // bytes per second
    EXPECT_EQ(u16(32), 2u);      // bytes per frame
    EXPECT_EQ(u16(34), 16u);     // bits
    EXPECT_EQ(u32(40), 10u);
    EXPECT_EQ(u16(44 + 6), 32767u);
    EXPECT_EQ(u16(44 + 8), 0x8000u);
}

TEST(MusicRender, AFileThatCannotBeWrittenIsReportedByTheNameGiven) {
    WavWriter wav;
    EXPECT_FALSE(wav.open("/nonexistent-folder/out.wav", "song.mp4"));
    EXPECT_EQ(wav.error(), "cannot write song.mp4: No such file or directory");
    const int16_t value = 0;
    EXPECT_FALSE(wav.add(&value, 1));
    EXPECT_FALSE(wav.finish());
}

}  // namespace
