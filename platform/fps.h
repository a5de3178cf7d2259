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
// with fps_set_clock; null restores SDL's.
//
// Ownership: nothing is allocated. The state is the one record fps_state,
// which the caller may read and set directly (target_fps, for a start). The
// clock and sleep functions handed to fps_set_clock are borrowed and stay in
// use until they are replaced.
//
// Threads: main thread only; fps_state and the clock are not locked.
//
// Errors: none; the module prints nothing. A target below 1 is raised to 1 at
// the next tick; clock readings wrap and their differences are read as
// signed; sums that could pass 32 bits are held at the limits.
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

// The clock in microseconds: the millisecond reading times 1000, wrapping modulo 2^32.
uint32_t fps_now();
// Counts a frame and measures the time since the previous tick; returns the
// frames of the last completed one-second window (0 until one is complete).
int32_t fps_tick();
// Sleeps the whole milliseconds that the balance owes the frame rate.
void fps_wait();
// Replaces the clock and the sleep; null for either restores SDL's.
void fps_set_clock(FpsTicksMs ticks, FpsDelayMs delay);

// Identification record: name, date, author, platform, kind.
extern const char* const fps_ident[5];
