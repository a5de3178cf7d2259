// Paints the seven (asset_counts::pictures) 128 x 128 pictures (P6).
// Usage: make_pictures OUTDIR   (writes picture-0.ppm .. picture-6.ppm)
//
//   0 chrome ball       a mirror sphere over a chequered floor, on black
//   1 plasma            overlapping sine waves through a colour palette
//   2 Mandelbrot set    the set and its glowing edge, on black
//   3 sunset            sky, sun, mountains and sea
//   4 gear emblem       a bevelled steel gear with a gold star hub, on black
//   5 tunnel            a twisting chequered tunnel with an open centre
//   6 flower            two rings of petals around a dotted heart, on black
//
// Black (0, 0, 0) is see-through where the demo draws the pictures, so it is
// used only for the background around an object and for its holes. Every
// pixel of an object goes through put(), which never writes pure black.
// Edges are hard (no blending into the black), so no dark fringe shows when
// a picture is drawn over colours. Only a fixed-seed generator is random, and
// all arithmetic goes through gen_math.h: every machine writes the same bytes.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/gen/asset_counts.h"
#include "assets/gen/drawing.h"
#include "assets/gen/gen_math.h"
#include "assets/gen/pnm_write.h"

namespace {

constexpr int size = 128;
constexpr double pi = gm::kPi;

using drawing::mix;
using drawing::Rgb;
using drawing::Vec2;

struct Picture {
    std::vector<uint8_t> rgb = std::vector<uint8_t>(size * size * 3, 0);

    // Stores an object's pixel: channels clamped to 0..255, and never all 0.
    void put(int x, int y, Rgb c) {
        uint8_t* p = &rgb[(y * size + x) * 3];
        p[0] = drawing::to_byte(c.r);
        p[1] = drawing::to_byte(c.g);
        p[2] = drawing::to_byte(c.b);
        if (p[0] == 0 && p[1] == 0 && p[2] == 0) p[2] = 1;
    }
};

// Smooth value noise in one dimension, made of random values at whole numbers.
struct Noise {
    std::vector<double> values;
    explicit Noise(uint32_t seed) {
        gm::Xorshift32 random(seed);
        for (int i = 0; i < 256; ++i)
            values.push_back(random.unit());
    }
    double at(double x) const {
        const double f = std::floor(x);
        const double t = x - f;
        const int i = static_cast<int>(f) & 255;
        const double s = t * t * (3 - 2 * t);
        return values[i] * (1 - s) + values[(i + 1) & 255] * s;
    }
    // Several octaves, each twice as fine and half as strong: 0 to about 1.
    double fractal(double x, int octaves) const {
        double sum = 0, weight = 0.5;
        for (int o = 0; o < octaves; ++o, x *= 2.03, weight *= 0.5)
            sum += at(x + o * 17.3) * weight;
        return sum;
    }
};

// Blinn-Phong light from the upper left for a surface normal (y down, z to
// the viewer): the diffuse term and a highlight of the given sharpness.
drawing::Light light(double nx, double ny, double nz, double sharpness) {
    return drawing::blinn_phong({nx, ny, nz}, {-0.48, -0.62, 0.62}, sharpness);
}

// The average colour of a pixel over 4 x 4 points spread across it: smooths
// patterns finer than a pixel (the far floor, the deep tunnel).
template <typename F>
Rgb supersampled(int x, int y, F colour) {
    Rgb sum{0, 0, 0};
    for (int i = 0; i < 16; ++i)
        sum = sum + colour(x + (i % 4 + 0.5) / 4, y + (i / 4 + 0.5) / 4);
    return sum * (1.0 / 16);
}

// 0: a mirror ball reflecting a blue sky with a sun above and a red and white
// chequered floor below.
Picture chrome_ball() {
    Picture p;
    constexpr double radius = 61;
    auto colour = [](double px, double py) {
        const double dx = (px - 64) / radius, dy = (py - 64) / radius;
        const double nz = std::sqrt(std::max(0.0, 1 - dx * dx - dy * dy));
        // The view ray (0, 0, -1) mirrored about the normal.
        const double rx = 2 * nz * dx, ry = 2 * nz * dy, rz = 2 * nz * nz - 1;
        Rgb c;
        if (ry < 0) {
            c = mix({215, 230, 255}, {25, 60, 170}, gm::pow(-ry, 0.6));
        } else {
            const double t = 1.2 / std::max(ry, 0.02);
            const double u = rx * t, w = rz * t;
            const bool light_square =
                (static_cast<int>(std::floor(u * 1.5)) + static_cast<int>(std::floor(w * 1.5))) & 1;
            const Rgb tile = light_square ? Rgb{240, 235, 225} : Rgb{210, 25, 45};
            c = mix(tile, {200, 190, 210}, 1 - gm::exp(-t * 0.2));
        }
        // A sun in the sky, a metallic tint darkening toward the rim, and a
        // soft highlight from the scene's light.
        const double sun = std::max(0.0, -0.45 * rx - 0.7 * ry + 0.55 * rz);
        const drawing::Light l = light(dx, dy, nz, 40);
        return c * (0.55 + 0.45 * nz) + Rgb{255, 250, 225} * (gm::pow(sun, 60) + l.specular * 0.6);
    };
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (gm::hypot(x + 0.5 - 64, y + 0.5 - 64) < radius)
                p.put(x, y, supersampled(x, y, colour));
        }
    }
    return p;
}

