// The number of values of each sound of the music, by index.
// Shared by the sound generator and the sample table that embeds its output.
#pragma once

#include <cstdint>

#include "assets/gen/asset_counts.h"

constexpr int32_t sound_lengths[asset_counts::sounds] = {
    11192, 38620,  21692, 24800, 4472, 25188,  52844,  26448, 42400,  25172,  50340,  25184, 50324,
    28910, 147330, 8300,  6072,  5592, 146390, 147938, 11102, 104364, 207864, 110250, 123012};

// A missing entry would be a silent 0: every sound has some length.
constexpr bool every_sound_has_a_length() {
    for (int32_t n : sound_lengths)
        if (n <= 0) return false;
    return true;
}
static_assert(every_sound_has_a_length());

constexpr int64_t sound_total_length() {
    int64_t total = 0;
    for (int32_t n : sound_lengths)
        total += n;
    return total;
}
