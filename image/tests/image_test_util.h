// Small helpers shared by the image tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "image/img.h"

// Runs f with the IMG error switch on and returns what it printed.
template <typename F>
std::string reported(F f) {
    img_error_switch = 1;
    testing::internal::CaptureStdout();
    f();
    std::string out = testing::internal::GetCapturedStdout();
    img_error_switch = 0;
    return out;
}

// A new zeroed image of w x h pixels.
inline Image* sized(int32_t w, int32_t h) {
    Image* image = img_new();
    img_resize(image, w, h);
    return image;
}

// The whole content of a file, or "" when it cannot be read.
inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
