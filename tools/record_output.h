// Where a recording goes: a video through Debian's ffmpeg program (.mp4 or
// .mkv: H.264 and AAC), the sound alone (.wav), or a folder of numbered PPM
// frames beside audio.wav.
//
// Every output writes under a temporary name beside the final one and takes
// the final name only in finish(), when the recording is complete, so that
// an interrupted recording leaves nothing half-written under the output's
// name. A folder's frames are renamed one by one as each is complete.
//
// Errors: an operation that fails returns false and leaves one line of text
// (no newline) in error().
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct Image;

enum class OutputKind { video, wav, folder, hashes };

// The kind of output a name asks for: ".mp4" or ".mkv" a video, ".wav" the
// sound, ".hashes" a list of hashes, a name ending in "/" or naming a folder
// that exists a folder (the endings in any case). False for any other name.
//
// A list of hashes has a line "frame N HASH" for every frame (N from 1) and
// then one line "sound HASH"; each HASH is the 64-bit FNV-1a hash, in 16 hex
// digits, of the frame's RGB bytes as a PPM file holds them, or of all the
// sound's values as 16-bit little-endian bytes. Two recordings show and play
// the same exactly when their lists are equal, on any machine.
bool output_kind_of(const std::string& name, OutputKind& kind);

// 1 when the ffmpeg program is found on the PATH.
bool ffmpeg_available();

class Output {
public:
    virtual ~Output() = default;
    // One frame of width x height pixels and the values heard while it is shown.
    virtual bool add(const Image* frame, const int16_t* values, int32_t count) = 0;
    // Completes the recording and gives it the output's name.
    virtual bool finish() = 0;
    // Stops and removes what was written under temporary names.
    virtual void abandon() = 0;
    const std::string& error() const { return error_; }

protected:
    std::string error_;
};

// How frames are written: each pixel a scale x scale block (a folder's
// frames scaled by our code; a video's by ffmpeg, nearest neighbour, so the
// pipe stays the frames' size), and a video's x264 quality and preset.
struct OutputSettings {
    int32_t scale = 1;
    int32_t crf = 18;
    std::string preset = "medium";
};

// x264's presets, fastest first, null-terminated.
extern const char* const x264_presets[];

// Opens the output `name` of the given kind for frames of width x height at
// 50 frames per second; null with the reason in error when it cannot start.
std::unique_ptr<Output> output_open(const std::string& name, OutputKind kind, int32_t width,
                                    int32_t height, const OutputSettings& settings,
                                    std::string& error);
