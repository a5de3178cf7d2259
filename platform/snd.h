// SDLSND: the audio device (44,100 Hz, mono, signed 16-bit little-endian,
// 4096 frames per callback) and its play queue of Samples.
//
// Playing: snd_play appends a Sample to the queue; the callback plays the head
// of the queue value by value, the low 16 bits of each value (no clipping, no
// volume), and drops it when its last value has been played. Playback carries
// on across callbacks through `position`. An empty queue gives silence.
//
// Ownership: snd_open gives the caller the Sound; snd_close(&s) closes the
// device, frees the queue and the record and nulls the reference. The queue
// only borrows its Samples: they must stay alive while queued, and the Sound
// never frees or changes them. The same Sample may be queued several times.
//
// Threads: snd_callback runs on SDL's audio thread, always holding the audio
// lock. Everything it touches is shared with the main thread: the queue (and
// its count), `position`, `paused` and the values of every queued Sample. The
// main thread must hold the lock, snd_lock() ... snd_unlock(), while it reads
// or writes any of them (reading position or queue->count, setting paused,
// rewriting a queued Sample's values). snd_play, snd_position and
// snd_queue_count take the lock themselves and may be called with it held
// (it is recursive). snd_close must be called without it: closing waits for
// the audio thread. The callback's work per call
// is bounded (one read and two byte writes per frame, plus moving the few
// queue slots when a Sample ends) and it allocates nothing.
//
// Without an audio device (or when SDL cannot start) snd_open returns null and
// every operation given that null does nothing: the program runs silently.
//
// Errors: a failed check calls snd_error(), which prints "SDLSND error" while
// snd_error_switch is on (0 at start; nothing sets it).
#pragma once

#include <cstdint>

struct Array;
struct Sample;

// Values per second of the output.
constexpr int32_t snd_rate = 44100;

struct Sound {
    int32_t freq;      // output rate in Hz: 44100
    int32_t depth;     // bits per output value: 16
    void* buffer;      // an owned buffer the module never sets; freed at close when set
    int32_t position;  // index in the head Sample of the next value to play
    Array* queue;      // Samples waiting to be played (borrowed); slot 0 is playing
    char sign;         // 's': signed output
    char endian;       // 'l': little-endian output
    uint8_t paused;    // 1: the callback plays silence and consumes nothing
};

extern uint8_t snd_error_switch;

// Prints "SDLSND error" while the error switch is on.
void snd_error();
// Starts SDL, opens the audio device and starts playing an empty queue.
// Null (with an SDLSND error) when SDL, memory or the device fails.
Sound* snd_open();
// A record like snd_open's (snd_rate, signed 16-bit little-endian, an empty
// queue) with no device behind it: its queue plays only as the caller calls
// snd_callback, as an offline renderer does. snd_close releases it. Null
// (with an SDLSND error) when memory runs out.
Sound* snd_new();
// Appends sample to the queue (creating the queue when missing), under the lock.
void snd_play(Sound* sound, Sample* sample);
// Stops the callback, closes the device, frees the queue and the record.
void snd_close(Sound** sound);
// The audio callback: fills out[0 .. length-1] from the queue.
void snd_callback(void* userdata, uint8_t* out, int length);
// Take and release the lock that the audio callback runs under. Recursive;
// without an open device they do nothing.
void snd_lock();
void snd_unlock();
// The play position, read under the lock; 0 for null.
int32_t snd_position(Sound* sound);
// The number of queued Samples, read under the lock; 0 for null or no queue.
int32_t snd_queue_count(Sound* sound);

// Placeholders of the common operations: the Sound has no state to clear,
// copy, compare or write out.
// No effect.
void snd_clear(Sound* sound);
// Always null: a device cannot be copied.
Sound* snd_copy(const Sound* sound);
// 1 when both are given, else 0.
int32_t snd_equal(const Sound* a, const Sound* b);
// Always null.
Sound* snd_from_text(const char* text);
// The empty text "" (malloc'ed; the caller frees it), or null for null.
char* snd_to_text(const Sound* sound);

// Identification record: name, date, author, platform, kind (constant data, read by no code).
extern const char* const snd_ident[5];
