// Frame pacing: a running balance of sleep owed, settled by SDL_Delay.
#include "platform/fps.h"

#include <SDL.h>

#include <algorithm>

const char* const fps_ident[5] = {"FPS     ", "20261206", "Vandrell", "LINUXSDL", "CODE    "};

FpsState fps_state = {0, 50, 0, 0, 0, 0, 0, 0, 0};

namespace {

uint32_t sdl_ticks() {
    return SDL_GetTicks();
}
void sdl_delay(uint32_t ms) {
    SDL_Delay(ms);
}

FpsTicksMs ticks_ms = sdl_ticks;
FpsDelayMs delay_ms = sdl_delay;

// v held within the range of a signed 32-bit word.
int32_t saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// The difference a - b of two wrapping microsecond readings, read as signed.
int32_t clock_diff(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(a - b);
}

}  // namespace

void fps_set_clock(FpsTicksMs ticks, FpsDelayMs delay) {
    ticks_ms = ticks ? ticks : sdl_ticks;
    delay_ms = delay ? delay : sdl_delay;
}

uint32_t fps_now() {
    return ticks_ms() * 1000u;
}

int32_t fps_tick() {
    FpsState& s = fps_state;
    s.total_frames = static_cast<int32_t>(static_cast<uint32_t>(s.total_frames) + 1u);
    if (s.target_fps < 1) s.target_fps = 1;
    s.frame_time = 1000000 / s.target_fps;
    const uint32_t now = fps_now();
    s.elapsed = clock_diff(now, s.last_time);
    s.last_time = now;
    // Sums in 64 bits: a huge first interval or a clock jump must not overflow.
    const int64_t window = static_cast<int64_t>(s.second_time) + s.elapsed;
    s.second_time = window > INT32_MAX ? INT32_MAX : static_cast<int32_t>(window);
    if (s.second_time > 999999) {
        s.measured_fps = s.second_frames;
        s.second_frames = 0;
        s.second_time = 0;
    }
    s.second_frames += 1;
    return s.measured_fps;
}

void fps_wait() {
    FpsState& s = fps_state;
    // The balance is kept within 32 bits by saturating; real frame times are
    // far from the limits, but a stalled or jumping clock must not overflow it.
    if (s.elapsed <= s.frame_time) {
        s.delay_balance =
            saturate(static_cast<int64_t>(s.delay_balance) + s.frame_time - int64_t{s.elapsed});
        if (s.delay_balance > 0) delay_ms(static_cast<uint32_t>(s.delay_balance / 1000));
        return;
    }
    s.delay_balance =
        saturate(static_cast<int64_t>(s.delay_balance) - (int64_t{s.elapsed} - s.frame_time));
    if (s.delay_balance <= 0) {
        s.delay_balance = 0;
        return;
    }
    delay_ms(static_cast<uint32_t>(s.delay_balance / 1000));
}
