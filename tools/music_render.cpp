// Offline rendering of the music through the real sequencer and callback.
#include "tools/music_render.h"

#include <cstdio>

#include "assets/assets.h"
#include "audio/sample.h"
#include "container/array.h"
#include "platform/snd.h"
#include "program/demo.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr int32_t kFrameValues = kRate / 50;  // 882 values per 20 ms frame

bool put16(FILE* f, uint32_t v) {
    const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    return fwrite(b, 1, 2, f) == 2;
}

bool put32(FILE* f, uint32_t v) {
    return put16(f, v & 0xFFFF) && put16(f, v >> 16);
}

}  // namespace

MusicRender render_music(int32_t seconds) {
    MusicRender out;
    // A record like the one snd_open makes, with no device behind it.
    Sound record{};
    record.freq = kRate;
    record.depth = 16;
    record.queue = array_new();
    record.sign = 's';
    record.endian = 'l';
    Sound* const saved = sound;
    sound = &record;
    for (const Sample*& v : voices)
        v = nullptr;
    demo_music_init();

    uint8_t bytes[2 * kFrameValues];
    out.values.reserve(static_cast<size_t>(seconds) * kRate);
    for (int32_t frame = 0; frame < seconds * 50; ++frame) {
        const Sample* before[voice_count];
        for (int32_t v = 0; v < voice_count; ++v)
            before[v] = voices[v];
        demo_music_feed();
        for (int32_t v = 0; v < voice_count; ++v)
            if (voices[v] != before[v])
                out.changes.push_back({frame, v, static_cast<int32_t>(voices[v] - sample_table)});
        // SDL hands the callback a buffer of silence; do the same.
        for (uint8_t& b : bytes)
            b = 0;
        snd_callback(&record, bytes, static_cast<int>(sizeof bytes));
        for (int32_t i = 0; i < kFrameValues; ++i)
            out.values.push_back(static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
    }

    sound = saved;
    array_free(&record.queue);
    sample_free(&mix);
    return out;
}

bool write_wav(const char* path, const std::vector<int16_t>& values) {
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    const uint32_t data_bytes = static_cast<uint32_t>(values.size() * 2);
    bool ok = fwrite("RIFF", 1, 4, f) == 4 && put32(f, 36 + data_bytes) &&
              fwrite("WAVEfmt ", 1, 8, f) == 8 && put32(f, 16) && put16(f, 1) &&  // PCM
              put16(f, 1) && put32(f, kRate) && put32(f, kRate * 2) && put16(f, 2) &&
              put16(f, 16) && fwrite("data", 1, 4, f) == 4 && put32(f, data_bytes);
    for (size_t i = 0; ok && i < values.size(); ++i)
        ok = put16(f, static_cast<uint16_t>(values[i]));
    return fclose(f) == 0 && ok;
}
