// The music sequencer: a one-second mix buffer that loops on the sound output
// and now and then, at random, takes in one of the embedded sounds.
#include <cstdlib>

#include "assets/assets.h"
#include "audio/sample.h"
#include "platform/snd.h"
#include "program/demo.h"

Sample* mix = nullptr;
const Sample* voices[voice_count] = {};

void demo_music_init() {
    mix = sample_new();
    sample_set_length(mix, mix_length);
    sample_clear(mix);
}

void demo_music_step() {
    if (demo_rand() % 511 != 0) return;
    const int32_t s = demo_rand() % sample_count;
    const int32_t v = demo_rand() % voice_count;
    voices[v] = &sample_table[s];
    // The audio thread is playing mix: rewrite it under the sound's lock.
    // sample_add stops at the shorter length, so a voice adds its first
    // second at most; a null voice adds nothing.
    snd_lock();
    for (int32_t i = voice_count - 1; i >= 0; --i)
        if (voices[i]) sample_add(mix, voices[i]);
    sample_shift_right(mix, 3);
    snd_unlock();
}

void demo_music_feed() {
    demo_music_step();
    if (!sound) return;  // no audio device: the demo runs silently
    // Test and append as one step, so the callback cannot drop an entry between them.
    snd_lock();
    if (snd_queue_count(sound) <= 3) snd_play(sound, mix);
    snd_unlock();
}
