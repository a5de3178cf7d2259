// The set-ups behind part_bench.h.
#include "program/part_bench.h"

#include <cstdlib>

#include "image/img.h"
#include "program/demo.h"
#include "text/scroll.h"

namespace {

// All 16 pictures on screen, a disc on black each: the typical see-through picture.
void pictures_begin() {
    demo_srand(1);
    for (Sprite& s : sprites) {
        s.x = demo_rand() % 128;
        s.y = demo_rand() % 128;
        s.dx = (demo_rand() & 3) + 1;
        s.dy = (demo_rand() & 3) + 1;
        Image* picture = img_new();
        img_resize(picture, 128, 128);
        img_circle(picture, 64, 64, 60, 0x8040C0);
        s.image = picture;
        s.width = 128;
        s.height = 128;
    }
    show_pictures = 1;
}

void pictures_end() {
    for (Sprite& s : sprites)
        img_free(&s.image);
}

// A full line of text: the scroller has moved well into the text, and then
// stands still, so that every frame draws the same line.
void tiles_begin() {
    demo_tiles_begin();
    for (int i = 0; i < 400; ++i)
        demo_tiles_frame();
    scroller->speed = 0;
}

void tiles_end() {
    scroller->speed = 1;
    demo_tiles_end();
}

Image* working = nullptr;
int32_t counter = 1000;

void logo_begin() {
    working = img_clone(logo_mask);
}

void logo_frame() {
    demo_logo_frame(working);
    demo_draw_scope(mix);
}

void rotor_begin() {
    working = demo_rotor_begin();
    counter = 1000;
}

void rotor_frame() {
    demo_rotor_frame(working, counter);
    counter = counter > 0 ? counter - 1 : 1000;
}

void free_working() {
    img_free(&working);
}

}  // namespace

const PartBench part_benches[part_bench_count] = {
    {"pictures", pictures_begin, demo_pictures_frame, pictures_end},
    {"tiles", tiles_begin, demo_tiles_frame, tiles_end},
    {"logo", logo_begin, logo_frame, free_working},
    {"rotor", rotor_begin, rotor_frame, free_working},
};

void part_bench_start() {
    if (screen) return;
    // No window and no sound: SDL's dummy video, an audio driver that does not exist.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
    screen = img_new();
    img_resize(screen, 256, 256);
    demo_init_objects();
}
