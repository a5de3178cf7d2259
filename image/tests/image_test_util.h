// Small helpers shared by the image tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <tuple>

#include "image/img.h"

using Px = std::vector<uint32_t>;
// A table of cases, one tuple a row.
template <typename... T>
using Rows = std::vector<std::tuple<T...>>;

// Runs f with the IMG error switch on and returns what it printed.
template <typename F>
std::string reported(F f) {
    img_error_switch = 1;
    testing::internal::CaptureStdout();
    f();
    img_error_switch = 0;
    return testing::internal::GetCapturedStdout();
}

// n error lines.
inline std::string errors(int n) {
    return n > 0 ? "IMG error\n" + errors(n - 1) : "";
}

// A new w x h image whose first pixels are px, the rest 0.
inline Image* sized(int32_t w, int32_t h, const Px& px = {}) {
    Image* image = img_new();
    img_resize(image, w, h);
    std::copy(px.begin(), px.end(), image->pixels);
    return image;
}

// A new w x h image whose pixel (x, y) is first + y * m + x (m defaults to w).
inline Image* numbered(int32_t w, int32_t h, uint32_t first = 1, int32_t m = 0) {
    Image* image = sized(w, h);
    const int32_t row_step = m ? m : w;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x)
            img_put_pixel(image, x, y, first + static_cast<uint32_t>(y * row_step + x));
    }
    return image;
}

// Every pixel word of an image, row-major.
inline Px pixels(const Image* image) {
    return Px(image->pixels, image->pixels + image->width * image->height);
}

// Frees the images it is given when it goes out of scope.
struct Keep : std::vector<std::unique_ptr<Image, void (*)(Image*)>> {
    Image* operator()(Image* image) {
        return emplace_back(image, [](Image* i) { img_free(&i); }).get();
    }
};

// The whole content of a file, or "" when it cannot be read.
inline std::string slurp(const std::string& path) {
    return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}
