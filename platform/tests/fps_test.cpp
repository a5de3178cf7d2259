// Frame pacing against a test clock: every reading and every sleep is ours.
#include "platform/fps.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

uint32_t clock_ms = 0;
std::vector<uint32_t> sleeps;

uint32_t test_ticks() {
    return clock_ms;
}
void test_delay(uint32_t ms) {
    sleeps.push_back(ms);
    clock_ms += ms;  // the sleep passes on the test clock too
}

class FpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fps_state = FpsState{0, 50, 0, 0, 0, 0, 0, 0, 0};
        clock_ms = 0;
        sleeps.clear();
        fps_set_clock(test_ticks, test_delay);
    }
    void TearDown() override { fps_set_clock(nullptr, nullptr); }

    // One frame of the demo's loop: work, tick, wait.
    void frame(uint32_t work_ms) {
        clock_ms += work_ms;
        fps_tick();
        fps_wait();
    }
};

TEST_F(FpsTest, TargetBelowOneBecomesOneAndFrameTimeTruncates) {
    fps_state.target_fps = 0;
    fps_tick();
    EXPECT_EQ(fps_state.target_fps, 1);
    EXPECT_EQ(fps_state.frame_time, 1000000);
    fps_state.target_fps = -7;
    fps_tick();
    EXPECT_EQ(fps_state.target_fps, 1);
    fps_state.target_fps = 3;
    fps_tick();
    EXPECT_EQ(fps_state.frame_time, 333333);
    fps_state.target_fps = 50;
    fps_tick();
    EXPECT_EQ(fps_state.frame_time, 20000);
    EXPECT_EQ(fps_state.total_frames, 4);
}

TEST_F(FpsTest, FastFramesSleepTheRestOfTheirTime) {
    fps_state.target_fps = 50;
    frame(5);  // first tick measures from clock 0: 5 ms
    EXPECT_EQ(fps_state.delay_balance, 15000);
    frame(5);
    EXPECT_EQ(fps_state.delay_balance, 15000);
    for (int i = 0; i < 20; ++i)
        frame(5);
    ASSERT_EQ(sleeps.size(), 22u);
    for (uint32_t s : sleeps)
        EXPECT_EQ(s, 15u);
    EXPECT_EQ(fps_state.delay_balance, 15000);
    EXPECT_EQ(fps_state.elapsed, 20000);
}

TEST_F(FpsTest, SlowFrameEmptiesTheBalanceWithoutSleeping) {
    fps_state.target_fps = 50;
    fps_tick();
    fps_state.delay_balance = 10000;
    clock_ms += 50;  // 30 ms longer than the 20 ms frame time
    fps_tick();
    fps_wait();
    EXPECT_EQ(fps_state.delay_balance, 0);
    EXPECT_TRUE(sleeps.empty());

    // A slow frame that does not use up the balance sleeps what is left.
    fps_state.delay_balance = 40000;
    clock_ms += 30;
    fps_tick();
    fps_wait();
    EXPECT_EQ(fps_state.delay_balance, 30000);
    ASSERT_EQ(sleeps.size(), 1u);
    EXPECT_EQ(sleeps[0], 30u);
}

TEST_F(FpsTest, SubMillisecondBalanceSleepsZeroAndIsKept) {
    fps_state.target_fps = 50;
    fps_tick();
    fps_state.elapsed = 20000;
    fps_state.delay_balance = 999;
    fps_wait();
    ASSERT_EQ(sleeps.size(), 1u);
    EXPECT_EQ(sleeps[0], 0u);
    EXPECT_EQ(fps_state.delay_balance, 999);
}

TEST_F(FpsTest, WaitBeforeAnyTickUsesTheStartValues) {
    fps_wait();
    EXPECT_EQ(fps_state.delay_balance, 50);
    ASSERT_EQ(sleeps.size(), 1u);
    EXPECT_EQ(sleeps[0], 0u);
}

TEST_F(FpsTest, MeasuresFramesPerSecondInWholeWindows) {
    fps_state.target_fps = 50;
    EXPECT_EQ(fps_tick(), 0);  // clock 0: nothing measured yet
    int32_t last = 0;
    for (int i = 0; i < 49; ++i) {
        clock_ms += 20;
        last = fps_tick();
    }
    EXPECT_EQ(last, 0);  // 49 intervals: 980 ms, the window is still open
    clock_ms += 20;
    EXPECT_EQ(fps_tick(), 50);  // one whole second of 20 ms frames
    for (int i = 0; i < 50; ++i) {
        clock_ms += 20;
        last = fps_tick();
    }
    EXPECT_EQ(last, 50);

    // A first tick long after start closes a window at once with 0 frames.
    SetUp();
    clock_ms = 5000;
    EXPECT_EQ(fps_tick(), 0);
    EXPECT_EQ(fps_state.second_frames, 1);
    EXPECT_EQ(fps_state.second_time, 0);
}

TEST_F(FpsTest, ClockDifferencesWrapModulo32Bits) {
    // 4294967 ms * 1000 lies just below 2^32 microseconds; 20 ms later the
    // microsecond clock has wrapped, and the difference is still 20000.
    clock_ms = 4294967;
    fps_tick();
    clock_ms += 20;
    fps_tick();
    EXPECT_EQ(fps_state.elapsed, 20000);
    EXPECT_EQ(fps_now(), (4294987u * 1000u));
}

TEST_F(FpsTest, PacingSettlesAtTheTargetRate) {
    // Uneven work of 3 to 17 ms per frame averages out at 20 ms per frame.
    fps_state.target_fps = 50;
    frame(10);
    const uint32_t start = clock_ms;
    for (int i = 0; i < 500; ++i)
        frame(3 + (i * 7) % 15);
    const uint32_t per_frame_us = (clock_ms - start) * 1000 / 500;
    EXPECT_NEAR(per_frame_us, 20000, 100);
}

}  // namespace
