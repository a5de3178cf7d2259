// The generators' own math (gen_math.h) and drawing pieces (drawing.h):
// close to the C library's results, exact where exactness is promised, and
// the same random sequence everywhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "assets/gen/drawing.h"
#include "assets/gen/gen_math.h"

namespace {

using Fn = std::function<double(double)>;

// How many units in the last place of `want` separate `got` from it.
double ulps(double got, double want) {
    if (got == want) return 0;
    const double a = std::fabs(want);
    const double ulp = std::nextafter(a, std::numeric_limits<double>::infinity()) - a;
    return std::fabs(got - want) / ulp;
}

// The largest distance in ulps between ours and the C library's over
// [lo, hi], sampled evenly and at fixed pseudo-random points.
double worst_ulps(const Fn& ours, const Fn& libm, double lo, double hi) {
    constexpr int kEven = 20000;
    gm::Xorshift32 random(99);
    double worst = 0;
    for (int i = 0; i <= 2 * kEven; ++i) {
        const double x = i <= kEven ? lo + (hi - lo) * i / kEven : lo + (hi - lo) * random.unit();
        worst = std::max(worst, ulps(ours(x), libm(x)));
    }
    return worst;
}

struct Case {
    std::string name;
    Fn ours, libm;
    double lo, hi;
    double max_ulps;
};

}  // namespace

TEST(AssetsMath, EachFunctionStaysWithinAFewUlpsOfTheCLibrary) {
    const Case cases[] = {
        {"sin", [](double x) { return gm::sin(x); }, [](double x) { return std::sin(x); }, -300,
         300, 1},
        {"cos", [](double x) { return gm::cos(x); }, [](double x) { return std::cos(x); }, -300,
         300, 1},
        {"tan", [](double x) { return gm::tan(x); }, [](double x) { return std::tan(x); }, -1.5,
         1.5, 3},
        {"exp", [](double x) { return gm::exp(x); }, [](double x) { return std::exp(x); }, -700,
         700, 1},
        {"exp2", [](double x) { return gm::exp2(x); }, [](double x) { return std::exp2(x); }, -60,
         60, 1},
        {"expm1", [](double x) { return gm::expm1(x); }, [](double x) { return std::expm1(x); }, -3,
         3, 2},
        {"tanh", [](double x) { return gm::tanh(x); }, [](double x) { return std::tanh(x); }, -25,
         25, 3},
        {"tanh near 0", [](double x) { return gm::tanh(x); }, [](double x) { return std::tanh(x); },
         -1e-3, 1e-3, 3},
        {"log", [](double x) { return gm::log(x); }, [](double x) { return std::log(x); }, 1e-9,
         1e9, 1},
        {"log near 1", [](double x) { return gm::log(x); }, [](double x) { return std::log(x); },
         0.7, 1.4, 1},
        {"log2", [](double x) { return gm::log2(x); }, [](double x) { return std::log2(x); }, 1e-6,
         1e6, 1},
        {"pow(x, 0.6)", [](double x) { return gm::pow(x, 0.6); },
         [](double x) { return std::pow(x, 0.6); }, 0, 2, 1},
        {"pow(x, 60)", [](double x) { return gm::pow(x, 60); },
         [](double x) { return std::pow(x, 60); }, 0.01, 1, 2},
        {"pow(26.7, y)", [](double y) { return gm::pow(8000.0 / 300.0, y); },
         [](double y) { return std::pow(8000.0 / 300.0, y); }, -50, 50, 2},
        {"atan2(y, 1.7)", [](double y) { return gm::atan2(y, 1.7); },
         [](double y) { return std::atan2(y, 1.7); }, -50, 50, 4},
        {"atan2(-0.3, x)", [](double x) { return gm::atan2(-0.3, x); },
         [](double x) { return std::atan2(-0.3, x); }, -50, 50, 4},
        {"atan2(t, 0.2 - t)", [](double t) { return gm::atan2(t, 0.2 - t); },
         [](double t) { return std::atan2(t, 0.2 - t); }, -50, 50, 4},
        {"hypot", [](double x) { return gm::hypot(x, 37.25 - 0.3 * x); },
         [](double x) { return std::hypot(x, 37.25 - 0.3 * x); }, -1e3, 1e3, 1},
    };
    for (const Case& c : cases)
        EXPECT_LE(worst_ulps(c.ours, c.libm, c.lo, c.hi), c.max_ulps) << c.name;
}

TEST(AssetsMath, ExactWhereTheMathIsExact) {
    EXPECT_EQ(gm::sin(0.0), 0.0);
    EXPECT_EQ(gm::cos(0.0), 1.0);
    EXPECT_EQ(gm::exp(0.0), 1.0);
    EXPECT_EQ(gm::expm1(0.0), 0.0);
    EXPECT_EQ(gm::tanh(0.0), 0.0);
    EXPECT_EQ(gm::log(1.0), 0.0);
    EXPECT_EQ(gm::atan2(0.0, 1.0), 0.0);
    EXPECT_EQ(gm::hypot(3.0, -4.0), 5.0);
    for (int k = -1000; k <= 1000; k += 37) {
        EXPECT_EQ(gm::exp2(k), std::ldexp(1.0, k)) << k;
        EXPECT_EQ(gm::log2(std::ldexp(1.0, k)), k) << k;
    }
    for (double x : {0.0, 0.3, 7.0, 1e300})
        EXPECT_EQ(gm::pow(x, 0.0), 1.0) << x;
    EXPECT_EQ(gm::pow(0.0, 2.5), 0.0);
    EXPECT_EQ(gm::pow(1.0, 1e300), 1.0);
}

