// FPS: holds a frame loop to target_fps frames per second and counts the
// frames actually shown per second.
//
// Each frame calls fps_tick() right after its work and fps_wait() right after
// that. Time is in microseconds from a millisecond clock (SDL_GetTicks() *
// 1000, wrapping modulo 2^32); sleeping is in whole milliseconds (SDL_Delay).
// delay_balance is a running integral of (frame_time - elapsed) that never
// goes below 0, so the loop settles at frame_time per frame and does not race
// to catch up after a stall.
//
// Clock: a test or an offline renderer can replace the clock and the sleep
// with fps_set_clock; null restores SDL's. The module prints nothing.
//
// Threads: main thread only.
#pragma once

#include <cstdint>

struct FpsState {
    int32_t target_fps;     // wanted frames per second (raised to 1 when below)
    int32_t frame_time;     // 1000000 / target_fps, microseconds
    uint32_t last_time;     // clock at the previous tick
    int32_t elapsed;        // time between the last two ticks
    int32_t delay_balance;  // sleep owed to the frame rate, never below 0 after a wait
    int32_t second_time;    // time summed in the current one-second window
    int32_t second_frames;  // ticks in the current window
    int32_t measured_fps;   // ticks in the last completed window
    int32_t total_frames;   // ticks since start
};

extern FpsState fps_state;

using FpsTicksMs = uint32_t (*)();
using FpsDelayMs = void (*)(uint32_t milliseconds);

uint32_t fps_now();
int32_t fps_tick();
void fps_wait();
void fps_set_clock(FpsTicksMs ticks, FpsDelayMs delay);

// Identification record: name, date, author, platform, kind.
extern const char* const fps_ident[5];
