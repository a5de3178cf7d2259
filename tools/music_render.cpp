// Offline rendering of the music through the real sequencer and callback,
// and the tools' WAVE writer.
#include "tools/music_render.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "assets/assets.h"
#include "audio/sample.h"
#include "platform/snd.h"

namespace {

// The 44-byte header of a 16-bit mono WAVE file at snd_rate holding
// value_count values.
bool write_header(FILE* f, uint32_t value_count) {
    uint8_t h[44] = {};
    const auto put = [&h](int at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            h[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    const uint32_t data_bytes = value_count * 2;
    memcpy(h, "RIFF", 4);
    put(4, 36 + data_bytes, 4);
    memcpy(h + 8, "WAVEfmt ", 8);
    put(16, 16, 4);  // the format chunk's size
    put(20, 1, 2);   // PCM
    put(22, 1, 2);   // mono
    put(24, snd_rate, 4);
    put(28, snd_rate * 2, 4);  // bytes per second
    put(32, 2, 2);             // bytes per value
    put(34, 16, 2);            // bits per value
    memcpy(h + 36, "data", 4);
    put(40, data_bytes, 4);
    return fwrite(h, 1, sizeof h, f) == sizeof h;
}

}  // namespace

void MusicWatch::look(int32_t frame, std::vector<MusicChange>& changes) {
    for (int32_t v = 0; v < voice_count; ++v) {
        if (voices[v] == heard_[v]) continue;
        heard_[v] = voices[v];
        changes.push_back({frame, v, static_cast<int32_t>(voices[v] - sample_table)});
    }
}

std::string music_change_line(const MusicChange& c) {
    char line[96];
    snprintf(line, sizeof line, "frame %d (%.2f s): voice %d takes sound %d", c.frame,
             (c.frame - 1) / double{kFrameRate}, c.voice, c.sound);
    return line;
}

void music_take(Sound* record, int16_t* values, int32_t count) {
    uint8_t bytes[2 * kFrameValues];
    while (count > 0) {
        const int32_t n = count < kFrameValues ? count : kFrameValues;
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
    Sound* record = snd_new();
    if (!record) return out;
    Sound* const saved = sound;
    sound = record;
    for (const Sample*& v : voices)
        v = nullptr;
    demo_music_init();

    MusicWatch watch;
    out.values.resize(static_cast<size_t>(seconds) * snd_rate);
    for (int32_t frame = 0; frame < seconds * kFrameRate; ++frame) {
        demo_music_feed();
        watch.look(frame, out.changes);
        music_take(record, &out.values[static_cast<size_t>(frame) * kFrameValues], kFrameValues);
    }

    sound = saved;
    snd_close(&record);
    sample_free(&mix);
    return out;
}

std::string temporary_name(const std::string& path) {
    return path + ".part-" + std::to_string(getpid());
}

bool WavWriter::open(const std::string& path, const std::string& label) {
    abandon();
    path_ = path;
    temp_ = temporary_name(path);
    label_ = label;
    count_ = 0;
    file_ = fopen(temp_.c_str(), "wb");
    if (!file_) return fail("cannot write");
    if (!write_header(file_, 0)) return fail("cannot write");
    return true;
}

bool WavWriter::add(const int16_t* values, int32_t count) {
    if (!file_) return fail("cannot write");
    // 16-bit little-endian, whatever the machine's order.
    bytes_.resize(static_cast<size_t>(count) * 2);
    for (int32_t i = 0; i < count; ++i) {
        const uint16_t v = static_cast<uint16_t>(values[i]);
        bytes_[2 * i] = static_cast<uint8_t>(v & 0xFF);
        bytes_[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
    if (fwrite(bytes_.data(), 1, bytes_.size(), file_) != bytes_.size())
        return fail("cannot write");
    count_ += static_cast<uint32_t>(count);
    return true;
}

bool WavWriter::finish() {
    if (!file_) return fail("cannot write");
    if (fflush(file_) != 0 || fseek(file_, 0, SEEK_SET) != 0) return fail("cannot write");
    if (!write_header(file_, count_)) return fail("cannot write");
    const int closed = fclose(file_);
    file_ = nullptr;
    if (closed != 0) return fail("cannot write");
    if (rename(temp_.c_str(), path_.c_str()) != 0) return fail("cannot write");
    return true;
}

void WavWriter::abandon() {
    if (file_) fclose(file_);
    file_ = nullptr;
    if (!temp_.empty()) unlink(temp_.c_str());
}

bool WavWriter::fail(const char* what) {
    error_ = std::string(what) + " " + label_ + ": " + strerror(errno);
    abandon();
    return false;
}
