// Draws the desktop icon: a rounded dark tile crossed by copper bars, a green
// oscilloscope trace running through it, and a bold chrome "Q" in front.
// Usage: make_icon OUTDIR   (writes icon-16.png .. icon-256.png, RGBA)
//
// Every size is drawn at its own resolution from the same shapes, each pixel
// the mean of a grid of samples, so the edges are smooth and the small sizes
// stay sharp instead of being a blurred reduction of the large one. Strokes
// that would fall below about a pixel (the trace, the Q's outline) are kept
// at least that wide. Outside the tile the icon is fully transparent.
// All arithmetic goes through gen_math.h: every machine writes the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/gen/drawing.h"
#include "assets/gen/gen_math.h"
#include "assets/gen/png_write.h"

namespace {

using drawing::mix;
using drawing::Rgb;
using drawing::Vec2;

double smoothstep(double e0, double e1, double x) {
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Distance to a box centred on (cx, cy), half-sizes hx, hy, corners rounded by r.
double round_box(Vec2 p, double cx, double cy, double hx, double hy, double r) {
    const double qx = std::fabs(p.x - cx) - hx + r;
    const double qy = std::fabs(p.y - cy) - hy + r;
    return std::min(std::max(qx, qy), 0.0) + gm::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) - r;
}

// The picture in unit coordinates: (0, 0) top left, (1, 1) bottom right.
constexpr double margin = 1.0 / 32;  // clear border around the tile
constexpr double corner = 0.2;       // the tile's corner radius
constexpr Vec2 q_centre{0.5, 0.47};
constexpr double q_half_w = 0.25, q_half_h = 0.27, q_round = 0.22;
constexpr double q_stroke = 0.115;

double tile(Vec2 p) {
    return round_box(p, 0.5, 0.5, 0.5 - margin, 0.5 - margin, corner);
}

// The letter: a ring with a tail through its lower right, `scale` times its
// usual size.
double letter_q(Vec2 p, double scale) {
    p = {q_centre.x + (p.x - q_centre.x) / scale, q_centre.y + (p.y - q_centre.y) / scale};
    const double outer = round_box(p, q_centre.x, q_centre.y, q_half_w, q_half_h, q_round);
    const double inner = round_box(p, q_centre.x, q_centre.y, q_half_w - q_stroke,
                                   q_half_h - q_stroke, q_round - q_stroke * 0.8);
    const double ring = std::max(outer, -inner);
    const double tail = drawing::polygon_distance(
        p, {{0.53, 0.59}, {0.62, 0.52}, {0.79, 0.74}, {0.79, 0.84}, {0.70, 0.84}});
    return std::min(ring, tail) * scale;
}

// The oscilloscope trace: height and slope at x.
struct Trace {
    double y, slope;
};
Trace trace(double x) {
    const double w = 2 * gm::kPi * 1.25;
    const double a = 0.11;
    const double phase = 0.35;
    return {0.5 - a * gm::sin(w * x + phase), -a * w * gm::cos(w * x + phase)};
}

// The copper bars: horizontal bands, each a cylinder lit in its middle.
struct Bar {
    double y, half;
    Rgb colour;
};
const Bar bars[] = {{0.16, 0.065, {255, 60, 40}},
                    {0.33, 0.065, {255, 170, 30}},
                    {0.67, 0.065, {40, 200, 255}},
                    {0.84, 0.065, {190, 70, 255}}};

class Icon {
public:
    // The smallest sizes leave out the trace, quieten the bars and enlarge
    // the Q, which is all that can be made out there.
    explicit Icon(int size)
        : size_(size), pixel_(1.0 / size), small_(size < 24), q_scale_(small_ ? 1.12 : 1.0) {}

    // The colour and coverage of one sample point (unit coordinates).
    // Returns false outside the tile.
    bool sample(Vec2 p, Rgb& out) const {
        if (tile(p) >= 0) return false;
        out = background(p);
        if (!small_) out = scope(p, out);
        out = chrome(p, out);
        out = rim(p, out);
        return true;
    }

