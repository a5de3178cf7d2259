// Renders the demo's music offline, without an audio device: the program's
// real sequencer fed once per 20 ms frame, and the sound module's real
// callback turning the mix buffer into the 16-bit values a listener hears.
//
// Ownership: the results are plain vectors. render_music makes and frees its
// own mix buffer and sound record; while it runs, the program's `sound`
// points at that record (it is restored afterwards). A record from
// music_sound_new belongs to the caller, who releases it with snd_close.
//
// Random numbers: the sequencer draws from the C library's rand() as the demo
// does and render_music never seeds it, so an unseeded process hears the same
// music every time. The demo parts draw numbers of their own between the
// music's; this renders the music's draws alone.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

struct Sound;

constexpr int32_t kMusicRate = 44100;                   // values per second, mono
constexpr int32_t kMusicFrameValues = kMusicRate / 50;  // 882 values per 20 ms frame

// One change of the music: at `frame` (50 a second) `voice` took `sound`.
// A change that puts a voice's own sound back on it mixes the buffer again
// like any other but leaves the voices as they were, so it is not listed.
struct MusicChange {
    int32_t frame;
    int32_t voice;
    int32_t sound;
};

struct MusicRender {
    std::vector<int16_t> values;  // 44,100 a second, mono
    std::vector<MusicChange> changes;
};

// The first `seconds` seconds of the music from start-up (the voices start
// empty and the mix buffer silent, as at program start).
MusicRender render_music(int32_t seconds);

// A sound record like the one snd_open makes (44,100 Hz, signed 16-bit
// little-endian, an empty queue) with no device behind it: its queue plays
// only as music_take pulls it. Null when memory runs out.
Sound* music_sound_new();
// The next `count` values of the record's queue, taken through the sound
// module's real callback as the audio thread would take them.
void music_take(Sound* record, int16_t* values, int32_t count);

// Writes the 44-byte header of a 16-bit mono 44,100 Hz WAVE file holding
// value_count values; false when the write fails.
bool write_wav_header(FILE* file, uint32_t value_count);
// Writes the values as a 16-bit mono 44,100 Hz WAVE file; false when the file
// cannot be written.
bool write_wav(const char* path, const std::vector<int16_t>& values);