// 1: plasma: four sine waves over a gently warped plane, summed and run
// through a cosine palette (magenta, gold and teal).
Picture plasma() {
    Picture p;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double u = x + 7 * gm::sin(y / 13.0);
            const double w = y + 7 * gm::sin(x / 11.0);
            const double v = gm::sin(u / 9.0) + gm::sin(w / 7.5 + u / 21.0) +
                             gm::sin(gm::hypot(u - 90.0, w - 30.0) / 8.0) +
                             gm::sin(gm::hypot(u - 20.0, w - 100.0) / 12.0);
            const double t = v / 8 + 0.5;
            const Rgb c{0.5 + 0.5 * gm::cos(2 * pi * (2 * t + 0.5)),
                        0.5 + 0.5 * gm::cos(2 * pi * (t + 0.2)), 0.5};
            p.put(x, y, c * 255);
        }
    }
    return p;
}

// 2: the Mandelbrot set: the set dark blue, its surroundings glowing by
// escape time; points that escape at once stay black.
Picture mandelbrot() {
    Picture p;
    const Rgb palette[] = {{40, 0, 90},    {20, 70, 200},  {40, 200, 240}, {250, 250, 255},
                           {255, 210, 60}, {240, 100, 20}, {150, 20, 60},  {40, 0, 90}};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double cr = -2.2 + (x + 0.5) * 2.9 / size;
            const double ci = -1.45 + (y + 0.5) * 2.9 / size;
            double zr = 0, zi = 0;
            int n = 0;
            constexpr int limit = 300;
            while (n < limit && zr * zr + zi * zi < 256) {
                const double t = zr * zr - zi * zi + cr;
                zi = 2 * zr * zi + ci;
                zr = t;
                ++n;
            }
            if (n == limit) {
                const double glow = std::min(1.0, std::sqrt(zr * zr + zi * zi));
                p.put(x, y, Rgb{10, 14, 50} + Rgb{30, 40, 90} * glow);
                continue;
            }
            const double mu = n + 1 - gm::log2(gm::log(std::sqrt(zr * zr + zi * zi)));
            if (mu < 4.2) continue;  // far from the set: see-through
            const double t = std::fmod(gm::log(mu - 3.2) * 1.9, 7.0);
            const int i = static_cast<int>(t);
            p.put(x, y, mix(palette[i], palette[i + 1], t - i));
        }
    }
    return p;
}

// 3: a sunset: sky, a striped sun, two ranges of mountains and the sea.
Picture sunset() {
    Picture p;
    const Noise far(11), near(23), waves(37);
    gm::Xorshift32 stars(2026);
    constexpr int horizon = 88;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double sy = std::min(y, horizon) / static_cast<double>(horizon);
            Rgb sky = sy < 0.55 ? mix({18, 12, 70}, {150, 40, 120}, sy / 0.55)
                                : mix({150, 40, 120}, {255, 150, 60}, (sy - 0.55) / 0.45);
            const double sun = gm::hypot(x - 64.0, y - 64.0);
            const bool stripe = y > 58 && (y - 58) % 5 < (y - 54) / 7;
            if (y < horizon) {
                Rgb c = sky;
                if (sun < 26 && !stripe)
                    c = mix({255, 245, 140}, {255, 110, 60}, (y - 38) / 50.0);
                else if (sun < 40)
                    c = c + Rgb{60, 30, 10} * (1 - (sun - 26) / 14);
                const double far_top = 58 + 22 * far.fractal(x / 24.0, 5);
                const double near_top = 66 + 26 * near.fractal(x / 18.0 + 3, 5);
                if (y > far_top) c = mix({110, 40, 110}, {80, 30, 90}, (y - far_top) / 30);
                if (y > near_top) c = mix({45, 18, 60}, {25, 10, 40}, (y - near_top) / 30);
                p.put(x, y, c);
                continue;
            }
            // The sea mirrors the sky, with the sun's path broken by waves.
            const double depth = (y - horizon) / static_cast<double>(size - horizon);
            Rgb c = mix({200, 90, 90}, {30, 20, 70}, gm::pow(depth, 0.6));
            const double ripple = waves.at(x / (3.0 + 20 * depth) + y * 7.1);
            const double path = std::fabs(x - 64.0) / (16 + 30 * depth);
            if (path < 1 && ripple > 0.45 + 0.5 * path)
                c = mix(c, {255, 210, 110}, 0.85 - 0.5 * depth);
            else if (ripple > 0.8)
                c = c + Rgb{40, 25, 30};
            p.put(x, y, c);
        }
    }
    // A few stars in the dark top of the sky.
    for (int i = 0; i < 40; ++i) {
        const int x = static_cast<int>(stars.unit() * size);
        const int y = static_cast<int>(stars.unit() * stars.unit() * 50);
        const double b = 120 + 135 * stars.unit() * (1 - y / 60.0);
        p.put(x, y, Rgb{b, b, b * 0.9 + 25});
    }
    return p;
}

