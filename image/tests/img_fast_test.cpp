// The vector and table-driven paths of the image operations give the same
// pixels as the plain per-pixel rules, at every vector level this build and
// this processor offer, on many random inputs: sizes (odd widths included),
// offsets, and rectangles clipped on every side.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "container/vector_level.h"
#include "image/img.h"
#include "image/tests/image_test_util.h"

namespace {

using common::VectorLevel;

// The levels to check: every one up to the detected level, without SSE2
// where the build has no SSE2 loops.
std::vector<VectorLevel> levels() {
    std::vector<VectorLevel> all;
    for (int l = 0; l <= static_cast<int>(common::detected_vector_level()); ++l) {
#if !defined(__SSE2__)
        if (l == 1) continue;
#endif
        all.push_back(static_cast<VectorLevel>(l));
    }
    return all;
}

class Fast : public testing::Test {
protected:
    void TearDown() override { common::vector_level() = common::detected_vector_level(); }
    std::mt19937 random{7706};
    Keep keep;

    int32_t between(int32_t lo, int32_t hi) {
        return std::uniform_int_distribution<int32_t>(lo, hi)(random);
    }
    // A w x h image of random colours, about `clear` in 8 of them 0.
    Image* picture(int32_t w, int32_t h, int32_t clear = 2) {
        Image* image = keep(sized(w, h));
        for (int64_t i = 0; i < int64_t{w} * h; ++i)
            image->pixels[i] = between(0, 7) < clear ? 0 : static_cast<uint32_t>(random());
        return image;
    }
};

// ---- Plain references ----------------------------------------------------------

uint32_t transparent(uint32_t d, uint32_t s) {
    return s != 0 ? s : d;
}
uint32_t add_saturate(uint32_t d, uint32_t s) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t sum = ((d >> shift) & 0xFF) + ((s >> shift) & 0xFF);
        out |= (sum < 255 ? sum : 255) << shift;
    }
    return out;
}

// Every pixel (x, y) of the destination whose source pixel (x - dx + sx,
// y - dy + sy) exists and lies inside the rectangle gets rule(d, s).
template <typename Rule>
void reference_blit(const Image* s, Image* d, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                    int32_t w, int32_t h, Rule rule) {
    for (int64_t y = 0; y < d->height; ++y)
        for (int64_t x = 0; x < d->width; ++x) {
            const int64_t i = x - dx, j = y - dy;
            const int64_t px = sx + i, py = sy + j;
            if (i < 0 || j < 0 || i >= w || j >= h) continue;
            if (px < 0 || py < 0 || px >= s->width || py >= s->height) continue;
            uint32_t& out = d->pixels[y * d->width + x];
            out = rule(out, s->pixels[py * s->width + px]);
        }
}

// The scaling as the run lists of img_line_runs describe it.
void reference_scale(const Image* s, Image* d) {
    int32_t* cols = img_line_runs(s->width, d->width);
    int32_t* rows = img_line_runs(s->height, d->height);
    std::vector<int64_t> col, row;
    if (d->width >= s->width) {
        for (int32_t i = 0; i < s->width; ++i)
            for (int32_t k = 0; k < cols[i]; ++k)
                col.push_back(i);
    } else {
        int64_t end = 0;
        for (int32_t j = 0; j < d->width; ++j) {
            end += cols[j];
            col.push_back(end - 1);
        }
    }
    if (d->height >= s->height) {
        for (int32_t i = 0; i < s->height; ++i)
            for (int32_t k = 0; k < rows[i]; ++k)
                row.push_back(i);
    } else {
        int64_t start = 0;
        for (int32_t r = 0; r < d->height; ++r) {
            row.push_back(d->width < s->width ? start + rows[r] - 1 : start);
            start += rows[r];
        }
    }
    for (int32_t y = 0; y < d->height; ++y)
        for (int32_t x = 0; x < d->width; ++x)
            d->pixels[y * d->width + x] = s->pixels[row[y] * s->width + col[x]];
    free(cols);
    free(rows);
}

