// Sound output: the callback's bytes for the queue cases, the open without a
// device, and the real device through SDL's disk driver, with the main thread
// appending and rewriting while the audio thread plays.
#include "platform/snd.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/sample.h"
#include "container/array.h"

namespace {

using Bytes = std::vector<uint8_t>;
using V = std::vector<int32_t>;

// A sample of n values, value i = first + i * step.
Sample* ramp(int32_t n, int32_t first, int32_t step) {
    Sample* s = sample_new();
    sample_set_length(s, n);
    for (int32_t i = 0; i < n; ++i)
        sample_set(s, first + i * step, i);
    return s;
}

// The bytes those values play as (the low 16 bits, little-endian), appended
// to `to` and padded with 0xAA up to size.
Bytes pcm(int32_t n, int32_t first, int32_t step, size_t size = 0, Bytes to = {}) {
    for (int32_t i = 0; i < n; ++i) {
        const int32_t v = first + i * step;
        to.push_back(static_cast<uint8_t>(v));
        to.push_back(static_cast<uint8_t>(v >> 8));
    }
    if (to.size() < size) to.resize(size, 0xAA);
    return to;
}

// One callback of `bytes` bytes over a buffer prefilled with 0xAA, so that
// bytes the callback leaves alone can be told from written ones.
Bytes call(Sound* sound, int bytes) {
    Bytes out(static_cast<size_t>(bytes), 0xAA);
    snd_callback(sound, out.data(), bytes);
    return out;
}

// The file SDL's disk driver writes to.
const std::string path = "/tmp/quor_snd_" + std::to_string(getpid()) + ".raw";

// Opens the device through the named SDL audio driver.
Sound* open_with(const char* driver) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", driver, 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
    return snd_open();
}

// The values the device played, as 16-bit little-endian bytes, from what the
// disk driver wrote. sdl12-compat opens SDL 2's device with two channels and
// writes our one channel to both: such a file holds each value twice, and
// one of the two is kept.
Bytes played_values(const Bytes& file) {
    const SDL_version* v = SDL_Linked_Version();
    if (v->patch < 50 || file.size() % 4 != 0) return file;  // classic SDL 1.2
    Bytes mono;
    for (size_t i = 0; i < file.size(); i += 4) {
        if (file[i] != file[i + 2] || file[i + 1] != file[i + 3]) return file;
        mono.push_back(file[i]);
        mono.push_back(file[i + 1]);
    }
    return mono;
}

// Waits (up to about 10 s) until the queue has been played out, closes the
// device and returns the values it played.
Bytes play_out(Sound** sound) {
    for (int i = 0; i < 10000 && snd_queue_count(*sound) > 0; ++i)
        usleep(1000);
    EXPECT_EQ((V{snd_queue_count(*sound), snd_position(*sound)}), (V{0, 0}));
    snd_close(sound);
    std::ifstream in(path, std::ios::binary);
    Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    unlink(path.c_str());
    return played_values(file);
}

}  // namespace

TEST(SndCallback, PlaysAcrossCallsAndDropsFinishedSamples) {
    Sound* sound = snd_new();  // no device: the test calls the callback
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ((V{sound->freq, sound->depth, sound->sign, sound->endian, sound->queue->count}),
              (V{44100, 16, 's', 'l', 0}));
    Sample* s = ramp(5000, -2500, 1);
    snd_play(sound, s);
    EXPECT_EQ(call(sound, 8192), pcm(4096, -2500, 1));
    EXPECT_EQ(call(sound, 8192), pcm(904, 1596, 1, 8192));  // the rest keeps SDL's silence
    EXPECT_EQ((V{sound->position, sound->queue->count}), (V{0, 0}));
    snd_close(&sound);
    sample_free(&s);  // the queue never frees what it holds
}