// 4: a steel gear with twelve teeth and six holes around a raised gold hub
// that carries a star; the holes are see-through.
Picture gear_emblem() {
    Picture p;
    std::vector<Vec2> gear_corners;
    constexpr int teeth = 12;
    for (int i = 0; i < teeth * 16; ++i) {
        const double a = 2 * pi * i / (teeth * 16);
        const double s = std::fabs(std::fmod(a * teeth / (2 * pi), 1.0) - 0.5) * 2;  // 0 mid-tooth
        const double r = 49 + 12 * std::clamp((0.62 - s) * 4, 0.0, 1.0);
        gear_corners.push_back({64 + r * gm::cos(a), 64 + r * gm::sin(a)});
    }
    std::vector<Vec2> star_corners;
    for (int i = 0; i < 10; ++i) {
        const double a = -pi / 2 + pi * i / 5;
        const double r = i % 2 ? 7.5 : 17;
        star_corners.push_back({64 + r * gm::cos(a), 64 + r * gm::sin(a)});
    }
    auto holes = [](double x, double y) {
        double d = 1e9;
        for (int i = 0; i < 6; ++i) {
            const double a = 2 * pi * i / 6 + pi / 6;
            d = std::min(d, gm::hypot(x - 64 - 36 * gm::cos(a), y - 64 - 36 * gm::sin(a)) - 8);
        }
        return d;
    };
    // Height of the relief: the plate with bevelled edges, the hub on it and
    // the star on the hub.
    auto plate = [&](double x, double y) {
        return std::max(drawing::polygon_distance({x, y}, gear_corners), -holes(x, y));
    };
    auto height = [&](double x, double y) {
        const double r = gm::hypot(x - 64, y - 64);
        return std::clamp(-plate(x, y) / 4, 0.0, 1.0) * 4 + std::clamp((24 - r) / 3, 0.0, 1.0) * 3 +
               std::clamp(-drawing::polygon_distance({x, y}, star_corners) / 2.5, 0.0, 1.0) * 2.5;
    };
    const Noise brush(5);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double cx = x + 0.5, cy = y + 0.5;
            if (plate(cx, cy) >= 0) continue;
            const double hx = height(cx + 0.5, cy) - height(cx - 0.5, cy);
            const double hy = height(cx, cy + 0.5) - height(cx, cy - 0.5);
            const drawing::Light l = light(-hx, -hy, 1, 30);
            const double r = gm::hypot(cx - 64, cy - 64);
            const bool star = drawing::polygon_distance({cx, cy}, star_corners) < 0;
            Rgb base;
            if (star)
                base = {255, 215, 90};
            else if (r < 24)
                base = Rgb{200, 150, 50} * (0.8 + 0.3 * brush.at(gm::atan2(cy - 64, cx - 64) * 40));
            else
                base = Rgb{170, 180, 195} * (0.75 + 0.4 * brush.fractal(r * 2.5, 3));
            // A little of the sky's blue on faces turned up, shadow on faces turned down.
            const double up = std::clamp(-hy * 0.5, -0.3, 0.3);
            Rgb c = base * (0.3 + 0.8 * l.diffuse) + Rgb{60, 80, 110} * up +
                    Rgb{255, 250, 235} * l.specular;
            p.put(x, y, c);
        }
    }
    return p;
}

