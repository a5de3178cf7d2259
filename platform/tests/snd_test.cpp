// Sound output: the callback's bytes for the queue cases, the open without a
// device, and the real device through SDL's disk driver, with the main thread
// appending and rewriting while the audio thread plays.
#include "platform/snd.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "audio/sample.h"
#include "container/array.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A Sound record as snd_open leaves it, without a device, for driving the
// callback by hand.
Sound* bench_sound() {
    Sound* s = static_cast<Sound*>(calloc(1, sizeof(Sound)));
    s->freq = 44100;
    s->depth = 16;
    s->sign = 's';
    s->endian = 'l';
    s->queue = array_new();
    return s;
}

// A sample of n values, value i = first + i * step.
Sample* ramp(int32_t n, int32_t first, int32_t step) {
    Sample* s = sample_new();
    sample_set_length(s, n);
    for (int32_t i = 0; i < n; ++i)
        sample_set(s, first + i * step, i);
    return s;
}

// One callback of `bytes` bytes over a buffer prefilled with 0xAA, so that
// bytes the callback leaves alone can be told from written ones.
Bytes call(Sound* sound, int bytes) {
    Bytes out(static_cast<size_t>(bytes), 0xAA);
    snd_callback(sound, out.data(), bytes);
    return out;
}

// The little-endian 16-bit word of frame i.
int32_t word(const Bytes& b, size_t i) {
    return b[2 * i] | (b[2 * i + 1] << 8);
}

// The low 16 bits of v as an output word.
int32_t low16(int32_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v) & 0xFFFF);
}

// Sets up SDL's dummy video and disk audio drivers, writing to a fresh file.
std::string use_disk_driver(const char* tag) {
    const std::string path =
        std::string("/tmp/quor_snd_") + tag + "_" + std::to_string(getpid()) + ".raw";
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
    return path;
}

// The whole content of a file.
Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Waits (up to about 10 s) until the queue has been played out.
bool wait_until_played(Sound* sound) {
    for (int i = 0; i < 10000 && snd_queue_count(sound) > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return snd_queue_count(sound) == 0;
}

// The bytes a sample plays as.
Bytes played_bytes(const Sample* s) {
    Bytes b;
    for (int32_t i = 0; i < s->length; ++i) {
        b.push_back(static_cast<uint8_t>(s->data[i] & 0xFF));
        b.push_back(static_cast<uint8_t>((s->data[i] >> 8) & 0xFF));
    }
    return b;
}

// Index of needle in hay, or -1.
long find_bytes(const Bytes& hay, const Bytes& needle) {
    auto at = std::search(hay.begin(), hay.end(), needle.begin(), needle.end());
    return at == hay.end() ? -1 : at - hay.begin();
}

}  // namespace

TEST(SndCallback, PlaysAcrossCallsAndDropsFinishedSamples) {
    Sound* sound = bench_sound();
    Sample* s = ramp(5000, -2500, 1);
    snd_play(sound, s);
    EXPECT_EQ(sound->queue->count, 1);

    Bytes first = call(sound, 8192);
    for (size_t i = 0; i < 4096; ++i)
        ASSERT_EQ(word(first, i), low16(-2500 + int32_t(i)));
    EXPECT_EQ(sound->position, 4096);
    EXPECT_EQ(sound->queue->count, 1);

    Bytes second = call(sound, 8192);
    for (size_t i = 0; i < 904; ++i)
        ASSERT_EQ(word(second, i), low16(-2500 + 4096 + int32_t(i)));
    for (size_t i = 904 * 2; i < 8192; ++i)
        ASSERT_EQ(second[i], 0xAA);  // left to SDL's silence
    EXPECT_EQ(sound->position, 0);
    EXPECT_EQ(sound->queue->count, 0);

    // Queued again after the queue ran empty, it starts from its value 0.
    snd_play(sound, s);
    Bytes third = call(sound, 8);
    EXPECT_EQ(word(third, 0), low16(-2500));
    EXPECT_EQ(word(third, 3), low16(-2497));
    EXPECT_EQ(sound->position, 4);

    snd_close(&sound);
    EXPECT_EQ(sound, nullptr);
    sample_free(&s);  // the queue never frees what it holds
}

TEST(SndCallback, SameSampleTwiceInOneCall) {
    Sound* sound = bench_sound();
    Sample* s = ramp(3000, 1, 3);
    snd_play(sound, s);
    snd_play(sound, s);
    Bytes out = call(sound, 8192);
    for (size_t i = 0; i < 3000; ++i)
        ASSERT_EQ(word(out, i), low16(1 + 3 * int32_t(i)));
    for (size_t i = 0; i < 1096; ++i)
        ASSERT_EQ(word(out, 3000 + i), low16(1 + 3 * int32_t(i)));
    EXPECT_EQ(sound->position, 1096);
    EXPECT_EQ(sound->queue->count, 1);
    snd_close(&sound);
    sample_free(&s);
}

TEST(SndCallback, PlaysTheLow16BitsAndEdgeLengths) {
    Sound* sound = bench_sound();
    Sample* s = sample_new();
    sample_insert(s, 40000, 0);
    sample_insert(s, -1, 1);
    Sample* empty = sample_new();
    snd_play(sound, empty);  // a sample of length 0 plays one zero value
    snd_play(sound, s);
    Bytes out = call(sound, 7);  // odd: the last byte is not written
    EXPECT_EQ(out, (Bytes{0x00, 0x00, 0x40, 0x9C, 0xFF, 0xFF, 0xAA}));
    EXPECT_EQ(sound->queue->count, 0);

    // A record whose length claims more than it holds plays zeros, never
    // reading past its buffer.
    int32_t two[2] = {7, 8};
    Sample liar = {3, 2, two};
    snd_play(sound, &liar);
    out = call(sound, 6);
    EXPECT_EQ(out, Bytes(6, 0x00));
    snd_close(&sound);
    sample_free(&s);
    sample_free(&empty);
}