// The rotation with a bounds test per destination pixel.
Px reference_rotate(const Image* s, int32_t angle) {
    const int64_t w = s->width, h = s->height;
    const int64_t nw = (92667 * w) >> 16, nh = (92667 * h) >> 16;
    const uint32_t back = 0u - static_cast<uint32_t>(angle);
    const int64_t sn = img_sine_table.values[back & 1023];
    const int64_t cs = img_sine_table.values[(back - 256u) & 1023];
    Px out;
    for (int64_t y = 0; y < nh; ++y)
        for (int64_t x = 0; x < nw; ++x) {
            const int64_t dx = x - nw / 2, dy = y - nh / 2;
            const int64_t px = w / 2 - ((sn * dy) >> 15) + ((cs * dx) >> 15);
            const int64_t py = h / 2 + ((cs * dy) >> 15) + ((sn * dx) >> 15);
            const bool inside = px >= 0 && px < w && py >= 0 && py < h;
            out.push_back(inside ? s->pixels[py * w + px] : 0u);
        }
    return out;
}

// ---- The comparisons -----------------------------------------------------------

TEST_F(Fast, RectangleCopiesMatchThePlainRulesClippedOnEverySide) {
    for (VectorLevel level : levels()) {
        common::vector_level() = level;
        for (int round = 0; round < 400; ++round) {
            const int32_t clear = round % 9;  // from no 0 at all to all 0
            // Every other round of each mode has rows longer than the widest vector step.
            const int32_t wide = round / 4 % 2 == 1 ? 100 : 0;
            Image* s = picture(between(wide, 45 + wide), between(0, 12), clear);
            Image* d = picture(between(wide, 50 + wide), between(0, 12), 1);
            const int32_t sx = between(-8, s->width + 2), sy = between(-4, s->height + 2);
            const int32_t dx = between(-50, d->width + 2), dy = between(-14, d->height + 2);
            const int32_t w = between(-2, 60 + wide), h = between(-2, 16);
            Image* want = keep(img_clone(d));
            Image* got = keep(img_clone(d));
            switch (round % 4) {
                case 0:
                    reference_blit(s, want, sx, sy, dx, dy, w, h, transparent);
                    img_blit_transparent(s, got, sx, sy, dx, dy, w, h);
                    break;
                case 1:
                    reference_blit(s, want, sx, sy, dx, dy, w, h,
                                   [](uint32_t, uint32_t v) { return v; });
                    img_blit(s, got, sx, sy, dx, dy, w, h);
                    break;
                case 2:
                    reference_blit(s, want, sx, sy, dx, dy, w, h,
                                   [](uint32_t a, uint32_t b) { return a + b; });
                    img_blit_add(s, got, sx, sy, dx, dy, w, h);
                    break;
                default:
                    reference_blit(s, want, sx, sy, dx, dy, w, h, add_saturate);
                    img_blit_add_saturate(s, got, sx, sy, dx, dy, w, h);
                    break;
            }
            ASSERT_EQ(pixels(got), pixels(want))
                << "level " << static_cast<int>(level) << " round " << round;
        }
    }
}

TEST_F(Fast, TransparentRowWrapMatchesThePlainRule) {
    for (VectorLevel level : levels()) {
        common::vector_level() = level;
        for (int round = 0; round < 200; ++round) {
            Image* s = picture(between(1, 70), 2);
            Image* d = picture(between(1, 70), 3, 0);
            const int32_t offset = between(-200, 200);
            Image* want = keep(img_clone(d));
            const int64_t n = std::min(s->width, d->width);
            for (int64_t i = 0; i < n; ++i) {
                uint32_t& out =
                    want->pixels[want->width + (offset + i + 1000 * d->width) % d->width];
                out = transparent(out, s->pixels[s->width + i]);
            }
            img_copy_row_wrap(s, d, 1, 1, offset);
            ASSERT_EQ(pixels(d), pixels(want)) << "round " << round;
        }
    }
}

TEST_F(Fast, FadeMatchesPerChannelSubtraction) {
    for (VectorLevel level : levels()) {
        common::vector_level() = level;
        for (int round = 0; round < 100; ++round) {
            Image* image = picture(between(0, 67), between(0, 9), 1);
            const uint32_t colour = static_cast<uint32_t>(random());
            Px want = pixels(image);
            for (uint32_t& p : want) {
                uint32_t out = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    const int32_t c = static_cast<int32_t>((p >> shift) & 0xFF) -
                                      static_cast<int32_t>((colour >> shift) & 0xFF);
                    out |= static_cast<uint32_t>(c > 0 ? c : 0) << shift;
                }
                p = out;
            }
            img_fade(image, colour);
            ASSERT_EQ(pixels(image), want) << "round " << round;
        }
    }
}

