// The building blocks of the sound generator: tracks, oscillators, filters,
// envelopes, noise, echo and reverb. Plain double arithmetic with the
// functions of gen_math.h and no state outside the objects, so the same
// program writes the same sounds on every machine.
//
// Looping tracks are one bar (one second) long and wrap around: a note tail or
// an echo that runs past the bar line comes back in at the downbeat, and the
// stateful effects run round the bar several times before their last lap is
// kept. The bar then joins itself without a seam, as it does when the music
// plays it over and over.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "assets/gen/gen_math.h"

namespace synth {

constexpr int32_t kRate = 44100;
constexpr double kPi = gm::kPi;
constexpr double kTwoPi = gm::kTwoPi;

// Frequency of a MIDI note number (69 = A4 = 440 Hz).
inline double note_hz(double note) {
    return 440.0 * gm::exp2((note - 69.0) / 12.0);
}

// The frequency ratio of a number of cents (hundredths of a semitone).
inline double cents(double c) {
    return gm::exp2(c / 1200.0);
}

// White noise from a xorshift generator: uniform in [-1, 1).
class Noise {
public:
    explicit Noise(uint32_t seed) : bits_(seed) {}
    double next() { return bits_.next() / 2147483648.0 - 1.0; }

private:
    gm::Xorshift32 bits_;
};

// A mono signal. A looping track wraps writes past either end round the bar.
struct Track {
    std::vector<double> v;
    bool loop;

    Track(int32_t n, bool looping) : v(static_cast<size_t>(n), 0.0), loop(looping) {}
    int64_t size() const { return static_cast<int64_t>(v.size()); }
    void add(int64_t i, double x) {
        const int64_t n = size();
        if (loop)
            v[static_cast<size_t>(((i % n) + n) % n)] += x;
        else if (i >= 0 && i < n)
            v[static_cast<size_t>(i)] += x;
    }
    void mix(const Track& other, double gain) {
        for (size_t i = 0; i < v.size() && i < other.v.size(); ++i)
            v[i] += gain * other.v[i];
    }
};

// Adds `seconds` of sound from `start` (seconds) on: voice(t) is called once
// per value, in order, with t the time since the start.
template <class Voice>
void place(Track& track, double start, double seconds, Voice&& voice) {
    const int64_t first = std::lround(start * kRate);
    int64_t n = std::lround(seconds * kRate);
    if (!track.loop) n = std::min(n, track.size() - first);
    for (int64_t i = 0; i < n; ++i)
        track.add(first + i, voice(static_cast<double>(i) / kRate));
}

// Replaces every value by f(value, index), f holding whatever state it needs.
// On a looping track the bar is fed through `laps` times and only the last
// lap is kept, so filter memory, echoes and reverb carry over the bar line.
template <class F>
void process(Track& track, int32_t laps, F&& f) {
    std::vector<double> out(track.v.size());
    const int32_t rounds = track.loop ? laps : 1;
    for (int32_t r = 0; r < rounds; ++r)
        for (size_t i = 0; i < track.v.size(); ++i)
            out[i] = f(track.v[i], static_cast<int64_t>(i));
    track.v.swap(out);
}

// ---- Envelopes ----------------------------------------------------------

// Rises linearly from 0 to 1 over `attack` seconds, then falls exponentially
// with time constant `decay`.
inline double attack_decay(double t, double attack, double decay) {
    if (t < 0) return 0;
    if (t < attack) return t / attack;
    return gm::exp(-(t - attack) / decay);
}

// 1 until `hold`, then a raised-cosine fall to 0 over `release` seconds.
inline double release_after(double t, double hold, double release) {
    if (t <= hold) return 1;
    if (t >= hold + release) return 0;
    return 0.5 + 0.5 * gm::cos(kPi * (t - hold) / release);
}

// 0 to 1 over `rise` seconds with a raised cosine.
inline double fade_in(double t, double rise) {
    if (t <= 0) return 0;
    if (t >= rise) return 1;
    return 0.5 - 0.5 * gm::cos(kPi * t / rise);
}

// ---- Oscillators --------------------------------------------------------

// Smooths the jump of a saw or square across one sample (polyBLEP), which
// keeps the upper harmonics from folding back as off-key whistles.
inline double blep(double phase, double dt) {
    if (phase < dt) {
        const double x = phase / dt;
        return x + x - x * x - 1.0;
    }
    if (phase > 1.0 - dt) {
        const double x = (phase - 1.0) / dt;
        return x * x + x + x + 1.0;
    }
    return 0.0;
}

// A phase in cycles with the usual band-limited waveforms read from it.
struct Osc {
    double phase = 0;

