// The music sequencer: the order of its random draws, the mixing rule, the
// feed's queue test, and the real audio callback running beside it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "audio/sample.h"
#include "container/array.h"
#include "platform/snd.h"
#include "program/demo.h"

namespace {

// The numbers demo_rand() gives after demo_srand(seed).
std::vector<int> draws(unsigned seed, int n) {
    demo_srand(seed);
    std::vector<int> out;
    for (int i = 0; i < n; ++i)
        out.push_back(demo_rand());
    return out;
}

// A seed whose first draw passes (want_change) or fails the 1-in-511 test.
unsigned seed_where_first_draw(bool want_change) {
    for (unsigned seed = 1;; ++seed)
        if ((draws(seed, 1)[0] % 511 == 0) == want_change) return seed;
}

int32_t floor_div8(int64_t v) {
    return static_cast<int32_t>(v >= 0 ? v / 8 : -((-v + 7) / 8));
}

class Music : public testing::Test {
protected:
    void SetUp() override {
        demo_music_init();
        for (auto& v : voices)
            v = nullptr;
    }
    void TearDown() override { sample_free(&mix); }
};

TEST_F(Music, AFailedChanceDrawsOneNumberAndChangesNothing) {
    const unsigned seed = seed_where_first_draw(false);
    const std::vector<int> expected = draws(seed, 2);
    sample_set(mix, -77, 5);
    demo_srand(seed);
    demo_music_step();
    EXPECT_EQ(demo_rand(), expected[1]);
    EXPECT_EQ(sample_get(mix, 5), -77);
    EXPECT_EQ(sample_get(mix, 6), 0);
    for (const Sample* v : voices)
        EXPECT_EQ(v, nullptr);
}

TEST_F(Music, AChangeMixesEveryVoiceAndDividesByEightRoundingDown) {
    const unsigned seed = seed_where_first_draw(true);
    const std::vector<int> d = draws(seed, 4);
    const int32_t s = d[1] % 25;
    const int32_t v = d[2] % 7;
    // Voice (v + 1) mod 7 holds the shortest sound (4472 values); the others stay
    // null unless the draw puts sound s there.
    const int32_t short_voice = (v + 1) % 7;
    voices[short_voice] = &sample_table[4];
    std::vector<int64_t> old(44100);
    for (int32_t i = 0; i < 44100; ++i) {
        old[i] = (i % 3) - 1 - (i % 17) * 1000;  // negative values test the floor
        sample_set(mix, static_cast<int32_t>(old[i]), i);
    }
    demo_srand(seed);
    demo_music_step();
    EXPECT_EQ(demo_rand(), d[3]);  // exactly three numbers drawn
    EXPECT_EQ(voices[v], &sample_table[s]);
    EXPECT_EQ(voices[short_voice], &sample_table[4]);
    for (int32_t i = 0; i < 44100; ++i) {
        int64_t sum = old[i] + sample_get(&sample_table[s], i);
        sum += sample_get(&sample_table[4], i);  // 0 from index 4472 on
        ASSERT_EQ(sample_get(mix, i), floor_div8(sum)) << "value " << i;
    }
}

TEST_F(Music, FeedQueuesTheMixOnlyWhileThreeOrFewerWait) {
    Sound* record = snd_new();
    ASSERT_NE(record, nullptr);
    sound = record;
    int dummy = 0;
    for (int i = 0; i < 3; ++i)
        array_append(record->queue, &dummy);
    const unsigned seed = seed_where_first_draw(false);
    demo_srand(seed);
    demo_music_feed();
    ASSERT_EQ(record->queue->count, 4);
    EXPECT_EQ(array_get(record->queue, 3), mix);
    demo_music_feed();
    EXPECT_EQ(record->queue->count, 4);
    // Without an audio device the sequencer runs on all the same, so the
    // music is where it would be if a device came.
    sound = nullptr;
    demo_srand(seed_where_first_draw(true));
    demo_music_feed();
    int changed = 0;
    for (const Sample* v : voices)
        changed += v != nullptr;
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(record->queue->count, 4);
    snd_close(&record);
}

// The sequencer rewrites the buffer and appends to the queue while SDL's audio
// thread plays them (run under ThreadSanitizer in the checked build).
TEST_F(Music, FeedsBesideTheRealCallback) {
    const std::string path = "/tmp/quor_music_" + std::to_string(getpid()) + ".raw";
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
    sound = snd_open();
    ASSERT_NE(sound, nullptr);
    demo_srand(seed_where_first_draw(true));  // the first feed makes a change
    for (int frame = 0; frame < 3000; ++frame) {
        demo_music_feed();
        usleep(200);
    }
    snd_close(&sound);
    int changed = 0;
    for (const Sample* v : voices)
        changed += v != nullptr;
    EXPECT_GE(changed, 1);
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    unlink(path.c_str());
    EXPECT_GT(bytes.size(), 44100u * 2);
    EXPECT_EQ(bytes.size() % 2, 0u);
    // What SDL was handed is the music: the first change was mixed in before
    // the first value was played.
    int32_t peak = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const int16_t v = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) |
                                               static_cast<uint8_t>(bytes[i + 1]) << 8);
        peak = std::max(peak, std::abs(int32_t{v}));
    }
    EXPECT_GE(peak, 2000);
}

}  // namespace
