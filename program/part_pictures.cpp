// The first part: sixteen pictures bouncing over moving colour bars.
#include <cstdlib>

#include "assets/assets.h"
#include "image/img.h"
#include "platform/dpy.h"
#include "program/demo.h"
#include "program/frame.h"
#include "raster/raster.h"

Sprite sprites[sprite_count];

namespace {

// demo_rand() mod range, or 0 when the range is empty (a picture as large as the
// screen starts at its edge). The number is drawn either way, so the order of
// the draws never depends on the sizes.
int32_t random_below(int32_t range) {
    const int32_t r = demo_rand();
    return range > 0 ? r % range : 0;
}

void set_up_sprites() {
    for (int32_t i = sprite_count - 1; i >= 0; --i) {
        Sprite& s = sprites[i];
        const Blob& blob = picture_blobs[demo_rand() % picture_count];
        s.image = img_from_pnm_length(blob.data, blob.size);
        s.width = s.image ? s.image->width : 0;
        s.height = s.image ? s.image->height : 0;
        const int32_t w = screen ? screen->width : 0;
        const int32_t h = screen ? screen->height : 0;
        s.x = random_below(w - s.width);
        s.y = random_below(h - s.height);
        s.dx = (demo_rand() & 3) + 1;
        s.dy = (demo_rand() & 3) + 1;
    }
}

void free_sprites() {
    for (int32_t i = sprite_count - 1; i >= 0; --i)
        img_free(&sprites[i].image);
}

// One axis of a bounce: the new position, the step reversed at an edge.
int32_t bounce(int32_t position, int32_t size, int32_t limit, int32_t& step) {
    const int32_t next = position + step;
    if (next < 0) {
        step = -step;
        return 0;
    }
    if (next + size > limit) {
        step = -step;
        return limit - size;
    }
    return next;
}

}  // namespace

void demo_shuffle_sprites() {
    for (int32_t attempt = sprite_count; attempt >= 0; --attempt) {
        const int32_t i = demo_rand() % (sprite_count - 1);
        if (demo_rects_overlap(&sprites[i], &sprites[i + 1])) continue;
        const Sprite kept = sprites[i];
        sprites[i] = sprites[i + 1];
        sprites[i + 1] = kept;
    }
}

void demo_draw_sprites() {
    if (!show_pictures || !screen) return;
    for (int32_t i = sprite_count - 1; i >= 0; --i) {
        Sprite& s = sprites[i];
        s.x = bounce(s.x, s.width, screen->width, s.dx);
        s.y = bounce(s.y, s.height, screen->height, s.dy);
        if (!s.image) continue;
        img_blit_transparent(s.image, screen, 0, 0, s.x, s.y, s.image->width, s.image->height);
    }
}

void demo_pictures_frame() {
    const int32_t k = demo_rand() % bar_colours.count;
    bar_colours.colours[k] = static_cast<uint32_t>(demo_rand() % 0xFFFFFF);
    raster_smooth(&bar_colours, 2);
    raster_draw_columns(&bar_colours, screen);
    demo_shuffle_sprites();
    if (show_pictures) demo_draw_sprites();
}

void demo_part_pictures() {
    demo_fade_out();
    set_up_sprites();
    for (int32_t frame = 0; frame < kPicturesFrames; ++frame) {
        demo_pictures_frame();
        dpy_present(display, screen);
        demo_read_key();
        if (part_request != kPartRunOn) break;
        demo_music_feed();
        demo_pace();
    }
    free_sprites();
}
