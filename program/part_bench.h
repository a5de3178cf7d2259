// One typical frame of each demo part (everything but presenting and
// pacing) into a 256 x 256 screen, set up as the part sets itself up: what
// the native benchmarks time, and the browser build's benchmark mode.
//
// part_bench_start makes the program's objects without a window, keyboard
// or audio device (once); a part's begin sets its own objects up, frame
// draws one frame, end frees what begin made.
#pragma once

#include <cstdint>

struct PartBench {
    const char* name;
    void (*begin)();
    void (*frame)();
    void (*end)();
};

constexpr int32_t part_bench_count = 4;
// The pictures, the tiles, the logo and the rotor.
extern const PartBench part_benches[part_bench_count];

// The screen and the program's shared objects, made once.
void part_bench_start();
