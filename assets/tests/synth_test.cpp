// The sound generator's building blocks (assets/gen/synth.h): what makes a
// bar loop without a seam, and the oscillators and filters it is built from.
#include "assets/gen/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace synth;

namespace {

double peak(const std::vector<double>& v, size_t from, size_t to) {
    double p = 0;
    for (size_t i = from; i < to; ++i)
        p = std::max(p, std::fabs(v[i]));
    return p;
}

// The largest step between neighbours, the step from the last value to the
// first included.
double largest_step(const std::vector<double>& v, bool around) {
    double s = around ? std::fabs(v.front() - v.back()) : 0.0;
    for (size_t i = 1; i < v.size(); ++i)
        s = std::max(s, std::fabs(v[i] - v[i - 1]));
    return s;
}

double sine_level(double hz, double cutoff) {
    Svf f;
    Osc osc;
    double p = 0;
    for (int32_t i = 0; i < kRate / 2; ++i) {
        f.run(osc.sine(hz), cutoff, 0.707);
        if (i > kRate / 4) p = std::max(p, std::fabs(f.low));
    }
    return p;
}

TEST(Synth, ANoteOverTheBarLineOfALoopingTrackComesBackAtTheDownbeat) {
    Track loop(kRate, true);
    place(loop, 0.9, 0.2, [](double) { return 1.0; });
    EXPECT_EQ(loop.v[std::lround(0.95 * kRate)], 1.0);
    EXPECT_EQ(loop.v[std::lround(0.05 * kRate)], 1.0);
    EXPECT_EQ(loop.v[std::lround(0.5 * kRate)], 0.0);

    Track once(kRate, false);
    place(once, 0.9, 0.2, [](double) { return 1.0; });
    EXPECT_EQ(once.v[std::lround(0.95 * kRate)], 1.0);
    EXPECT_EQ(once.v[std::lround(0.05 * kRate)], 0.0);
}

TEST(Synth, ALegatoLineHoldsWholeCyclesAndReachesItsNotes) {
    const std::vector<double> hz = line_hz({{0.0, 69}, {0.5, 72}, {0.75, 74}}, 0.02, 5, 10, 0);
    ASSERT_EQ(hz.size(), static_cast<size_t>(kRate));
    double cycles = 0;
    for (double f : hz)
        cycles += f / kRate;
    EXPECT_NEAR(cycles, std::round(cycles), 1e-6);
    // Mid-note, the pitch is within the vibrato and the tuning of the note.
    EXPECT_NEAR(1200 * std::log2(hz[std::lround(0.3 * kRate)] / 440.0), 0, 16);
    EXPECT_NEAR(1200 * std::log2(hz[std::lround(0.6 * kRate)] / note_hz(72)), 0, 16);
    EXPECT_NEAR(1200 * std::log2(hz[std::lround(0.9 * kRate)] / note_hz(74)), 0, 16);

    // An oscillator following it ends the bar where it started: no seam.
    Osc osc;
    std::vector<double> wave;
    for (double f : hz)
        wave.push_back(osc.sine(f));
    EXPECT_NEAR(osc.phase, 0.0, 1e-6);
    EXPECT_LT(largest_step(wave, true), 2 * kPi * note_hz(74) / kRate * 1.01);
}

TEST(Synth, EchoAndReverbOnALoopingTrackJoinTheBarSeamlessly) {
    Track t(kRate, true);
    place(t, 0.8, 0.15, [](double s) { return std::sin(kTwoPi * 330 * s) * (1 - s / 0.15); });
    echo(t, 0.1875, 0.5, 3000, 0.5);
    reverb(t, 1.0, 0.8, 0.3);
    // The echoes of the note late in the bar are heard early in the bar.
    EXPECT_GT(peak(t.v, 0, kRate / 4), 0.05);
    // Inside the bar and across its ends alike the wave moves smoothly.
    EXPECT_NEAR(largest_step(t.v, true), largest_step(t.v, false), 1e-9);
}

TEST(Synth, EchoRepeatsASoundQuieterAfterItsDelay) {
    Track t(kRate, false);
    place(t, 0.0, 0.01, [](double s) { return std::sin(kTwoPi * 200 * s); });
    echo(t, 0.25, 0.5, 20000, 1.0);
    const size_t d = kRate / 4;
    EXPECT_NEAR(peak(t.v, d, d + 441), 1.0, 0.05);          // the first echo at full wet level
    EXPECT_NEAR(peak(t.v, 2 * d, 2 * d + 441), 0.5, 0.05);  // then halved by the feedback
    EXPECT_LT(peak(t.v, 441, d), 1e-9);
}

TEST(Synth, OscillatorsAreCentredAndBounded) {
    for (double width : {0.5, 0.3}) {
        Osc saw, square;
        double saw_sum = 0, square_sum = 0, saw_peak = 0, square_peak = 0;
        for (int32_t i = 0; i < kRate; ++i) {
            const double a = saw.saw(441.0);
            const double b = square.square(441.0, width);
            saw_sum += a;
            square_sum += b;
            saw_peak = std::max(saw_peak, std::fabs(a));
            square_peak = std::max(square_peak, std::fabs(b));
        }
        EXPECT_NEAR(saw_sum / kRate, 0.0, 1e-3);
        EXPECT_NEAR(square_sum / kRate, 0.0, 1e-3);
        EXPECT_LE(saw_peak, 1.0 + 1e-9);
        EXPECT_LE(square_peak, 2.0 + 1e-9);
    }
}

TEST(Synth, TheLowPassKeepsTheBassAndCutsTheTreble) {
    EXPECT_NEAR(sine_level(100, 1000), 1.0, 0.02);
    EXPECT_LT(sine_level(10000, 1000), 0.02);
}

TEST(Synth, DcBlockRemovesAnOffsetAndNoiseRepeatsFromItsSeed) {
    Track t(kRate, true);
    Noise a(5), b(5), c(6);
    for (double& x : t.v)
        x = 0.5 + 0.1 * a.next();
    dc_block(t);
    double sum = 0;
    for (double x : t.v)
        sum += x;
    EXPECT_NEAR(sum / kRate, 0.0, 1e-3);
    EXPECT_EQ(b.next(), Noise(5).next());
    EXPECT_NE(Noise(5).next(), c.next());
}

TEST(Synth, EnvelopesStartAndEndAtZero) {
    EXPECT_EQ(attack_decay(0.0, 0.01, 0.1), 0.0);
    EXPECT_EQ(attack_decay(0.01, 0.01, 0.1), 1.0);
    EXPECT_EQ(fade_in(0.0, 0.01), 0.0);
    EXPECT_EQ(fade_in(0.01, 0.01), 1.0);
    EXPECT_EQ(release_after(0.5, 0.5, 0.1), 1.0);
    EXPECT_NEAR(release_after(0.6, 0.5, 0.1), 0.0, 1e-12);
}

}  // namespace
