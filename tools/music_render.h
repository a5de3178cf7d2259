// Renders the demo's music offline, without an audio device: the program's
// real sequencer fed once per frame, and the sound module's real callback
// turning the mix buffer into the 16-bit values a listener hears. Also the
// tools' WAVE writer and the watch that lists the music's changes.
//
// Ownership: the results are plain vectors. render_music makes and frees its
// own mix buffer and sound record (snd_new); while it runs, the program's
// `sound` points at that record (it is restored afterwards).
//
// Random numbers: the sequencer draws from demo_rand() as the demo
// does and render_music never seeds it, so an unseeded process hears the same
// music every time. The demo parts draw numbers of their own between the
// music's; this renders the music's draws alone.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "program/demo.h"

struct Sample;
struct Sound;

// One change of the music: at `frame` `voice` took `sound` (an index of the
// sample table).
struct MusicChange {
    int32_t frame;
    int32_t voice;
    int32_t sound;
};

// Watches the sequencer's voices. Each look lists the voices whose sound is
// another than at the last look (at first, than the empty voices of start-up).
// A change that puts a voice's own sound back on it mixes the buffer again
// like any other but leaves the voices as they were, so it is not listed.
class MusicWatch {
public:
    void look(int32_t frame, std::vector<MusicChange>& changes);

private:
    const Sample* heard_[voice_count] = {};
};

// The change as the recorder lists it, one line without its newline:
// "frame 229 (4.56 s): voice 4 takes sound 19". Its frame is counted from 1,
// as presented, and the time is when that frame is shown.
std::string music_change_line(const MusicChange& change);

struct MusicRender {
    std::vector<int16_t> values;  // snd_rate a second, mono
    std::vector<MusicChange> changes;
};

// The first `seconds` seconds of the music from start-up (the voices start
// empty and the mix buffer silent, as at program start). Frames are counted
// from 0: the changes of frame n are heard from value n * kFrameValues on.
MusicRender render_music(int32_t seconds);

// The next `count` values of the record's queue, taken through the sound
// module's real callback as the audio thread would take them.
void music_take(Sound* record, int16_t* values, int32_t count);

// A 16-bit mono WAVE file at snd_rate, written as the values come: under a
// temporary name beside `path` ("PATH.part-PID"), which takes the final name
// in finish(), so an interrupted writer leaves nothing under it. Errors name
// `label` (what the user asked for, such as the video the sound is part of)
// and leave one line in error().
class WavWriter {
public:
    ~WavWriter() { abandon(); }
    bool open(const std::string& path, const std::string& label);
    bool add(const int16_t* values, int32_t count);
    // Fills in the header's sizes, closes the file and gives it its name.
    bool finish();
    // Stops and removes the temporary file.
    void abandon();
    const std::string& error() const { return error_; }

private:
    bool fail(const char* what);
    std::string path_;
    std::string temp_;
    std::string label_;
    std::string error_;
    FILE* file_ = nullptr;
    uint32_t count_ = 0;
    std::vector<uint8_t> bytes_;
};

// The temporary name beside `path`: the same folder, so that rename() can
// replace the final name in one step.
std::string temporary_name(const std::string& path);
