// Frame pacing against a test clock: every reading and every sleep is ours.
#include "platform/fps.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

uint32_t clock_ms = 0;
std::vector<uint32_t> sleeps;

void sleep_ms(uint32_t ms) {
    sleeps.push_back(ms);
    clock_ms += ms;
}

class FpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fps_state = FpsState{50, 50, 0, 0, 0, 0, 0, 0, 0};
        clock_ms = 0;
        sleeps.clear();
        fps_set_clock([] { return clock_ms; }, sleep_ms);
    }
    void TearDown() override { fps_set_clock(nullptr, nullptr); }

    // One frame of a part's loop: work, tick, wait.
    void frame(uint32_t work_ms) {
        clock_ms += work_ms;
        fps_tick();
        fps_wait();
    }
};

TEST_F(FpsTest, TargetBelowOneBecomesOneAndFrameTimeTruncates) {
    const int32_t cases[][3] = {{0, 1, 1000000}, {3, 3, 333333}};
    for (const auto& [target, kept, frame_time] : cases) {
        fps_state.target_fps = target;
        fps_tick();
        EXPECT_EQ(fps_state.target_fps, kept);
        EXPECT_EQ(fps_state.frame_time, frame_time);
    }
}

TEST_F(FpsTest, FastFramesSleepTheRestAndSlowOnesEmptyTheBalance) {
    for (int i = 0; i < 22; ++i)
        frame(5);  // the first tick measures from clock 0: 5 ms
    EXPECT_EQ(sleeps, std::vector<uint32_t>(22, 15));
    EXPECT_EQ(fps_state.delay_balance, 15000);
    // 30 ms over the frame time against a balance of 15000: empty, no sleep.
    frame(50);
    EXPECT_EQ(fps_state.delay_balance, 0);
    EXPECT_EQ(sleeps.size(), 22u);
    // A slow frame that leaves some balance sleeps what is left.
    fps_state.delay_balance = 40000;
    frame(30);
    EXPECT_EQ(fps_state.delay_balance, 30000);
    EXPECT_EQ(sleeps.back(), 30u);
    // Sleeps are whole milliseconds, rounded down.
    fps_state.elapsed = 20000;
    fps_state.delay_balance = 999;
    fps_wait();
    EXPECT_EQ(sleeps.back(), 0u);
}

TEST_F(FpsTest, MeasuresWholeOneSecondWindows) {
    std::vector<int32_t> measured;
    for (int i = 0; i <= 100; ++i) {
        measured.push_back(fps_tick());
        clock_ms += 20;
    }
    // 49 intervals make 980 ms: still open; the 50th closes the window.
    EXPECT_EQ(measured[49], 0);
    EXPECT_EQ(measured[50], 50);
    EXPECT_EQ(measured[100], 50);
    // A first tick long after start closes a window at once with 0.
    SetUp();
    clock_ms = 5000;
    EXPECT_EQ(fps_tick(), 0);
    EXPECT_EQ(fps_state.second_frames, 1);
    EXPECT_EQ(fps_state.second_time, 0);
}

TEST_F(FpsTest, ClockWrapsModulo32BitsAndPacingSettlesOnTheTarget) {
    // 4294967 ms lies just below 2^32 microseconds; 20 ms later the clock has
    // wrapped and the difference is still 20000.
    clock_ms = 4294967;
    fps_tick();
    clock_ms += 20;
    fps_tick();
    EXPECT_EQ(fps_state.elapsed, 20000);
    // Uneven work of 3 to 17 ms per frame averages out at 20 ms per frame.
    const uint32_t start = clock_ms;
    for (int i = 0; i < 500; ++i)
        frame(3 + (i * 7) % 15);
    EXPECT_NEAR((clock_ms - start) * 1000.0 / 500, 20000, 100);
}

}  // namespace
