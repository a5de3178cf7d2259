// Placeholder until the audio device is built: no device opens, so the
// program runs silently.
#include "platform/snd.h"

#include <cstdio>

uint8_t snd_error_switch = 0;

void snd_error() {
    if (snd_error_switch) printf("SDLSND error\n");
}
Sound* snd_open() {
    snd_error();
    return nullptr;
}
void snd_play(Sound* sound, Sample* sample) {
    if (!sound || !sample) snd_error();
}
void snd_close(Sound** sound) {
    if (!sound || !*sound) snd_error();
}
void snd_callback(void*, uint8_t*, int) {
    snd_error();
}
void snd_lock() {}
void snd_unlock() {}
