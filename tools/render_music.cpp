// render_music OUT.wav [SECONDS]: writes the first SECONDS (default 60) of
// the demo's music as a 16-bit mono 44,100 Hz WAVE file and lists the changes
// of the music (when each voice took which sound) on standard output.
#include <cstdio>
#include <cstdlib>

#include "tools/music_render.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: render_music OUT.wav [SECONDS]\n");
        return 2;
    }
    const long seconds = argc == 3 ? strtol(argv[2], nullptr, 10) : 60;
    if (seconds <= 0 || seconds > 3600) {
        fprintf(stderr, "render_music: SECONDS must be 1 to 3600\n");
        return 2;
    }
    const MusicRender music = render_music(static_cast<int32_t>(seconds));
    for (const MusicChange& c : music.changes)
        printf("%7.2f s  voice %d = sound %d\n", c.frame / double{kFrameRate}, c.voice, c.sound);
    WavWriter wav;
    if (!wav.open(argv[1], argv[1]) ||
        !wav.add(music.values.data(), static_cast<int32_t>(music.values.size())) || !wav.finish()) {
        fprintf(stderr, "render_music: %s\n", wav.error().c_str());
        return 1;
    }
    return 0;
}