    void advance(double hz) {
        phase += hz / kRate;
        phase -= std::floor(phase);
    }
    double sine(double hz) {
        const double y = gm::sin(kTwoPi * phase);
        advance(hz);
        return y;
    }
    double saw(double hz) {
        const double dt = hz / kRate;
        const double y = 2.0 * phase - 1.0 - blep(phase, dt);
        advance(hz);
        return y;
    }
    double square(double hz, double width = 0.5) {
        const double dt = hz / kRate;
        double y = phase < width ? 1.0 : -1.0;
        y += blep(phase, dt);
        double p2 = phase - width;
        p2 -= std::floor(p2);
        y -= blep(p2, dt);
        advance(hz);
        return y - (2.0 * width - 1.0);  // centred: no offset at any width
    }
};

// ---- Filters ------------------------------------------------------------

// State-variable filter (trapezoidal form): stable at any cutoff, with low,
// band and high outputs from one run.
struct Svf {
    double ic1 = 0, ic2 = 0;
    double low = 0, band = 0, high = 0;

    void run(double x, double cutoff_hz, double q) {
        const double fc = std::clamp(cutoff_hz, 10.0, 0.45 * kRate);
        const double g = gm::tan(kPi * fc / kRate);
        const double k = 1.0 / q;
        const double a1 = 1.0 / (1.0 + g * (g + k));
        const double a2 = g * a1;
        const double a3 = g * a2;
        const double v3 = x - ic2;
        const double v1 = a1 * ic1 + a2 * v3;
        const double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2.0 * v1 - ic1;
        ic2 = 2.0 * v2 - ic2;
        low = v2;
        band = v1;
        high = x - k * v1 - v2;
    }
};

// One-pole low-pass, for gentle darkening.
struct OnePole {
    double y = 0;
    double a = 0;