    std::vector<uint8_t> draw() const {
        // More samples for the small sizes, whose every edge pixel matters.
        const int n = size_ <= 64 ? 8 : 5;
        std::vector<uint8_t> rgba(static_cast<size_t>(size_) * size_ * 4, 0);
        for (int y = 0; y < size_; ++y) {
            for (int x = 0; x < size_; ++x) {
                Rgb sum{0, 0, 0};
                int hits = 0;
                for (int sy = 0; sy < n; ++sy) {
                    for (int sx = 0; sx < n; ++sx) {
                        const Vec2 p{(x + (sx + 0.5) / n) * pixel_, (y + (sy + 0.5) / n) * pixel_};
                        Rgb c;
                        if (!sample(p, c)) continue;
                        sum = sum + c;
                        ++hits;
                    }
                }
                if (hits == 0) continue;
                uint8_t* out = &rgba[(static_cast<size_t>(y) * size_ + x) * 4];
                const Rgb mean = sum * (1.0 / hits);
                out[0] = round_byte(mean.r);
                out[1] = round_byte(mean.g);
                out[2] = round_byte(mean.b);
                out[3] = round_byte(255.0 * hits / (n * n));
            }
        }
        return rgba;
    }

private:
    static uint8_t round_byte(double v) { return drawing::to_byte(std::floor(v + 0.5)); }

    // A stroke width of w units, but never under `min_pixels` pixels.
    double at_least(double w, double min_pixels) const { return std::max(w, min_pixels * pixel_); }

    // Dark blue glass with the copper bars behind it.
    Rgb background(Vec2 p) const {
        Rgb c = mix(Rgb{24, 22, 52}, Rgb{6, 6, 16}, p.y);
        for (const Bar& bar : bars) {
            const double d = std::fabs(p.y - bar.y) / at_least(bar.half, 1.2);
            if (d >= 1) continue;
            const double body = 1 - d * d;  // a cylinder seen side on
            const double shine = gm::pow(body, 8.0);
            const double strength = small_ ? 0.6 : 1.0;
            c = mix(c, bar.colour * (0.25 + 0.75 * body) + Rgb{255, 255, 255} * (0.55 * shine),
                    strength * smoothstep(1.0, 0.8, d));
        }
        return c;
    }

    // The trace: a bright core and a green glow around it.
    Rgb scope(Vec2 p, Rgb c) const {
        const Trace t = trace(p.x);
        const double d = std::fabs(p.y - t.y) / std::sqrt(1 + t.slope * t.slope);
        const double core = at_least(0.02, 0.9);
        const double glow = gm::exp(-(d * d) / (4 * core * core));
        c = c + Rgb{40, 255, 90} * glow;
        if (d < core) c = mix(Rgb{160, 255, 170}, Rgb{240, 255, 240}, 1 - d / core);
        return c;
    }

    // The Q: a dark outline, then chrome with a bevelled rim lit from the upper left.
    Rgb chrome(Vec2 p, Rgb c) const {
        const double outline = at_least(0.028, 1.0);
        const double d = q(p);
        if (d >= outline) return c;
        if (d >= 0) return mix(c, Rgb{4, 4, 10}, 0.9);  // the outline: separates Q from bars
        const double bevel = at_least(0.04, 0.6);
        const double h = pixel_ * 0.25;
        double lean = 0, gx = 0, gy = 0;
        if (-d < bevel) {
            gx = q({p.x + h, p.y}) - q({p.x - h, p.y});
            gy = q({p.x, p.y + h}) - q({p.x, p.y - h});
            const double slope = gm::hypot(gx, gy);
            if (slope > 1.2 * h) lean = 1.3 / slope;  // not at seams, where the gradient is short
        }
        const drawing::Light light =
            drawing::blinn_phong({gx * lean, gy * lean, 1.0}, {-0.45, -0.65, 0.61}, 24.0);
        // Chrome: sky above the horizon, warm ground below, like the logo.
        const double top = q_centre.y - q_half_h * q_scale_;
        const double t = std::clamp((p.y - top) / (2 * q_half_h * q_scale_), 0.0, 1.0);
        Rgb base;
        if (t < 0.52) {
            base = mix(Rgb{235, 245, 255}, Rgb{35, 80, 180}, t / 0.52);
        } else {
            base = mix(Rgb{70, 30, 20}, Rgb{255, 190, 70}, (t - 0.52) / 0.48);
        }
        // Brighter at the smallest sizes, where the rim is most of the letter.
        const double shade = (small_ ? 0.6 : 0.35) + 0.85 * light.diffuse;
        return base * shade + Rgb{255, 255, 240} * light.specular;
    }

    // A thin light edge inside the tile's border, as on a glass tile.
    Rgb rim(Vec2 p, Rgb c) const {
        const double d = -tile(p);
        const double w = at_least(0.012, 0.6);
        if (d >= w) return c;
        return mix(c, Rgb{120, 120, 170}, 0.6 * (1 - d / w));
    }

    double q(Vec2 p) const { return letter_q(p, q_scale_); }

    int size_;
    double pixel_;
    bool small_;
    double q_scale_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_icon OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const std::string path = dir + "/icon-" + std::to_string(size) + ".png";
        if (!png::write_rgba(path, size, size, Icon(size).draw())) {
            fprintf(stderr, "make_icon: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
