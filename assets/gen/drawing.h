// Pieces shared by the picture, logo and icon generators: a colour with its
// blend, distance to a polygon, the Blinn-Phong light of a surface normal,
// and the clamp of a colour channel to a byte. Computed with gen_math.h, so the same on every
// machine.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "assets/gen/gen_math.h"

namespace drawing {

struct Vec2 {
    double x, y;
};

struct Vec3 {
    double x, y, z;
};

// A colour of three channels on the 0..255 scale, unclamped while it is mixed.
struct Rgb {
    double r, g, b;
};

inline Rgb operator*(Rgb c, double k) {
    return {c.r * k, c.g * k, c.b * k};
}
inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
// a at t = 0, b at t = 1.
inline Rgb mix(Rgb a, Rgb b, double t) {
    return a * (1 - t) + b * t;
}

// Signed distance from p to a simple polygon given corner by corner:
// negative inside, positive outside.
inline double polygon_distance(Vec2 p, const std::vector<Vec2>& corners) {
    double d = 1e9;
    bool inside = false;
    for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
        const Vec2 a = corners[i], b = corners[j];
        const Vec2 e{b.x - a.x, b.y - a.y};
        const Vec2 w{p.x - a.x, p.y - a.y};
        const double t = std::clamp((w.x * e.x + w.y * e.y) / (e.x * e.x + e.y * e.y), 0.0, 1.0);
        d = std::min(d, gm::hypot(w.x - e.x * t, w.y - e.y * t));
        if ((a.y > p.y) != (b.y > p.y) && p.x < e.x * (p.y - a.y) / e.y + a.x) inside = !inside;
    }
    return inside ? -d : d;
}

// The light falling on a surface (y down, z toward the viewer).
struct Light {
    double diffuse;   // 0 to 1: the normal against the light
    double specular;  // 0 to 1: the highlight
};

// Blinn-Phong light from direction `light` (not normalised: its length
// scales the diffuse term) on a surface with normal `n` (any length), seen by
// a viewer straight in front; `sharpness` is the highlight's exponent.
inline Light blinn_phong(Vec3 n, Vec3 light, double sharpness) {
    const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    n = {n.x / length, n.y / length, n.z / length};
    const Vec3 half{light.x, light.y, light.z + 1.0};
    const double half_length = std::sqrt(half.x * half.x + half.y * half.y + half.z * half.z);
    const double diffuse = std::max(0.0, n.x * light.x + n.y * light.y + n.z * light.z);
    const double facing = std::max(0.0, (n.x * half.x + n.y * half.y + n.z * half.z) / half_length);
    return {diffuse, gm::pow(facing, sharpness)};
}

// A colour channel as a byte: clamped to lo .. 255 and cut to a whole
// number (NaN gives lo).
inline uint8_t to_byte(double v, double lo = 0.0) {
    if (!(v > lo)) return static_cast<uint8_t>(lo);
    return static_cast<uint8_t>(std::min(v, 255.0));
}

}  // namespace drawing