    explicit OnePole(double cutoff_hz) : a(1.0 - gm::exp(-kTwoPi * cutoff_hz / kRate)) {}
    double run(double x) {
        y += a * (x - y);
        return y;
    }
};

// ---- Effects ------------------------------------------------------------

// Feedback echo: every `delay` seconds the sound comes back, `feedback` times
// quieter each time and darker through a low-pass at `damp_hz`. `wet` sets
// the level of the echoes beside the dry sound.
inline void echo(Track& track, double delay, double feedback, double damp_hz, double wet) {
    const size_t d = static_cast<size_t>(std::lround(delay * kRate));
    std::vector<double> line(d, 0.0);
    size_t pos = 0;
    OnePole damp(damp_hz);
    process(track, 8, [&](double x, int64_t) {
        const double back = damp.run(line[pos]);
        line[pos] = x + feedback * back;
        pos = (pos + 1) % d;
        return x + wet * back;
    });
}

// A small room: four damped feedback combs in parallel, then two all-passes
// (the classic Schroeder design). `size` stretches the delays, `wet` sets the
// level of the room beside the dry sound.
inline void reverb(Track& track, double size, double feedback, double wet) {
    struct Comb {
        std::vector<double> line;
        size_t pos = 0;
        double store = 0;
    };
    struct AllPass {
        std::vector<double> line;
        size_t pos = 0;
    };
    const int32_t comb_delays[4] = {1557, 1617, 1491, 1422};
    const int32_t pass_delays[2] = {556, 225};
    Comb combs[4];
    AllPass passes[2];
    for (int32_t i = 0; i < 4; ++i)
        combs[i].line.assign(static_cast<size_t>(comb_delays[i] * size), 0.0);
    for (int32_t i = 0; i < 2; ++i)
        passes[i].line.assign(static_cast<size_t>(pass_delays[i] * size), 0.0);
    const double damp = 0.3;
    process(track, 4, [&](double x, int64_t) {
        double sum = 0;
        for (Comb& c : combs) {
            const double y = c.line[c.pos];
            c.store = y * (1.0 - damp) + c.store * damp;
            c.line[c.pos] = x + feedback * c.store;
            c.pos = (c.pos + 1) % c.line.size();
            sum += y;
        }
        double y = 0.25 * sum;
        for (AllPass& p : passes) {
            const double held = p.line[p.pos];
            p.line[p.pos] = y + 0.5 * held;
            p.pos = (p.pos + 1) % p.line.size();
            y = held - 0.5 * y;
        }
        return x + wet * y;
    });
}

// Removes any steady offset with a high-pass at 20 Hz, so that no sound
// shifts the mix off centre.
inline void dc_block(Track& track) {
    const double r = gm::exp(-kTwoPi * 20.0 / kRate);
    double last_x = 0, y = 0;
    process(track, 3, [&](double x, int64_t) {
        y = x - last_x + r * y;
        last_x = x;
        return y;
    });
}

// Soft saturation: thickens a sound and lowers its peaks against its body.
inline void saturate(Track& track, double drive) {
    double peak = 0;
    for (double x : track.v)
        peak = std::max(peak, std::fabs(x));
    if (peak <= 0) return;
    const double norm = gm::tanh(drive);
    for (double& x : track.v)
        x = gm::tanh(drive * x / peak) / norm * peak;
}

// ---- Legato lines -------------------------------------------------------

// One note of a legato line: from `start` (seconds into the bar) until the
// next note starts.
struct LineNote {
    double start;
    double note;  // MIDI note number
};

// The frequency of every value of a bar-long legato line: each note glides
// into the next over about `glide` seconds, with a vibrato of `vibrato_cents`
// at `vibrato_hz` (a whole number, so it repeats every bar) that grows in over
// each note. The whole line is then tuned by a hair (well under 5 cents for
// the lines used here) so that the bar holds a whole number of cycles: an
// oscillator that follows it ends the bar at the phase it started with and
// the line joins itself at the bar line.
inline std::vector<double> line_hz(const std::vector<LineNote>& notes, double glide,
                                   double vibrato_hz, double vibrato_cents, double detune_cents) {
    std::vector<double> hz(kRate);
    auto note_at = [&](double t, double& since) {
        size_t k = notes.size() - 1;
        for (size_t i = 0; i < notes.size(); ++i)
            if (notes[i].start <= t) k = i;
        since = t - notes[k].start;
        if (since < 0) since += 1.0;  // before the first note: the last one, from the bar before
        return notes[k].note;
    };
    // Glide in pitch, round the bar twice so the bar line is settled too.
    const double a = 1.0 - gm::exp(-1.0 / (glide * kRate));
    double pitch = notes.back().note;
    for (int32_t lap = 0; lap < 2; ++lap) {
        for (int32_t i = 0; i < kRate; ++i) {
            const double t = static_cast<double>(i) / kRate;
            double since = 0;
            pitch += a * (note_at(t, since) - pitch);
            const double depth = vibrato_cents * std::min(1.0, since / 0.25);
            const double wobble = depth / 100.0 * gm::sin(kTwoPi * vibrato_hz * t);
            hz[i] = note_hz(pitch + wobble) * cents(detune_cents);
        }
    }
    double cycles = 0;
    for (double f : hz)
        cycles += f / kRate;
    const double scale = std::max(1.0, std::round(cycles)) / cycles;
    for (double& f : hz)
        f *= scale;
    return hz;
}

}  // namespace synth