// 5: a tunnel of chequered tiles twisting into the distance, fogged toward
// its open (see-through) centre.
Picture tunnel() {
    Picture p;
    auto colour = [](double px, double py) {
        const double dx = px - 64, dy = py - 64;
        const double r = std::max(gm::hypot(dx, dy), 1.0);
        const double depth = 640 / r;
        const double around = gm::atan2(dy, dx) / (2 * pi) * 20 + depth * 0.08;
        const bool light_tile =
            (static_cast<int>(std::floor(depth / 6)) + static_cast<int>(std::floor(around))) & 1;
        const Rgb tile = light_tile ? Rgb{255, 70, 190} : Rgb{40, 210, 255};
        // Grout lines between the tiles, and fog that deepens with distance.
        const double fu = depth / 6 - std::floor(depth / 6);
        const double fv = around - std::floor(around);
        const bool grout = fu < 0.06 || fv < 0.05;
        const double fog = std::clamp(r / 60, 0.08, 1.0);
        return mix({30, 10, 50}, grout ? Rgb{60, 30, 110} : tile, fog);
    };
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (gm::hypot(x + 0.5 - 64, y + 0.5 - 64) >= 6) p.put(x, y, supersampled(x, y, colour));
        }
    }
    return p;
}

// 6: a flower: twelve magenta petals, twelve golden ones between them, and a
// teal heart with rings of dots.
Picture flower() {
    Picture p;
    // Where (x, y) lies in the ellipse-shaped petal k of a ring of count
    // petals: along 0 (base) to 1 (tip), and across -1 to 1; nothing outside.
    struct Place {
        bool inside;
        double along, across;
    };
    auto petal = [](double x, double y, int k, int count, double offset, double centre,
                    double length, double breadth) {
        const double a = 2 * pi * (k + offset) / count;
        const double u = (x - 64) * gm::cos(a) + (y - 64) * gm::sin(a) - centre;
        const double v = -(x - 64) * gm::sin(a) + (y - 64) * gm::cos(a);
        const double e = (u / length) * (u / length) + (v / breadth) * (v / breadth);
        return Place{
            e < 1, (u / length + 1) / 2,
            v / (breadth * std::sqrt(std::max(0.0, 1 - (u / length) * (u / length))) + 1e-9)};
    };
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double cx = x + 0.5, cy = y + 0.5;
            const double r = gm::hypot(cx - 64, cy - 64);
            bool any = false;
            Rgb c{0, 0, 0};
            for (int k = 0; k < 12; ++k) {
                const Place q = petal(cx, cy, k, 12, 0, 38, 24, 10);
                if (!q.inside) continue;
                const double rim = 1 - std::fabs(q.across);
                c = mix({120, 10, 90}, {255, 120, 210}, q.along) * (0.55 + 0.45 * std::sqrt(rim));
                if (std::fabs(q.across) < 0.12 && q.along > 0.2) c = c * 0.75;  // the vein
                any = true;
            }
            for (int k = 0; k < 12; ++k) {
                const Place q = petal(cx, cy, k, 12, 0.5, 27, 17, 7.5);
                if (!q.inside) continue;
                const double rim = 1 - std::fabs(q.across);
                c = mix({230, 110, 10}, {255, 235, 90}, q.along) * (0.6 + 0.4 * std::sqrt(rim));
                any = true;
            }
            if (r < 17) {
                c = mix({20, 170, 160}, {10, 80, 100}, r / 17);
                for (int ring = 0; ring < 2; ++ring) {
                    const int dots = ring ? 14 : 7;
                    const double at = ring ? 12.5 : 6.5;
                    for (int i = 0; i < dots; ++i) {
                        const double a = 2 * pi * (i + ring * 0.5) / dots;
                        const double d =
                            gm::hypot(cx - 64 - at * gm::cos(a), cy - 64 - at * gm::sin(a));
                        if (d < 2.0) c = mix({255, 240, 150}, {220, 160, 40}, d / 2);
                    }
                }
                if (r < 2.5) c = {255, 250, 200};
                any = true;
            }
            if (any) p.put(x, y, c);
        }
    }
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_pictures OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::array<Picture, asset_counts::pictures> pictures = {
        chrome_ball(), plasma(), mandelbrot(), sunset(), gear_emblem(), tunnel(), flower()};
    const std::array<const char*, asset_counts::pictures> names = {
        "chrome ball", "plasma", "Mandelbrot set", "sunset", "gear emblem", "tunnel", "flower"};
    for (int i = 0; i < asset_counts::pictures; ++i) {
        if (!write_p6(dir + "/picture-" + std::to_string(i) + ".ppm", size, size, pictures[i].rgb,
                      std::string("QUOR7706 picture: ") + names[i]))
            return 1;
    }
    return 0;
}
