// What a viewer hears in a run with no keys pressed: the music's changes as
// the real parts draw their random numbers from the unseeded demo_rand().
// Its own executable, so that nothing has drawn a number before.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "assets/assets.h"
#include "audio/sample.h"
#include "image/img.h"
#include "platform/fps.h"
#include "program/demo.h"
#include "program/tests/headless.h"
#include "text/font.h"
#include "text/scroll.h"
#include "tools/music_render.h"

namespace {

constexpr uint32_t kFrameMs = 1000 / kFrameRate;

uint32_t virtual_ms = 0;
MusicWatch watch;
std::vector<MusicChange> changes;  // frames counted by the virtual clock

// The frame clock: each paced frame reads it once, so this is where the
// voices are looked at.
uint32_t ticks() {
    watch.look(static_cast<int32_t>(virtual_ms / kFrameMs), changes);
    return virtual_ms;
}

// The demo time of a change.
uint32_t ms(const MusicChange& c) {
    return static_cast<uint32_t>(c.frame) * kFrameMs;
}

void delay(uint32_t ms) {
    virtual_ms += ms;
}

TEST(MusicSequence, TheOpeningAndWhoJoinsWhen) {
    headless_program_start();
    fps_set_clock(ticks, delay);
    fps_state.target_fps = kFrameRate;
    const uint32_t part_start = virtual_ms;
    while (virtual_ms < 180000) {
        demo_part_pictures();
        demo_part_tiles();
        demo_part_logo();
    }
    fps_set_clock(nullptr, nullptr);

    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes[0].sound, 19);
    EXPECT_GT(ms(changes[0]) - part_start, 2000u);
    EXPECT_LT(ms(changes[0]) - part_start, 4000u);
    ASSERT_GT(changes.size(), 1u);
    EXPECT_GT(ms(changes[1]) - ms(changes[0]), 10000u) << "sound 19 opens alone";
    // Sounds in the order they are first heard.
    std::vector<int32_t> first_minute;
    std::vector<int32_t> by_third;
    std::vector<bool> heard(sample_count, false);
    for (const MusicChange& c : changes) {
        if (heard[c.sound]) continue;
        heard[c.sound] = true;
        (ms(c) < 60000 ? first_minute : by_third).push_back(c.sound);
    }
    EXPECT_EQ(first_minute, (std::vector<int32_t>{19, 3, 4, 11, 6, 0, 18}));
    EXPECT_EQ(by_third, (std::vector<int32_t>{20, 10, 2, 24, 1, 9, 12}));

    headless_program_stop();
}

}  // namespace