TEST(AssetsMath, SignsAndQuadrantsFollowTheCLibrary) {
    for (double x : {-2.5, -1.0, -0.0, 0.0, 1.0, 2.5})
        for (double y : {-2.5, -1.0, -0.0, 0.0, 1.0, 2.5}) {
            const double ours = gm::atan2(y, x), libm = std::atan2(y, x);
            EXPECT_LE(ulps(ours, libm), 1) << "atan2(" << y << ", " << x << ")";
            EXPECT_EQ(std::signbit(ours), std::signbit(libm)) << "atan2(" << y << ", " << x << ")";
        }
    EXPECT_DOUBLE_EQ(gm::atan2(0.0, -1.0), gm::kPi);
    EXPECT_DOUBLE_EQ(gm::atan2(-0.0, -1.0), -gm::kPi);
    for (double x : {0.1, 1.0, 3.0, 40.0}) {
        EXPECT_EQ(gm::sin(-x), -gm::sin(x));
        EXPECT_EQ(gm::cos(-x), gm::cos(x));
        EXPECT_EQ(gm::tanh(-x), -gm::tanh(x));
    }
}

TEST(AssetsMath, EdgesOfTheRangeGiveTheLimits) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(gm::exp(1000.0), inf);
    EXPECT_EQ(gm::exp(-1000.0), 0.0);
    EXPECT_EQ(gm::expm1(-100.0), -1.0);
    EXPECT_EQ(gm::tanh(50.0), 1.0);
    EXPECT_EQ(gm::tanh(-50.0), -1.0);
    EXPECT_EQ(gm::log(0.0), -inf);
    EXPECT_EQ(gm::log(inf), inf);
    EXPECT_TRUE(std::isnan(gm::log(-1.0)));
    EXPECT_TRUE(std::isnan(gm::sin(inf)));
    EXPECT_TRUE(std::isnan(gm::pow(-2.0, 0.5)));
    // No overflow or underflow in the squares.
    EXPECT_LE(ulps(gm::hypot(3e300, 4e300), 5e300), 1);
    EXPECT_LE(ulps(gm::hypot(3e-300, 4e-300), 5e-300), 1);
    EXPECT_EQ(gm::hypot(inf, 1.0), inf);
}

TEST(AssetsMath, XorshiftGivesTheSameSequenceEverywhere) {
    gm::Xorshift32 one(1), zero(0);
    const uint32_t first[3] = {270369u, 67634689u, 2647435461u};
    for (uint32_t want : first) {
        EXPECT_EQ(one.next(), want);
        EXPECT_EQ(zero.next(), want);  // a zero seed would stick at 0: it starts as 1
    }
    gm::Xorshift32 random(2026);
    double lowest = 1, highest = 0;
    for (int i = 0; i < 100000; ++i) {
        const double u = random.unit();
        lowest = std::min(lowest, u);
        highest = std::max(highest, u);
    }
    EXPECT_GE(lowest, 0.0);
    EXPECT_LT(lowest, 0.001);
    EXPECT_LT(highest, 1.0);
    EXPECT_GT(highest, 0.999);
}

TEST(AssetsDrawing, PolygonDistanceIsNegativeInsideAndEuclideanOutside) {
    const std::vector<drawing::Vec2> square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_DOUBLE_EQ(drawing::polygon_distance({5, 5}, square), -5);
    EXPECT_DOUBLE_EQ(drawing::polygon_distance({2, 7}, square), -2);
    EXPECT_DOUBLE_EQ(drawing::polygon_distance({13, 5}, square), 3);
    EXPECT_DOUBLE_EQ(drawing::polygon_distance({13, 14}, square), 5);  // off a corner
    const std::vector<drawing::Vec2> ell = {{0, 0}, {4, 0}, {4, 1}, {1, 1}, {1, 4}, {0, 4}};
    EXPECT_LT(drawing::polygon_distance({0.5, 3}, ell), 0);
    EXPECT_DOUBLE_EQ(drawing::polygon_distance({3, 2}, ell), 1);  // in the notch: to the nearer arm
}

TEST(AssetsDrawing, LightIsBrightestFacingItAndDarkFacingAway) {
    const drawing::Vec3 light{-0.48, -0.62, 0.62};
    // A normal along the half vector between the light and the viewer.
    const drawing::Light peak = drawing::blinn_phong({light.x, light.y, light.z + 1}, light, 30);
    EXPECT_NEAR(peak.specular, 1.0, 1e-12);
    const drawing::Light flat = drawing::blinn_phong({0, 0, 5}, light, 30);
    EXPECT_DOUBLE_EQ(flat.diffuse, 0.62);  // the normal's length does not matter
    EXPECT_GT(flat.specular, 0.0);
    EXPECT_LT(flat.specular, peak.specular);
    const drawing::Light away = drawing::blinn_phong({0.48, 0.62, -0.62}, light, 30);
    EXPECT_EQ(away.diffuse, 0.0);
    EXPECT_EQ(away.specular, 0.0);
}

TEST(AssetsDrawing, ChannelsBecomeBytesClampedAndCut) {
    EXPECT_EQ(drawing::to_byte(-3.0), 0);
    EXPECT_EQ(drawing::to_byte(17.99), 17);
    EXPECT_EQ(drawing::to_byte(255.0), 255);
    EXPECT_EQ(drawing::to_byte(1e9), 255);
    EXPECT_EQ(drawing::to_byte(std::nan("")), 0);
    EXPECT_EQ(drawing::to_byte(0.5, 1.0), 1);
    EXPECT_EQ(drawing::to_byte(200.5, 1.0), 200);
}
