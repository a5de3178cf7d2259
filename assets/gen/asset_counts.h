// How many sounds and pictures the generators make. The program's catalogue
// (assets/assets.h) takes its counts from here, so the two cannot drift apart.
#pragma once

#include <cstdint>

namespace asset_counts {

constexpr int32_t sounds = 25;
constexpr int32_t pictures = 7;

}  // namespace asset_counts
