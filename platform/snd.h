// SDLSND: the audio device (44,100 Hz, mono, signed 16-bit little-endian) and
// its play queue of Samples. Interface only so far; the device is not built yet.
#pragma once

#include <cstdint>

struct Array;
struct Sample;

struct Sound {
    int32_t freq;
    int32_t depth;
    void* buffer;
    int32_t position;
    Array* queue;
    char sign;
    char endian;
    uint8_t paused;
};

extern uint8_t snd_error_switch;

void snd_error();
Sound* snd_open();
void snd_play(Sound* sound, Sample* sample);
void snd_close(Sound** sound);
void snd_callback(void* userdata, uint8_t* out, int length);
// Take and release the lock that the audio callback runs under.
void snd_lock();
void snd_unlock();