TEST(SndCallback, LowBitsPausedEmptyAndBadRecords) {
    Sound* sound = snd_new();  // no device: the test calls the callback
    testing::internal::CaptureStdout();
    EXPECT_EQ(call(sound, 16), Bytes(16, 0xAA));  // empty queue: SDL's silence stays

    // Paused: silence, and nothing is consumed. A sample of length 0 plays one
    // zero value; an odd length leaves the last byte alone.
    int32_t values[2] = {40000, -1};
    Sample s = {2, 2, values};
    Sample empty = {0, 0, values};
    Sample liar = {3, 2, values};
    snd_play(sound, &empty);
    snd_play(sound, &s);
    sound->paused = 1;
    EXPECT_EQ(call(sound, 15), Bytes(15, 0x00));
    sound->paused = 0;
    EXPECT_EQ(call(sound, 7), (Bytes{0x00, 0x00, 0x40, 0x9C, 0xFF, 0xFF, 0xAA}));

    // A record whose length claims more than it holds plays zeros, never
    // reading past its buffer; a null slot at the head plays silence and stays.
    snd_play(sound, &liar);
    array_append(sound->queue, nullptr);
    EXPECT_EQ(call(sound, 10), Bytes(10, 0x00));
    EXPECT_EQ((V{sound->position, sound->queue->count}), (V{0, 1}));
    // A position a caller left at the top of the range ends the head sample
    // without overflowing.
    array_remove(sound->queue, 0);
    snd_play(sound, &liar);
    sound->position = INT32_MAX;
    EXPECT_EQ(call(sound, 2), Bytes(2, 0x00));
    EXPECT_EQ((V{sound->position, sound->queue->count}), (V{0, 0}));

    // Failed checks print the line only while the switch is on.
    snd_error_switch = 1;
    snd_callback(sound, nullptr, 4);
    snd_play(sound, nullptr);
    snd_close(nullptr);
    snd_error_switch = 0;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SDLSND error\nSDLSND error\nSDLSND error\n");
    snd_close(&sound);
}

TEST(SndDevice, WithoutADeviceNullThenTheDiskDriverWritesTheSample) {
    // Without a device snd_open gives null, and the program runs silently.
    Sound* sound = open_with("no-such-driver");
    EXPECT_EQ(sound, nullptr);
    Sample* s = ramp(6000, -9000, 3);
    snd_play(sound, s);
    EXPECT_EQ((V{snd_position(sound), snd_queue_count(sound)}), (V{0, 0}));

    sound = open_with("disk");
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(snd_open(), nullptr);  // one device at a time
    snd_play(sound, s);
    const Bytes file = play_out(&sound);
    sample_free(&s);
    // Silence, the sample's bytes from a frame boundary on, silence; whole
    // 4096-frame buffers.
    size_t at = 0;
    while (at < file.size() && file[at] == 0)
        ++at;
    Bytes want = pcm(6000, -9000, 3, 0, Bytes(at & ~size_t{1}, 0));
    ASSERT_GE(file.size(), want.size());
    want.resize(file.size(), 0);
    EXPECT_EQ(file, want);
}

TEST(SndDevice, MainThreadAppendsAndRewritesWhileTheCallbackPlays) {
    Sound* sound = open_with("disk");
    ASSERT_NE(sound, nullptr);
    // Like the music: one buffer queued again whenever the queue runs short,
    // and rewritten under the lock while it is queued.
    constexpr int32_t length = 1500;
    constexpr int32_t rounds = 40;
    Sample* mix = ramp(length, 0, 0);
    int32_t queued = 0;
    for (int32_t round = 1; queued < rounds; ++round) {
        snd_lock();
        for (int32_t i = 0; i < length; ++i)
            sample_set(mix, round * 100 + (i & 1), i);
        if (sound->queue->count <= 3) {
            snd_play(sound, mix);  // takes the lock again inside: it is recursive
            ++queued;
        }
        EXPECT_LT(sound->position, length);
        if (round == 5) sound->paused = 1;
        if (round == 8) sound->paused = 0;
        snd_unlock();
        usleep(1000);
    }

    // Every frame that played is a whole value of some round, and each queued
    // entry played exactly its length in frames.
    const Bytes file = play_out(&sound);
    int64_t played = 0;
    for (size_t i = 0; i + 1 < file.size(); i += 2) {
        const int32_t w = file[i] | (file[i + 1] << 8);
        played += w != 0;
        ASSERT_TRUE(w == 0 || (w >= 100 && w % 100 <= 1)) << w;
    }
    EXPECT_EQ(played, int64_t{rounds} * length);
    sample_free(&mix);
}