TEST(SndCallback, PausedEmptyAndBadArguments) {
    Sound* sound = bench_sound();
    Sample* s = ramp(100, 1, 1);
    EXPECT_EQ(call(sound, 16), Bytes(16, 0xAA));  // empty queue: SDL's silence stays

    snd_play(sound, s);
    sound->paused = 1;
    EXPECT_EQ(call(sound, 15), Bytes(15, 0x00));
    EXPECT_EQ(sound->position, 0);
    sound->paused = 0;
    EXPECT_EQ(word(call(sound, 4), 1), 2);

    // A null slot at the head: silence, and the queue stays.
    array_insert(sound->queue, nullptr, 0);
    EXPECT_EQ(call(sound, 6), Bytes(6, 0x00));
    EXPECT_EQ(sound->queue->count, 2);
    array_remove(sound->queue, 0);

    // Failed checks print the error line only while the switch is on; an
    // empty queue counts as one.
    Sound* idle = bench_sound();
    Bytes out(4);
    testing::internal::CaptureStdout();
    snd_callback(nullptr, out.data(), 4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    snd_error_switch = 1;
    testing::internal::CaptureStdout();
    snd_callback(sound, nullptr, 4);
    snd_callback(sound, out.data(), 0);
    snd_callback(idle, out.data(), 4);
    snd_play(sound, nullptr);
    snd_close(nullptr);
    std::string five;
    for (int i = 0; i < 5; ++i)
        five += "SDLSND error\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), five);
    snd_error_switch = 0;
    EXPECT_EQ(sound->position, 2);  // none of that touched the playing sample

    // The placeholders.
    char* text = snd_to_text(sound);
    EXPECT_STREQ(text, "");
    free(text);
    EXPECT_EQ(snd_equal(sound, idle), 1);
    EXPECT_EQ(snd_equal(sound, nullptr), 0);
    EXPECT_EQ(snd_copy(sound), nullptr);
    EXPECT_EQ(snd_from_text("SDLSND"), nullptr);

    // snd_play creates a missing queue.
    array_free(&idle->queue);
    snd_play(idle, s);
    EXPECT_EQ(snd_queue_count(idle), 1);
    snd_close(&sound);
    snd_close(&idle);
    sample_free(&s);
}

TEST(SndDevice, WithoutADeviceTheProgramRunsSilently) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    Sound* sound = snd_open();
    EXPECT_EQ(sound, nullptr);
    Sample* s = ramp(10, 1, 1);
    snd_play(sound, s);
    snd_lock();
    snd_unlock();
    EXPECT_EQ(snd_position(sound), 0);
    EXPECT_EQ(snd_queue_count(sound), 0);
    snd_close(&sound);
    sample_free(&s);
}

TEST(SndDevice, DiskDriverWritesTheQueuedSample) {
    const std::string path = use_disk_driver("play");
    Sound* sound = snd_open();
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->freq, 44100);
    EXPECT_EQ(sound->depth, 16);
    EXPECT_EQ(sound->sign, 's');
    EXPECT_EQ(sound->endian, 'l');
    EXPECT_EQ(sound->paused, 0);
    ASSERT_NE(sound->queue, nullptr);
    EXPECT_EQ(snd_open(), nullptr);  // one device at a time

    Sample* s = ramp(6000, -9000, 3);
    snd_play(sound, s);
    EXPECT_TRUE(wait_until_played(sound));
    EXPECT_EQ(snd_position(sound), 0);
    snd_close(&sound);
    EXPECT_EQ(sound, nullptr);

    const Bytes file = read_file(path);
    unlink(path.c_str());
    ASSERT_GT(file.size(), 12000u);
    EXPECT_EQ(file.size() % 8192, 0u);  // whole 4096-frame buffers
    const long at = find_bytes(file, played_bytes(s));
    ASSERT_GE(at, 0);
    EXPECT_EQ(at % 2, 0);
    for (long i = 0; i < at; ++i)
        ASSERT_EQ(file[static_cast<size_t>(i)], 0) << i;
    for (size_t i = static_cast<size_t>(at) + 12000; i < file.size(); ++i)
        ASSERT_EQ(file[i], 0);
    sample_free(&s);
}

TEST(SndDevice, MainThreadAppendsAndRewritesWhileTheCallbackPlays) {
    const std::string path = use_disk_driver("threads");
    Sound* sound = snd_open();
    ASSERT_NE(sound, nullptr);

    // Like the music: one buffer queued again whenever the queue runs short,
    // and rewritten under the lock while it is queued.
    constexpr int32_t length = 1500;
    constexpr int32_t rounds = 40;
    Sample* mix = sample_new();
    sample_set_length(mix, length);
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
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(wait_until_played(sound));
    snd_close(&sound);

    // Every frame that played is a whole value of some round, and each queued
    // entry played exactly its length in frames.
    const Bytes file = read_file(path);
    unlink(path.c_str());
    int64_t played = 0;
    for (size_t i = 0; i + 1 < file.size(); i += 2) {
        const int32_t w = word(file, i / 2);
        if (w == 0) continue;
        ++played;
        ASSERT_GE(w, 100);
        ASSERT_LE(w % 100, 1) << w;
    }
    EXPECT_EQ(played, int64_t{rounds} * length);
    sample_free(&mix);
}
