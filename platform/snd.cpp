// Sound output through SDL 1.2 audio: the device, the play queue and the
// callback that turns queued Samples into signed 16-bit little-endian bytes.
#include "platform/snd.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "audio/sample.h"
#include "container/array.h"
#include "container/common.h"

uint8_t snd_error_switch = 0;

const char* const snd_ident[5] = {"SDLSND  ", "20261206", "Vandrell", "LINUXSDL", "CODE    "};

namespace {

constexpr int32_t output_depth = 16;
constexpr Uint16 frames_per_callback = 4096;
constexpr Uint32 init_everything = 0xFFFF;

// A failed check: calls snd_error and gives the result the operation returns
// on failure, so that a check is one line.
constexpr common::Fail<snd_error> snd_fail{};

// The value at position of a queued sample; 0 outside it or when the record
// holds no readable values.
int32_t value_at(const Sample* head, int32_t position) {
    if (!head->data) return 0;
    if (head->length > head->capacity) return 0;
    if (position < 0 || position >= head->length) return 0;
    return head->data[position];
}

// The head of the queue, or null when the queue is empty.
Sample* head_of(Array* queue) {
    return queue->count > 0 ? static_cast<Sample*>(queue->data[0]) : nullptr;
}

// A record with its fields and an empty queue; null when memory runs out.
Sound* new_record() {
    Sound* sound = static_cast<Sound*>(calloc(1, sizeof(Sound)));
    if (!sound) return nullptr;
    sound->freq = snd_rate;
    sound->depth = output_depth;
    sound->sign = 's';
    sound->endian = 'l';
    sound->paused = 0;
    sound->queue = array_new();
    if (!sound->queue) {
        free(sound);
        return nullptr;
    }
    return sound;
}

#ifdef __EMSCRIPTEN__
// The browser's SDL cannot say whether its device is open; the module keeps count.
bool device_open = false;
int audio_status() {
    return device_open ? SDL_AUDIO_PLAYING : SDL_AUDIO_STOPPED;
}
// The browser's SDL hands the callback the buffer it filled the time before,
// not silence: an empty queue would replay it over and over.
void callback_from_silence(void* userdata, uint8_t* out, int length) {
    if (out && length > 0) memset(out, 0, static_cast<size_t>(length));
    snd_callback(userdata, out, length);
}
#else
int audio_status() {
    return SDL_GetAudioStatus();
}
#endif

}  // namespace

void snd_error() {
    if (snd_error_switch) printf("SDLSND error\n");
}

Sound* snd_open() {
    if (SDL_Init(init_everything) != 0) return snd_fail(nullptr);
    // SDL has one audio device; it belongs to the Sound that opened it.
    if (audio_status() != SDL_AUDIO_STOPPED) return snd_fail(nullptr);
    // The record is whole before the audio thread exists, and SDL keeps the
    // device paused until SDL_PauseAudio(0), so the callback never sees it
    // half made.
    Sound* sound = new_record();
    if (!sound) return snd_fail(nullptr);
    SDL_AudioSpec spec;
    memset(&spec, 0, sizeof(spec));
    spec.freq = snd_rate;
    spec.format = AUDIO_S16LSB;
    spec.channels = 1;
    spec.samples = frames_per_callback;
#ifdef __EMSCRIPTEN__
    spec.callback = callback_from_silence;
#else
    spec.callback = snd_callback;
#endif
    spec.userdata = sound;
    if (SDL_OpenAudio(&spec, nullptr) < 0) {
        // SDL may count its audio part as started even though no driver came
        // up; shut it down so that a later open starts it afresh.
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        array_free(&sound->queue);
        free(sound);
        return snd_fail(nullptr);
    }
    SDL_PauseAudio(0);
#ifdef __EMSCRIPTEN__
    device_open = true;
#endif
    return sound;
}

Sound* snd_new() {
    Sound* sound = new_record();
    return sound ? sound : snd_fail(nullptr);
}

void snd_play(Sound* sound, Sample* sample) {
    if (!sound) return snd_fail();
    if (!sample) return snd_fail();
    SDL_LockAudio();
    if (!sound->queue) sound->queue = array_new();
    if (sound->queue) {
        array_append(sound->queue, sample);
    } else {
        snd_error();
    }
    SDL_UnlockAudio();
}

void snd_close(Sound** sound) {
    if (!sound) return snd_fail();
    if (!*sound) return snd_fail();
    // Pause, then take and release the lock: once the lock has been had, no
    // callback is running and none starts again. The device is closed after
    // the lock is released, because closing waits for the audio thread, which
    // may itself be waiting for that lock, and destroys the lock.
    SDL_PauseAudio(1);
    SDL_LockAudio();
    SDL_UnlockAudio();
    SDL_CloseAudio();
#ifdef __EMSCRIPTEN__
    device_open = false;
#endif
    free((*sound)->buffer);
    if ((*sound)->queue) array_free(&(*sound)->queue);
    free(*sound);
    *sound = nullptr;
}

void snd_callback(void* userdata, uint8_t* out, int length) {
    Sound* sound = static_cast<Sound*>(userdata);
    // On a failed check the buffer keeps SDL's silence.
    if (!sound) return snd_fail();
    if (!out) return snd_fail();
    if (length <= 0) return snd_fail();
    if (!sound->queue) return snd_fail();
    if (sound->queue->count <= 0) return snd_fail();
    Array* queue = sound->queue;
    Sample* head = head_of(queue);
    const bool silent = sound->paused == 1 || !head;
    if (silent) {
        memset(out, 0, static_cast<size_t>(length));
        return;
    }
    const int frames = length / 2;
    for (int i = 0; i < frames; ++i) {
        const uint32_t v = static_cast<uint32_t>(value_at(head, sound->position));
        out[2 * i] = static_cast<uint8_t>(v & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
        // Counted in 64 bits: a caller may have left any value in position.
        const int64_t next = int64_t{sound->position} + 1;
        if (next < head->length) {
            sound->position = static_cast<int32_t>(next);
            continue;
        }
        array_remove(queue, 0);
        sound->position = 0;
        head = head_of(queue);
        if (!head) {
            // The queue ran empty: the rest keeps SDL's silence. A null slot
            // next in line plays silence here as it would at the start.
            if (queue->count > 0)
                memset(out + 2 * (i + 1), 0, static_cast<size_t>(length - 2 * (i + 1)));
            return;
        }
    }
}

void snd_lock() {
    SDL_LockAudio();
}

void snd_unlock() {
    SDL_UnlockAudio();
}

int32_t snd_position(Sound* sound) {
    if (!sound) return snd_fail(0);
    SDL_LockAudio();
    const int32_t position = sound->position;
    SDL_UnlockAudio();
    return position;
}

int32_t snd_queue_count(Sound* sound) {
    if (!sound) return snd_fail(0);
    SDL_LockAudio();
    const int32_t count = sound->queue ? sound->queue->count : 0;
    SDL_UnlockAudio();
    return count;
}

void snd_clear(Sound* sound) {
    if (!sound) snd_error();
}

Sound* snd_copy(const Sound* sound) {
    if (!sound) snd_error();
    return nullptr;
}

int32_t snd_equal(const Sound* a, const Sound* b) {
    if (!a) return snd_fail(0);
    if (!b) return snd_fail(0);
    return 1;
}

Sound* snd_from_text(const char* text) {
    if (!text) snd_error();
    return nullptr;
}

char* snd_to_text(const Sound* sound) {
    if (!sound) return snd_fail(nullptr);
    return static_cast<char*>(calloc(1, 1));
}
