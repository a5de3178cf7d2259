// Offline rendering of the music through the real sequencer and callback.
#include "tools/music_render.h"

#include <cstdlib>
#include <cstring>

#include "assets/assets.h"
#include "audio/sample.h"
#include "container/array.h"
#include "platform/snd.h"
#include "program/demo.h"

namespace {

bool put16(FILE* f, uint32_t v) {
    const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    return fwrite(b, 1, 2, f) == 2;
}

bool put32(FILE* f, uint32_t v) {
    return put16(f, v & 0xFFFF) && put16(f, v >> 16);
}

}  // namespace

Sound* music_sound_new() {
    Sound* record = static_cast<Sound*>(calloc(1, sizeof(Sound)));
    if (!record) return nullptr;
    record->freq = kMusicRate;
    record->depth = 16;
    record->queue = array_new();
    record->sign = 's';
    record->endian = 'l';
    if (!record->queue) {
        free(record);
        return nullptr;
    }
    return record;
}

void music_take(Sound* record, int16_t* values, int32_t count) {
    uint8_t bytes[2 * kMusicFrameValues];
    while (count > 0) {
        const int32_t n = count < kMusicFrameValues ? count : kMusicFrameValues;
        // SDL hands the callback a buffer of silence; do the same.
        memset(bytes, 0, sizeof bytes);
        snd_callback(record, bytes, 2 * n);
        for (int32_t i = 0; i < n; ++i)
            values[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        values += n;
        count -= n;
    }
}

MusicRender render_music(int32_t seconds) {
    MusicRender out;
    Sound* record = music_sound_new();
    if (!record) return out;
    Sound* const saved = sound;
    sound = record;
    for (const Sample*& v : voices)
        v = nullptr;
    demo_music_init();

    out.values.resize(static_cast<size_t>(seconds) * kMusicRate);
    for (int32_t frame = 0; frame < seconds * 50; ++frame) {
        const Sample* before[voice_count];
        for (int32_t v = 0; v < voice_count; ++v)
            before[v] = voices[v];
        demo_music_feed();
        for (int32_t v = 0; v < voice_count; ++v)
            if (voices[v] != before[v])
                out.changes.push_back({frame, v, static_cast<int32_t>(voices[v] - sample_table)});
        music_take(record, &out.values[static_cast<size_t>(frame) * kMusicFrameValues],
                   kMusicFrameValues);
    }

    sound = saved;
    snd_close(&record);
    sample_free(&mix);
    return out;
}

bool write_wav_header(FILE* f, uint32_t value_count) {
    const uint32_t data_bytes = value_count * 2;
    return fwrite("RIFF", 1, 4, f) == 4 && put32(f, 36 + data_bytes) &&
           fwrite("WAVEfmt ", 1, 8, f) == 8 && put32(f, 16) && put16(f, 1) &&  // PCM
           put16(f, 1) && put32(f, kMusicRate) && put32(f, kMusicRate * 2) && put16(f, 2) &&
           put16(f, 16) && fwrite("data", 1, 4, f) == 4 && put32(f, data_bytes);
}

bool write_wav(const char* path, const std::vector<int16_t>& values) {
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    bool ok = write_wav_header(f, static_cast<uint32_t>(values.size()));
    for (size_t i = 0; ok && i < values.size(); ++i)
        ok = put16(f, static_cast<uint16_t>(values[i]));
    return fclose(f) == 0 && ok;
}
