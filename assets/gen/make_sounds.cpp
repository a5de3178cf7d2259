// Synthesises the sounds of the music (asset_counts::sounds of them) and writes them one after
// another as signed 32-bit little-endian values, in index order. Usage: make_sounds OUT.bin
//
// The music plays the first second of up to seven of these sounds at once, in
// any combination, looped. So they all share one key (A minor), one tempo (120
// beats a minute: one second is a bar of two beats, a sixteenth note is 1/8 s)
// and one chord progression per bar:
//
//     0 - 0.5 s     A minor 7   (A C E G)
//     0.5 - 0.75 s  F major 7   (F A C E)
//     0.75 - 1 s    G, sixth    (G B D E)
//
// Melodies keep to A C D E G (with B over G), which sit well over all three.
// A sound longer than a second is written as one bar that loops seamlessly
// (its tails wrap round the bar line), repeated to its length and faded out at
// the very end. A shorter sound is a one-shot or a part-bar phrase from the
// downbeat that has died away to 0 by its last value. Each sound's first
// second is scaled to a peak of about 30000 so that it stays clearly audible
// after the music's division by 8.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "assets/gen/asset_counts.h"
#include "assets/gen/gen_math.h"
#include "assets/gen/sound_lengths.h"
#include "assets/gen/synth.h"

using namespace synth;

