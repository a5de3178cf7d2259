// One typical frame of each demo part (everything but presenting and pacing)
// into a 256 x 256 screen.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "audio/sample.h"
#include "image/img.h"
#include "program/demo.h"
#include "program/tests/headless.h"
#include "text/scroll.h"

namespace {

// The program's objects without a window or audio device, made once.
void set_up_program() {
    if (screen) return;
    headless_program_start();
}

// All 16 pictures on screen, as the part sets them up.
void BM_PicturesFrame(benchmark::State& state) {
    set_up_program();
    demo_srand(1);
    for (int32_t i = 0; i < sprite_count; ++i) {
        sprites[i].x = demo_rand() % 128;
        sprites[i].y = demo_rand() % 128;
        sprites[i].dx = (demo_rand() & 3) + 1;
        sprites[i].dy = (demo_rand() & 3) + 1;
        Image* picture = img_new();
        img_resize(picture, 128, 128);
        // A disc on black: the typical see-through picture.
        img_circle(picture, 64, 64, 60, 0x8040C0);
        sprites[i].image = picture;
        sprites[i].width = 128;
        sprites[i].height = 128;
    }
    show_pictures = 1;
    for (auto _ : state)
        demo_pictures_frame();
    for (auto& s : sprites)
        img_free(&s.image);
}
BENCHMARK(BM_PicturesFrame)->Unit(benchmark::kMicrosecond);

// A full line of text: the scroller has moved well into the text.
void BM_TilesFrame(benchmark::State& state) {
    set_up_program();
    demo_tiles_begin();
    for (int i = 0; i < 400; ++i)
        demo_tiles_frame();
    scroller->speed = 0;  // the same line every frame
    for (auto _ : state)
        demo_tiles_frame();
    scroller->speed = 1;
    demo_tiles_end();
}
BENCHMARK(BM_TilesFrame)->Unit(benchmark::kMicrosecond);

void BM_LogoFrame(benchmark::State& state) {
    set_up_program();
    Image* working = img_clone(logo_mask);
    for (auto _ : state) {
        demo_logo_frame(working);
        demo_draw_scope(mix);
    }
    img_free(&working);
}
BENCHMARK(BM_LogoFrame)->Unit(benchmark::kMicrosecond);

void BM_RotorFrame(benchmark::State& state) {
    set_up_program();
    Image* working = demo_rotor_begin();
    int32_t counter = 1000;
    for (auto _ : state) {
        demo_rotor_frame(working, counter);
        counter = counter > 0 ? counter - 1 : 1000;
    }
    img_free(&working);
}
BENCHMARK(BM_RotorFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
