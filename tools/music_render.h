// Renders the demo's music offline, without an audio device: the program's
// real sequencer fed once per 20 ms frame, and the sound module's real
// callback turning the mix buffer into the 16-bit values a listener hears.
//
// Ownership: the results are plain vectors. render_music makes and frees its
// own mix buffer and sound record; while it runs, the program's `sound`
// points at that record (it is restored afterwards).
//
// Random numbers: the sequencer draws from the C library's rand() as the demo
// does and render_music never seeds it, so an unseeded process hears the same
// music every time. The demo parts draw numbers of their own between the
// music's; this renders the music's draws alone.
#pragma once

#include <cstdint>
#include <vector>

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

// Writes the values as a 16-bit mono 44,100 Hz WAVE file; false when the file
// cannot be written.
bool write_wav(const char* path, const std::vector<int16_t>& values);