namespace {

// MIDI note numbers used below.
enum : int32_t {
    F1 = 29,
    G1 = 31,
    A1 = 33,
    F2 = 41,
    G2 = 43,
    A2 = 45,
    C3 = 48,
    E3 = 52,
    F3 = 53,
    G3 = 55,
    A3 = 57,
    B3 = 59,
    C4 = 60,
    D4 = 62,
    E4 = 64,
    F4 = 65,
    G4 = 67,
    A4 = 69,
    B4 = 71,
    C5 = 72,
    D5 = 74,
    E5 = 76,
    F5 = 77,
    G5 = 79,
    A5 = 81,
    B5 = 83,
    C6 = 84,
    D6 = 86
};

constexpr double kSixteenth = 1.0 / 8;  // seconds
constexpr double kThirtySecond = 1.0 / 16;

// The three chords of the bar, four voices each, moving by step.
struct Chord {
    double start;
    int32_t notes[4];
    int32_t root;  // the bass note, in the first octave
};
constexpr Chord kChords[3] = {
    {0.0, {A3, C4, E4, G4}, A1}, {0.5, {A3, C4, E4, F4}, F1}, {0.75, {B3, D4, E4, G4}, G1}};

const Chord& chord_at(double t) {
    t -= std::floor(t);
    if (t >= kChords[2].start) return kChords[2];
    if (t >= kChords[1].start) return kChords[1];
    return kChords[0];
}

// ---- Drums --------------------------------------------------------------

// A kick: a sine falling from about 180 Hz to A1 (55 Hz), with a short tick.
void kick(Track& t, double start, double length, double low_hz, double decay) {
    Osc osc;
    Noise noise(7);
    place(t, start, length, [&](double s) {
        const double hz = low_hz + 130.0 * gm::exp(-s / 0.03);
        const double body = osc.sine(hz) * attack_decay(s, 0.0015, decay);
        const double tick = 0.25 * noise.next() * gm::exp(-s / 0.002) * fade_in(s, 0.0005);
        return gm::tanh(1.8 * (body + tick)) * release_after(s, length - 0.02, 0.02);
    });
}

// Metal for the cymbals: six square waves at unrelated frequencies.
double metal(Osc (&osc)[6]) {
    static const double hz[6] = {317.0, 456.0, 517.0, 653.0, 790.0, 1011.0};
    double sum = 0;
    for (int32_t i = 0; i < 6; ++i)
        sum += osc[i].square(hz[i] * 2.3);
    return sum / 6.0;
}

// A hi-hat: filtered noise and metal; `decay` short for closed, long for open.
void hat(Track& t, double start, double level, double decay, double length, uint32_t seed) {
    Noise noise(seed);
    Osc osc[6];
    Svf high, band;
    place(t, start, length, [&](double s) {
        const double x = 0.65 * noise.next() + 0.5 * metal(osc);
        high.run(x, 7000.0, 0.7);
        band.run(high.high, 10000.0, 0.9);
        const double env = attack_decay(s, 0.0007, decay) * release_after(s, length - 0.01, 0.01);
        return level * env * (high.high + 0.6 * band.band);
    });
}

// A snare: a tuned body (A3, falling in) under a burst of bright noise.
void snare(Track& t, double start, double level, double length) {
    Osc osc;
    Noise noise(21);
    Svf hp, lp;
    place(t, start, length, [&](double s) {
        const double hz = 220.0 + 90.0 * gm::exp(-s / 0.015);
        const double body = osc.sine(hz) * attack_decay(s, 0.001, 0.045);
        hp.run(noise.next(), 1200.0, 0.7);
        lp.run(hp.high, 8000.0, 0.7);
        const double rattle = lp.low * attack_decay(s, 0.001, 0.06);
        return level * (0.7 * body + 1.1 * rattle) * release_after(s, length - 0.02, 0.02);
    });
}

// A hand clap: three quick bursts of band-passed noise and a short tail.
void clap(Track& t, double start, double level, double length) {
    Noise noise(33);
    Svf band;
    place(t, start, length, [&](double s) {
        double env = 0;
        for (int32_t k = 0; k < 3; ++k)
            env = std::max(env, attack_decay(s - 0.0095 * k, 0.0008, 0.004));
        env = std::max(env, 0.8 * attack_decay(s - 0.019, 0.001, 0.022));
        band.run(noise.next(), 1150.0, 1.3);
        return level * env * band.band * release_after(s, length - 0.015, 0.015);
    });
}

// A pitched hand drum (conga): a sine bending down onto `note`, a slap of noise.
void conga(Track& t, double start, double note, double level) {
    Osc osc;
    Noise noise(45);
    Svf band;
    const double hz = note_hz(note);
    place(t, start, 0.16, [&](double s) {
        const double body = osc.sine(hz * (1.0 + 0.06 * gm::exp(-s / 0.012)));
        band.run(noise.next(), 2500.0, 1.0);
        const double slap = band.band * gm::exp(-s / 0.006);
        const double env = attack_decay(s, 0.001, 0.07) * release_after(s, 0.14, 0.02);
        return level * env * (body + 0.8 * slap);
    });
}

// ---- Pitched voices -----------------------------------------------------

// Electric piano (two-operator FM): bright at the strike, mellow as it rings.
void piano(Track& t, double start, double note, double hold, double level) {
    const double hz = note_hz(note);
    Osc carrier, modulator, tine;
    place(t, start, hold + 0.12, [&](double s) {
        const double index = 0.25 + 1.5 * gm::exp(-s / 0.12);
        const double m = modulator.sine(hz);
        const double y = gm::sin(kTwoPi * carrier.phase + index * m);
        carrier.advance(hz);
        const double bell = 0.12 * tine.sine(hz * 5.0) * gm::exp(-s / 0.015);
        const double env = attack_decay(s, 0.002, 0.7) * release_after(s, hold, 0.12);
        return level * env * (y + bell);
    });
}

// A plucked synth note: detuned saws through a low-pass that closes quickly.
void pluck(Track& t, double start, double note, double hold, double level, double bright,
           double q) {
    const double hz = note_hz(note);
    Osc a, b;
    Svf filter;
    place(t, start, hold + 0.05, [&](double s) {
        const double x = 0.5 * (a.saw(hz * cents(-7)) + b.saw(hz * cents(7)));
        filter.run(x, 300.0 + bright * gm::exp(-s / 0.07), q);
        const double env = attack_decay(s, 0.002, 0.2) * release_after(s, hold, 0.05);
        return level * env * filter.low;
    });
}

// A soft sine pluck with a little second and third harmonic.
void glass(Track& t, double start, double note, double decay, double level) {
    const double hz = note_hz(note);
    Osc osc;
    place(t, start, 6 * decay + 0.02, [&](double s) {
        const double p = kTwoPi * osc.phase;
        const double y =
            gm::sin(p) + 0.3 * gm::sin(2 * p) * gm::exp(-s / 0.03) + 0.1 * gm::sin(3 * p);
        osc.advance(hz);
        return level * y * attack_decay(s, 0.0015, decay) * release_after(s, 5 * decay, decay);
    });
}

// A vibraphone-like bell: partials 1, 4 and 10, the upper ones dying first.
void bell(Track& t, double start, double note, double length, double level) {
    const double hz = note_hz(note);
    Osc p1, p4, p10;
    place(t, start, length, [&](double s) {
        const double y = p1.sine(hz) + 0.3 * p4.sine(hz * 4.0) * gm::exp(-s / 0.08) +
                         0.12 * p10.sine(hz * 10.0) * gm::exp(-s / 0.02);
        const double tremolo = 1.0 - 0.15 * (0.5 - 0.5 * gm::cos(kTwoPi * 6.0 * s));
        return level * y * tremolo * attack_decay(s, 0.002, 0.35) *
               release_after(s, length - 0.04, 0.04);
    });
}

// A synth bass note: a saw and a sub-octave square through a resonant
// low-pass with its own short sweep.
void bass_note(Track& t, double start, double note, double hold, double level, double sweep) {
    const double hz = note_hz(note);
    Osc saw, sub;
    Svf filter;
    place(t, start, hold + 0.02, [&](double s) {
        const double x = saw.saw(hz) + 0.6 * sub.square(hz * 0.5);
        filter.run(x, 160.0 + sweep * gm::exp(-s / 0.05), 2.2);
        const double env = attack_decay(s, 0.003, 0.5) * release_after(s, hold, 0.02);
        return level * env * filter.low;
    });
}

// A sine sub-bass note, slightly rounded over so it is heard on small speakers.
void sub_note(Track& t, double start, double note, double hold, double level) {
    const double hz = note_hz(note);
    Osc osc;
    place(t, start, hold + 0.03, [&](double s) {
        const double y = gm::tanh(1.6 * osc.sine(hz)) / gm::tanh(1.6);
        return level * y * fade_in(s, 0.008) * release_after(s, hold, 0.03);
    });
}

// A legato line of detuned saws (one oscillator per detune), summed.
void saw_line(Track& t, const std::vector<LineNote>& notes, double glide, double vibrato_cents,
              const std::vector<double>& detunes, double level) {
    for (size_t k = 0; k < detunes.size(); ++k) {
        const std::vector<double> hz = line_hz(notes, glide, 5.0, vibrato_cents, detunes[k]);
        Osc osc;
        osc.phase = 0.37 * static_cast<double>(k);
        for (int32_t i = 0; i < kRate; ++i)
            t.add(i, level * osc.saw(hz[i]));
    }
}

// ---- The sounds ------------------------------------------------------

// 0: an A minor 9 chord stab on the downbeat.
void chord_stab(Track& t) {
    for (int32_t note : {A3, C4, E4, G4, B4})
        pluck(t, 0.0, note, 0.2, 0.3, 4500.0, 1.4);
}

// 1: a noise riser that sweeps up into the next downbeat and stops short of it.
void riser(Track& t) {
    Noise noise(101);
    Svf band;
    const double rise = 0.85;
    place(t, 0.0, 0.876, [&](double s) {
        const double u = std::min(1.0, s / rise);
        band.run(noise.next(), 300.0 * gm::pow(8000.0 / 300.0, u), 1.0 + 3.0 * u);
        const double env = u * u * release_after(s, rise, 0.02);
        return env * band.band;
    });
}

// 2: an open hi-hat on the off-beat eighth.
void open_hat(Track& t) {
    hat(t, 0.25, 1.0, 0.07, 0.235, 202);
}

// 3: a clap on the second beat.
void beat_clap(Track& t) {
    clap(t, 0.5, 1.0, 0.062);
}

// 4: the kick, on the downbeat.
void short_kick(Track& t) {
    kick(t, 0.0, 0.1, 55.0, 0.05);
}

// 5: two deeper kicks, on the downbeat and a dotted eighth later.
void double_kick(Track& t) {
    kick(t, 0.0, 0.15, 50.0, 0.07);
    kick(t, 0.375, 0.15, 50.0, 0.07);
}

// 6: hi-hats on every sixteenth, accented on the off-beats, with a roll into
// the bar line.
void hat_loop(Track& t) {
    const double accents[8] = {0.6, 0.4, 1.0, 0.4, 0.6, 0.4, 1.0, 0.5};
    for (int32_t i = 0; i < 8; ++i)
        hat(t, i * kSixteenth, accents[i], 0.028, 0.11, 600 + i);
    hat(t, 7.5 * kSixteenth, 0.3, 0.015, 0.06, 620);
}

// 7: a shaker on thirty-seconds for the first beat, landing on the second.
void shaker(Track& t) {
    const double accents[4] = {1.0, 0.45, 0.7, 0.45};
    Noise noise(77);
    for (int32_t i = 0; i <= 8; ++i) {
        Svf band;
        const double level = accents[i % 4];
        place(t, i * kThirtySecond, 0.09, [&](double s) {
            band.run(noise.next(), 7000.0, 0.8);
            return level * band.band * attack_decay(s, 0.004, 0.022) *
                   release_after(s, 0.075, 0.015);
        });
    }
}

// 8: vibraphone in thirds under the lead line (10), ringing out by 0.96 s.
void vibes(Track& t) {
    const struct {
        double start;
        int32_t note;
        double length;
    } notes[5] = {
        {0.0, C5, 0.25}, {0.25, E5, 0.125}, {0.375, C5, 0.125}, {0.5, A4, 0.25}, {0.75, B4, 0.2}};
    for (const auto& n : notes)
        bell(t, n.start, n.note, n.length + 0.01, 0.5);
}

// 9: a resonant acid bass riff on thirty-seconds for the first beat.
void acid_riff(Track& t) {
    const int32_t notes[8] = {A2, A2, A3, A2, C3, A2, E3, G3};
    Osc osc;
    Svf filter;
    place(t, 0.0, 0.571, [&](double s) {
        const int32_t k = std::min(7, static_cast<int32_t>(s / kThirtySecond));
        const double since = s - k * kThirtySecond;
        const double open = 500.0 + 300.0 * k;
        filter.run(osc.saw(note_hz(notes[k])), 250.0 + open * gm::exp(-since / 0.035), 5.0);
        const double gate =
            s < 0.5 ? fade_in(since, 0.002) * release_after(since, 0.045, 0.01) : 0.0;
        return gm::tanh(1.5 * filter.low * gate);
    });
}

// 10: the lead line, a singing saw in the middle register.
void lead(Track& t) {
    const std::vector<LineNote> notes = {{0.0, E5}, {0.25, G5}, {0.375, E5}, {0.5, C5}, {0.75, D5}};
    Track dry(kRate, true);
    saw_line(dry, notes, 0.012, 14.0, {-6.0, 6.0}, 0.5);
    Svf filter;
    process(dry, 3, [&](double x, int64_t) {
        filter.run(x, 2600.0, 0.9);
        return filter.low;
    });
    // Each note swells a little as it starts, so the line articulates.
    for (size_t i = 0; i < dry.v.size(); ++i) {
        const double s = static_cast<double>(i) / kRate;
        double swell = 0;
        for (const LineNote& n : notes) {
            const double since = s - n.start - std::floor(s - n.start);
            swell += fade_in(since, 0.015) * gm::exp(-since / 0.05);
        }
        dry.v[i] *= 0.7 + 0.3 * swell;
    }
    echo(dry, 0.375, 0.3, 3000.0, 0.3);
    reverb(dry, 1.0, 0.75, 0.2);
    t.mix(dry, 1.0);
}

// 11: hand drums on A4 and E4, syncopated through the first beat.
void hand_drums(Track& t) {
    conga(t, 0.125, A4, 1.0);
    conga(t, 0.1875, A4, 0.5);
    conga(t, 0.3125, E4, 0.8);
    conga(t, 0.375, E4, 1.0);
}

// 12: chord stabs on the off-beat eighths, following the progression.
void offbeat_chords(Track& t) {
    for (double start : {0.125, 0.375, 0.625, 0.875}) {
        const Chord& c = chord_at(start);
        for (int32_t note : c.notes)
            pluck(t, start, note, 0.07, 0.3, 3500.0, 1.2);
        pluck(t, start, c.notes[0] + 12, 0.07, 0.2, 3500.0, 1.2);
    }
    reverb(t, 1.1, 0.72, 0.25);
}

// 13: a snare on the second beat.
void beat_snare(Track& t) {
    snare(t, 0.5, 1.0, 0.155);
}

// 14: a warm string pad holding the chords, breathing with the beat.
void pad(Track& t) {
    Track dry(kRate, true);
    for (int32_t v = 0; v < 4; ++v) {
        const std::vector<LineNote> notes = {{kChords[0].start, 1.0 * kChords[0].notes[v]},
                                             {kChords[1].start, 1.0 * kChords[1].notes[v]},
                                             {kChords[2].start, 1.0 * kChords[2].notes[v]}};
        saw_line(dry, notes, 0.04, 0.0, {-9.0, 0.0, 9.0}, 0.25);
    }
    Svf filter;
    process(dry, 3, [&](double x, int64_t i) {
        const double s = static_cast<double>(i) / kRate;
        filter.run(x, 1500.0 + 500.0 * gm::sin(kTwoPi * s), 0.8);
        const double beat = s < 0.5 ? s : s - 0.5;
        const double duck = 1.0 - 0.35 * fade_in(beat, 0.01) * gm::exp(-beat / 0.1);
        return filter.low * duck;
    });
    reverb(dry, 1.3, 0.78, 0.3);
    saturate(dry, 1.6);
    t.mix(dry, 1.0);
}

// 15: a low tom on A2, on the downbeat.
void tom(Track& t) {
    Osc osc;
    place(t, 0.0, 0.188, [&](double s) {
        const double hz = 110.0 * (1.0 + 0.5 * gm::exp(-s / 0.03));
        return osc.sine(hz) * attack_decay(s, 0.001, 0.07) * release_after(s, 0.16, 0.028);
    });
}

// 16: a closed hi-hat on the downbeat.
void closed_hat(Track& t) {
    hat(t, 0.0, 1.0, 0.025, 0.137, 1616);
}

// 17: a wood click tuned to A6 and E7, on the downbeat.
void click(Track& t) {
    Osc a, e;
    Noise noise(1717);
    place(t, 0.0, 0.126, [&](double s) {
        const double y = a.sine(1760.0) * gm::exp(-s / 0.012) +
                         0.5 * e.sine(2637.0) * gm::exp(-s / 0.007) +
                         0.3 * noise.next() * gm::exp(-s / 0.001);
        return y * fade_in(s, 0.0004) * release_after(s, 0.1, 0.026);
    });
}

// 18: the bass line: roots on the beats, octaves on the off-beats.
void bass_line(Track& t) {
    const struct {
        double start;
        int32_t note;
        double hold;
        double sweep;
    } notes[8] = {{0.0, A2, 0.17, 1400.0},  {0.1875, A2, 0.05, 700.0}, {0.25, A3, 0.08, 1600.0},
                  {0.375, A2, 0.1, 1000.0}, {0.5, F2, 0.17, 1400.0},   {0.625, F3, 0.08, 1600.0},
                  {0.75, G2, 0.17, 1400.0}, {0.875, G3, 0.08, 1600.0}};
    for (const auto& n : notes)
        bass_note(t, n.start, n.note, n.hold, 1.0, n.sweep);
    saturate(t, 1.2);
}

// 19: the opening: an electric piano arpeggio over a soft sine pad, with echoes.
void opening(Track& t) {
    const int32_t arp[8] = {A3, E4, C5, G4, F3, E4, G3, D4};
    Track keys(kRate, true);
    for (int32_t i = 0; i < 8; ++i)
        piano(keys, i * kSixteenth, arp[i], 0.3, 0.5);
    for (int32_t v = 0; v < 3; ++v) {
        const std::vector<LineNote> notes = {{kChords[0].start, 1.0 * kChords[0].notes[v]},
                                             {kChords[1].start, 1.0 * kChords[1].notes[v]},
                                             {kChords[2].start, 1.0 * kChords[2].notes[v]}};
        const std::vector<double> hz = line_hz(notes, 0.05, 5.0, 6.0, 0.0);
        Osc osc;
        for (int32_t i = 0; i < kRate; ++i)
            keys.add(i, 0.12 * osc.sine(hz[i]));
    }
    echo(keys, 0.1875, 0.35, 2500.0, 0.45);
    reverb(keys, 1.2, 0.8, 0.3);
    saturate(keys, 1.3);
    t.mix(keys, 1.0);
}

// 20: a laser zap falling from A6 on the downbeat.
void zap(Track& t) {
    Osc osc;
    place(t, 0.0, 0.251, [&](double s) {
        const double hz = 110.0 + 1650.0 * gm::exp(-s / 0.035);
        const double y = osc.sine(hz) + 0.25 * gm::sin(3.0 * kTwoPi * osc.phase);
        return y * attack_decay(s, 0.001, 0.08) * release_after(s, 0.21, 0.04);
    });
}

// 21: a high plucked counter-melody on the off-beats, with echoes.
void counter_melody(Track& t) {
    const struct {
        double start;
        int32_t note;
    } notes[6] = {{0.125, A5}, {0.3125, C6}, {0.4375, A5}, {0.625, G5}, {0.8125, D6}, {0.9375, B5}};
    Track dry(kRate, true);
    for (const auto& n : notes) {
        const double hz = note_hz(n.note);
        Osc osc;
        Svf filter;
        place(dry, n.start, 0.12, [&](double s) {
            filter.run(osc.square(hz, 0.3), 900.0 + 5000.0 * gm::exp(-s / 0.03), 1.0);
            return 0.6 * filter.low * attack_decay(s, 0.002, 0.07) * release_after(s, 0.09, 0.03);
        });
    }
    echo(dry, 0.1875, 0.4, 2800.0, 0.45);
    reverb(dry, 0.9, 0.7, 0.2);
    t.mix(dry, 1.0);
}

// 22: a sweep of wind: noise through a band-pass that rises and falls once a bar.
void wind(Track& t) {
    Noise noise(2222);
    for (double& x : t.v)
        x = noise.next();
    Svf band;
    process(t, 3, [&](double x, int64_t i) {
        const double s = static_cast<double>(i) / kRate;
        const double u = 0.5 - 0.5 * gm::cos(kTwoPi * s);
        band.run(x, 350.0 * gm::pow(2.0, 3.3 * u), 2.0 + 2.0 * u);
        return band.band * (0.5 + 0.5 * u);
    });
    reverb(t, 1.4, 0.75, 0.3);
}

// 23: a fast glassy arpeggio on thirty-seconds, an octave above the opening.
void sparkle(Track& t) {
    const int32_t notes[16] = {A4, C5, E5, G5, E5, C5, A4, C5, A4, C5, E5, F5, G4, B4, D5, G5};
    for (int32_t i = 0; i < 16; ++i)
        glass(t, i * kThirtySecond, notes[i], 0.06, i % 4 == 0 ? 0.6 : 0.4);
    echo(t, 0.1875, 0.3, 3500.0, 0.35);
    reverb(t, 1.0, 0.7, 0.2);
}

// 24: the sub-bass: the chord roots an octave down, held.
void sub_bass(Track& t) {
    for (int32_t i = 0; i < 3; ++i) {
        const double end = i < 2 ? kChords[i + 1].start : 1.0;
        sub_note(t, kChords[i].start, kChords[i].root, end - kChords[i].start - 0.01, 1.0);
    }
}

// How to make each sound, in index order (each maker's comment starts with
// its index), and the peak its first second is scaled to.
struct Recipe {
    void (*make)(Track&);
    double peak;
};

constexpr Recipe kRecipes[asset_counts::sounds] = {{chord_stab, 30000},
                                                   {riser, 28000},
                                                   {open_hat, 30000},
                                                   {beat_clap, 30000},
                                                   {short_kick, 31000},
                                                   {double_kick, 31000},
                                                   {hat_loop, 30000},
                                                   {shaker, 28000},
                                                   {vibes, 30000},
                                                   {acid_riff, 28000},
                                                   {lead, 30000},
                                                   {hand_drums, 30000},
                                                   {offbeat_chords, 30000},
                                                   {beat_snare, 30000},
                                                   {pad, 26000},
                                                   {tom, 30000},
                                                   {closed_hat, 30000},
                                                   {click, 28000},
                                                   {bass_line, 31000},
                                                   {opening, 31000},
                                                   {zap, 28000},
                                                   {counter_melody, 30000},
                                                   {wind, 26000},
                                                   {sparkle, 30000},
                                                   {sub_bass, 31000}};

// The sound's values: the first second scaled to its peak; a longer sound
// repeats its bar to its full length and fades out over its last quarter
// second; a shorter one is brought to exactly 0 over its last few values.
std::vector<int32_t> render(int32_t index) {
    const int32_t length = sound_lengths[index];
    const bool looping = length > kRate;
    Track track(looping ? kRate : length, looping);
    kRecipes[index].make(track);
    dc_block(track);
    double peak = 0;
    for (double x : track.v)
        peak = std::max(peak, std::fabs(x));
    const double scale = peak > 0 ? kRecipes[index].peak / peak : 0.0;
    std::vector<int32_t> values(static_cast<size_t>(length));
    for (int32_t i = 0; i < length; ++i) {
        const double s = static_cast<double>(i) / kRate;
        const double end = static_cast<double>(length) / kRate;
        double x = track.v[static_cast<size_t>(i % track.size())] * scale;
        x *= looping ? release_after(s, end - 0.25, 0.25) : release_after(s, end - 0.002, 0.002);
        values[static_cast<size_t>(i)] =
            static_cast<int32_t>(std::clamp(std::lround(x), -32767L, 32767L));
    }
    values.back() = 0;
    return values;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_sounds OUT.bin\n");
        return 2;
    }
    FILE* f = fopen(argv[1], "wb");
    if (!f) return 1;
    bool ok = true;
    for (int32_t i = 0; i < asset_counts::sounds; ++i) {
        const std::vector<int32_t> values = render(i);
        for (int32_t v : values) {
            const uint32_t u = static_cast<uint32_t>(v);
            const uint8_t bytes[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                                      static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 24)};
            ok = ok && fwrite(bytes, 1, 4, f) == 4;
        }
    }
    return fclose(f) == 0 && ok ? 0 : 1;
}