TEST_F(Fast, ScaleMatchesTheRunLists) {
    for (VectorLevel level : levels()) {
        common::vector_level() = level;
        for (int round = 0; round < 300; ++round) {
            // Sizes up and down each way, with ratios near 1, 2 and far beyond;
            // every fourth a square to a square, where rows follow the columns.
            const int32_t sw = between(1, round % 3 == 0 ? 200 : 40);
            const int32_t dw = between(1, round % 5 == 0 ? 300 : 60);
            const bool square = round % 4 == 1;
            Image* s = picture(sw, square ? sw : between(1, 30));
            Image* want = keep(sized(dw, square ? dw : between(1, 30)));
            Image* got = keep(sized(want->width, want->height));
            reference_scale(s, want);
            img_scale(s, got);
            ASSERT_EQ(pixels(got), pixels(want))
                << s->width << "x" << s->height << " to " << want->width << "x" << want->height;
        }
    }
}

TEST_F(Fast, RotateMatchesTheTestPerPixel) {
    for (VectorLevel level : levels()) {
        common::vector_level() = level;
        for (int round = 0; round < 60; ++round) {
            Image* s = picture(between(0, 41), between(0, 41), 1);
            const int32_t angle = round < 8 ? round * 128 : between(-5000, 5000);
            Image* got = keep(img_rotate(s, angle));
            ASSERT_NE(got, nullptr);
            ASSERT_EQ(pixels(got), reference_rotate(s, angle))
                << s->width << "x" << s->height << " angle " << angle;
        }
    }
}

// A raw picture of the given type holding the image's pixels (P5 takes the
// blue channel, P4 bit set where blue is odd), and the image the memory
// decoder makes of it.
std::string raw_picture(int type, const Image* image, Px& want) {
    const int32_t w = image->width, h = image->height;
    std::string blob = "P";
    blob += std::to_string(type);
    blob += "\n";
    blob += std::to_string(w);
    blob += " ";
    blob += std::to_string(h);
    blob += type == 4 ? "\n" : "\n255\n";
    want.clear();
    if (type == 4) {
        // The memory decoder rounds the width up to whole bytes and runs the
        // bits on from row to row.
        const int64_t bits = int64_t{(w + 7) / 8 * 8} * h;
        for (int64_t i = 0; i < bits; i += 8) {
            int byte = 0;
            for (int k = 0; k < 8; ++k) {
                const bool set = image->pixels[(i + k) % (int64_t{w} * h)] & 1;
                byte |= set << (7 - k);
                want.push_back(set ? 0xFFFFFFu : 0u);
            }
            blob += static_cast<char>(byte);
        }
        return blob;
    }
    for (int64_t i = 0; i < int64_t{w} * h; ++i) {
        const uint32_t p = image->pixels[i];
        if (type == 6) {
            blob += static_cast<char>(p >> 16);
            blob += static_cast<char>(p >> 8);
            want.push_back(p & 0xFFFFFF);
        } else {
            want.push_back((p & 0xFF) * 0x010101u);
        }
        blob += static_cast<char>(p);
    }
    return blob;
}

TEST_F(Fast, RawPicturesDecodeToTheirPixelsAndNeverReadPastTheLength) {
    for (VectorLevel level : levels()) {
        common::vector_level() = level;
        for (int round = 0; round < 150; ++round) {
            const int type = 4 + round % 3;
            Image* image = picture(between(1, 37), between(1, 9), 1);
            Px want;
            const std::string blob = raw_picture(type, image, want);
            // An exact heap copy: the sanitizers see any byte read past it.
            std::vector<uint8_t> exact(blob.begin(), blob.end());
            Image* got =
                keep(img_from_pnm_length(exact.data(), static_cast<int64_t>(exact.size())));
            ASSERT_NE(got, nullptr) << "P" << type << " round " << round;
            ASSERT_EQ(pixels(got), want) << "P" << type << " round " << round;
            // One byte short: refused before any pixel is read.
            std::vector<uint8_t> short_by_one(blob.begin(), blob.end() - 1);
            EXPECT_EQ(
                img_from_pnm_length(short_by_one.data(), static_cast<int64_t>(short_by_one.size())),
                nullptr);
        }
    }
}

}  // namespace
