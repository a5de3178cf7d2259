// The third part: the logo shaking near the top in the colours of a wheel,
// an oscilloscope of the music below it, both leaving fading trails.
#include <cstdlib>

#include "assets/assets.h"
#include "audio/sample.h"
#include "image/img.h"
#include "platform/dpy.h"
#include "platform/snd.h"
#include "program/demo.h"
#include "program/frame.h"

int32_t hue_index = 0;

void demo_draw_scope(const Sample* sample) {
    if (!screen) return;
    const int32_t w = screen->width;
    const int32_t h = screen->height;
    const bool usable =
        sample && sample->data && sample->length >= 1 && sample->length <= sample->capacity;
    if (!usable) {
        img_put_pixel(screen, w >> 1, h >> 1, 0x00FF00);
        return;
    }
    const uint32_t colour = (static_cast<uint32_t>(demo_rand()) & 0xFFFFFF) | 0x808080;
    for (int32_t x = 0; x < w; ++x) {
        // The play position moves on the audio thread: read it for every dot.
        const int64_t p = sound ? snd_position(sound) : 0;
        int64_t i = (x + p) % sample->length;
        if (i < 0) i += sample->length;
        const int32_t v = sample->data[i];
        img_put_pixel(screen, x, (h >> 1) + (v >> 6) + 32, colour);
    }
}

void demo_logo_frame(Image* working) {
    img_copy(logo_mask, working);
    demo_replace_colour(working, 0xFFFFFF, hue_colours[hue_index]);
    hue_index = (hue_index + 1) % hue_count;
    const int32_t r1 = demo_rand();
    const int32_t r2 = demo_rand();
    img_blend_at(working, screen, (r2 % 16) - 8, (r1 % 16) + 4);
    img_fade(screen, 0x020202);
}

void demo_part_logo() {
    Image* working = img_clone(logo_mask);
    for (int32_t counter = kLogoFrames - 1; counter >= 0; --counter) {
        demo_music_feed();
        demo_pace();
        demo_logo_frame(working);
        dpy_present(display, screen);
        demo_draw_scope(mix);
        demo_read_key();
        if (part_request != kPartRunOn) break;
    }
    img_free(&working);
}
