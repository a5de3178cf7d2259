// Draws the logo "QUOR7706": the mask (P4, 320 x 64, set = letter) and the
// colour logo (P6, 320 x 64), chrome letters with bevelled edges.
// Usage: make_logo OUTDIR   (writes logo-mask.pbm and logo.ppm)
//
// Each letter is a signed distance field built from rounded boxes and
// polygons (negative inside). A pixel belongs to a letter when the field at
// its centre is negative; the colour logo paints exactly those pixels and
// leaves every other one black, so the two files line up pixel for pixel.
// The strokes are 12 pixels wide and the gaps 6, so the letters keep their
// shape when the demo squeezes the logo to 256 columns (nearest neighbour).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "assets/gen/drawing.h"
#include "assets/gen/gen_math.h"
#include "assets/gen/pnm_write.h"

namespace {

constexpr int width = 320;
constexpr int height = 64;
constexpr double letter_height = 52;  // cap height in pixels
constexpr double top = 4;             // first row of the capitals
constexpr double slant = 0.10;        // italic lean: pixels right per pixel up
constexpr double gap = 6;             // clear columns between letters
constexpr double bevel = 3.5;         // width of the bevelled rim

using drawing::Vec2;

// Distance to a box from (x0, y0) to (x1, y1) whose corners are rounded by
// radius tl, tr, br, bl (top-left, top-right, bottom-right, bottom-left).
double round_box(Vec2 p, double x0, double y0, double x1, double y1, double tl, double tr,
                 double br, double bl) {
    const double cx = (x0 + x1) / 2;
    const double cy = (y0 + y1) / 2;
    const double r = p.x > cx ? (p.y > cy ? br : tr) : (p.y > cy ? bl : tl);
    const double qx = std::fabs(p.x - cx) - (x1 - x0) / 2 + r;
    const double qy = std::fabs(p.y - cy) - (y1 - y0) / 2 + r;
    const double outside = gm::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return std::min(std::max(qx, qy), 0.0) + outside - r;
}

double round_box(Vec2 p, double x0, double y0, double x1, double y1, double r) {
    return round_box(p, x0, y0, x1, y1, r, r, r, r);
}

double cut(double shape, double hole) {
    return std::max(shape, -hole);
}

using Field = std::function<double(Vec2)>;

struct Letter {
    double advance;  // width of the letter's box
    Field field;     // in the letter's own frame: x from 0, y from 0 (top) to letter_height
};

// The letters, upright; the lean is applied when they are placed.
std::vector<Letter> letters() {
    constexpr double h = letter_height;
    auto ring = [](Vec2 p, double w, double r_out, double r_in) {
        return cut(round_box(p, 0, 0, w, h, r_out), round_box(p, 12, 10, w - 12, h - 10, r_in));
    };
    const Letter q{38, [=](Vec2 p) {
                       const double tail = drawing::polygon_distance(
                           p, {{17, 37}, {26, 30}, {41, 50}, {41, 58}, {35, 58}});
                       return std::min(ring(p, 38, 17, 6), tail);
                   }};
    const Letter u{34, [=](Vec2 p) {
                       return cut(round_box(p, 0, 0, 34, h, 0, 0, 14, 14),
                                  round_box(p, 12, -10, 22, h - 10, 0, 0, 4, 4));
                   }};
    const Letter o{38, [=](Vec2 p) { return ring(p, 38, 17, 6); }};
    const Letter r{35, [=](Vec2 p) {
                       const double bowl = cut(round_box(p, 0, 0, 35, 30, 0, 13, 13, 0),
                                               round_box(p, 12, 10, 23, 20, 0, 4, 4, 0));
                       const double leg = drawing::polygon_distance(
                           p, {{12, 28}, {25, 28}, {36, h}, {23, h}, {12, 36}});
                       return std::min({round_box(p, 0, 0, 12, h, 0), bowl, leg});
                   }};
    const Letter seven{31, [=](Vec2 p) {
                           return drawing::polygon_distance(
                               p, {{0, 0}, {31, 0}, {31, 10}, {17, h}, {4, h}, {18, 10}, {0, 10}});
                       }};
    const Letter zero{34, [=](Vec2 p) {
                          return cut(
                              ring(p, 34, 10, 2),
                              drawing::polygon_distance(
                                  p, {{23, 10}, {23, 16}, {16, 30}, {12, 30}, {12, 24}, {19, 10}}));
                      }};
    const Letter six{34, [=](Vec2 p) {
                         const double body =
                             cut(round_box(p, 0, 0, 34, h, 12), round_box(p, 12, 30, 22, 42, 3));
                         return cut(body, round_box(p, 12, 10, 40, 20, 3, 0, 0, 3));
                     }};
    return {q, u, o, r, seven, seven, zero, six};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_logo OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::vector<Letter> word = letters();

    // Place the letters side by side, centred, leaning forward.
    double total = slant * letter_height - gap;
    for (const Letter& l : word)
        total += l.advance + gap;
    std::vector<double> left;
    double x = std::floor((width - total) / 2);
    for (const Letter& l : word) {
        left.push_back(x);
        x += l.advance + gap;
    }
    // The distance to the nearest letter at a point of the logo.
    auto field = [&](double px, double py) {
        const double ly = py - top;
        double d = 1e9;
        for (size_t i = 0; i < word.size(); ++i) {
            const double lx = px - left[i] - slant * (letter_height - ly);
            if (lx > -8 && lx < word[i].advance + 12) d = std::min(d, word[i].field({lx, ly}));
        }
        return d;
    };

    std::vector<uint8_t> bits(width * height, 0);
    std::vector<uint8_t> rgb(width * height * 3, 0);
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            const double cx = px + 0.5;
            const double cy = py + 0.5;
            const double d = field(cx, cy);
            if (d >= 0) continue;
            bits[py * width + px] = 1;

            // The rim slopes down to the outside: its normal leans along the
            // field's gradient; the face inside is flat.
            // Where two strokes meet the gradient is ill-defined (short):
            // such seams are drawn flat rather than as a stray highlight.
            const double gx = field(cx + 0.5, cy) - field(cx - 0.5, cy);
            const double gy = field(cx, cy + 0.5) - field(cx, cy - 0.5);
            const double slope = gm::hypot(gx, gy);
            const double depth = -d;
            const double lean = depth < bevel && slope > 0.6 ? 1.3 / slope : 0.0;
            // Light from the upper left.
            const drawing::Light light =
                drawing::blinn_phong({gx * lean, gy * lean, 1.0}, {-0.45, -0.65, 0.61}, 24.0);

            // Chrome: a sky above the horizon, warm ground below it.
            const double t = std::clamp((cy - top) / letter_height, 0.0, 1.0);
            double r, g, b;
            if (t < 0.52) {
                const double s = t / 0.52;
                r = 235 - 200 * s, g = 245 - 165 * s, b = 255 - 75 * s;
            } else {
                const double s = (t - 0.52) / 0.48;
                r = 70 + 185 * s, g = 30 + 150 * s, b = 20 + 40 * s;
            }
            const double shade = 0.35 + 0.85 * light.diffuse;
            r = r * shade + 255 * light.specular;
            g = g * shade + 255 * light.specular;
            b = b * shade + 240 * light.specular;
            if (depth < 1.0) r *= 0.55, g *= 0.55, b *= 0.6;  // a dark line along the outline
            uint8_t* out = &rgb[(py * width + px) * 3];
            out[0] = drawing::to_byte(r);
            out[1] = drawing::to_byte(g);
            out[2] = drawing::to_byte(b, 1.0);  // never see-through
        }
    }
    if (!write_p4(dir + "/logo-mask.pbm", width, height, bits, "QUOR7706 logo mask")) return 1;
    return write_p6(dir + "/logo.ppm", width, height, rgb, "QUOR7706 logo") ? 0 : 1;
}
