// Entry point of the browser build (web.sh, with emscripten): the same demo
// as main.cpp, its window the page's canvas and its sound Web Audio, run by
// the page (web/index.html) when the viewer starts it.
//
// The frame loops are the program's own. A browser shows nothing and plays
// nothing while the program holds the thread, so every presented frame gives
// the page a turn (Module.quorYield, which also holds the demo while the tab
// is hidden), as every paced wait does through SDL_Delay; ASYNCIFY turns
// both into returns to the browser and resumes the program where it was.
//
// What the page is told, through functions it sets on Module (each optional):
//   quorFrame(n)            frame n (counted from 1) has been shown
//   quorVoiceChange(line)   a voice took another sound, in the recorder's words
//   quorEnded(status)       the demo has faded out and main is returning
//   quorBench(part, us)     benchmark mode: microseconds per frame of a part
// and it can ask quor_assets_hash() for the embedded data's hash.
//
// Benchmark mode (main given "--bench"; the page's #bench): instead of the
// demo, each part's frame function is timed as the native benchmarks time
// it (program/part_bench.h), and the figures are printed and handed over.
#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "assets/assets.h"
#include "image/img.h"
#include "platform/dpy.h"
#include "program/demo.h"
#include "program/part_bench.h"
#include "tools/music_render.h"

namespace {

// clang-format off
EM_JS(void, page_frame, (int32_t frame), {
    if (Module.quorFrame) Module.quorFrame(frame);
});
EM_JS(void, page_voice_change, (const char* line), {
    if (Module.quorVoiceChange) Module.quorVoiceChange(UTF8ToString(line));
});
EM_JS(void, page_ended, (int32_t status), {
    if (Module.quorEnded) Module.quorEnded(status);
});
EM_JS(void, page_bench, (const char* part, double us), {
    if (Module.quorBench) Module.quorBench(UTF8ToString(part), us);
});
// Returns to the browser until the page lets the demo go on: its promise, or
// the next turn of the event loop when the page gives none.
EM_ASYNC_JS(void, page_turn, (), {
    await (Module.quorYield ? Module.quorYield() : new Promise(function(go) { setTimeout(go, 0); }));
});
// clang-format on

int32_t presented = 0;  // frames shown, counted as the recorder counts them
MusicWatch watch;
std::vector<MusicChange> changes;

// Every frame the demo presents: shown in the canvas, the music's changes
// since the last one handed to the page, then the page's turn.
void on_frame(const Image* frame) {
    dpy_present_direct(display, frame);
    presented += 1;
    const size_t seen = changes.size();
    watch.look(presented, changes);
    for (size_t i = seen; i < changes.size(); ++i)
        page_voice_change(music_change_line(changes[i]).c_str());
    page_frame(presented);
    page_turn();
}

// Times every part's frame: a warm-up, then frames for about a second.
int bench() {
    part_bench_start();
    for (const PartBench& part : part_benches) {
        page_turn();  // the page stays alive between parts
        part.begin();
        for (int i = 0; i < 20; ++i)
            part.frame();
        int32_t frames = 0;
        const double start = emscripten_get_now();
        double now = start;
        while (now - start < 1000.0 && frames < 100000) {
            part.frame();
            frames += 1;
            if ((frames & 15) == 0) now = emscripten_get_now();
        }
        now = emscripten_get_now();
        part.end();
        const double us = (now - start) * 1000.0 / frames;
        printf("bench %s: %.1f us per frame (%d frames)\n", part.name, us, frames);
        page_bench(part.name, us);
    }
    return 0;
}

}  // namespace

// The hash that quor7706-record --assets-hash prints, as 16 hex digits.
extern "C" EMSCRIPTEN_KEEPALIVE const char* quor_assets_hash() {
    static char text[17];
    snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(assets_hash()));
    return text;
}

int main(int argc, char** argv) {
    if (argc > 1 && strcmp(argv[1], "--bench") == 0) return bench();
    dpy_set_present_hook(on_frame);
    const int status = demo_main();
    page_ended(status);
    return status;
}
