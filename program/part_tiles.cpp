// The second part: the scroll text along the top, blown up into a wobbling
// carpet of picture tiles, over rising colour bars, with the colour logo below.
#include <cstdlib>

#include "assets/assets.h"
#include "image/img.h"
#include "platform/dpy.h"
#include "program/demo.h"
#include "program/frame.h"
#include "raster/raster.h"
#include "text/scroll.h"

// The sizes and pitches are set from the screen at the start of each run.
TileWave tile_wave = {
    .x_speed = 8,
    .x_step = 51,
    .x_amp = 8,
    .y_phase = 233,
    .y_speed = 7,
    .y_step = 47,
    .y_amp = 8,
    .size_phase = 233,
    .size_speed = 7,
    .size_step = 47,
    .size_amp = 0,
    .columns = 0,
    .rows = 0,
    .column_pitch = 0,
    .row_pitch = 0,
};
int32_t x_phase = 0;
Image* tiles[tile_count] = {};
Image* stripes = nullptr;

namespace {

int32_t sine(int32_t phase, int32_t amplitude, int32_t shift) {
    return (img_sine_table.values[phase & img_sine_table.mask] * amplitude) >> shift;
}

void set_up_wave() {
    TileWave& w = tile_wave;
    w.columns = scroller ? scroller->width : 0;
    w.rows = scroller ? scroller->height : 0;
    const int32_t sw = screen ? screen->width : screen_width;
    const int32_t sh = screen ? screen->height : screen_height;
    const int32_t logo_height = logo ? logo->height : 0;
    w.column_pitch = (sw * 3) / 80;
    w.row_pitch = (sh - logo_height - w.rows) / 8;
    w.size_amp = sw / 40;
}

void make_tiles() {
    const Blob& blob = picture_blobs[demo_rand() % picture_count];
    Image* source = img_from_pnm_length(blob.data, blob.size);
    for (int32_t k = tile_count - 1; k >= 0; --k) {
        tiles[k] = img_new();
        img_resize(tiles[k], 2 * k + 2, 2 * k + 2);
        img_scale(source, tiles[k]);
    }
    img_free(&source);
}

void free_tiles() {
    for (int32_t k = tile_count - 1; k >= 0; --k)
        img_free(&tiles[k]);
}

}  // namespace

void demo_draw_tiles() {
    if (!screen || !text_mask) return;
    const TileWave& w = tile_wave;
    const int32_t bias = w.size_amp + screen_width / 128;
    for (int32_t r = 0; r < w.rows; ++r) {
        const int32_t yw = sine(r * w.y_step + w.y_phase, w.y_amp, 15);
        const int32_t y = r * w.row_pitch + yw + 16;
        for (int32_t c = 0; c < w.columns; ++c) {
            if (img_get_pixel(text_mask, c, r) == 0) continue;
            const int32_t x = sine(c * w.x_step + x_phase, w.x_amp, 15) + c * w.column_pitch;
            int32_t k = sine((c + r) * w.size_step + w.size_phase, w.size_amp, 16) + bias;
            // Any screen size keeps the index on a tile that exists.
            if (k < 0) k = 0;
            if (k >= tile_count) k = tile_count - 1;
            const Image* tile = tiles[k];
            if (!tile || x >= screen->width) continue;  // off the right edge: nothing to draw
            img_blit_transparent(tile, screen, 0, 0, x, y, tile->width, tile->height);
        }
    }
}

void demo_tiles_frame() {
    const int32_t k = demo_rand() % bar_colours.count;
    bar_colours.colours[k] = static_cast<uint32_t>(demo_rand() % 0xFFFFFF);
    raster_smooth(&bar_colours, 2);
    raster_draw_rows(&bar_colours, screen);
    raster_step_forward(&bar_colours);

    raster_draw_columns(&ramp_colours, stripes);
    raster_step_back(&ramp_colours);

    img_clear(text_mask);
    scroll_draw(scroller);
    scroll_update(scroller);
    img_and_mask(stripes, text_mask);
    if (scroller)
        img_blit_transparent(text_mask, screen, 0, 0, 0, 0, scroller->width, scroller->height);

    demo_draw_tiles();
    TileWave& w = tile_wave;
    x_phase = demo_mod(x_phase + w.x_speed, img_sine_table.count);
    w.y_phase = demo_mod(w.y_phase + w.y_speed, img_sine_table.count);
    w.size_phase = demo_mod(w.size_phase + w.size_speed, img_sine_table.count);

    if (logo && screen)
        img_blend_at(logo, screen, (screen->width - logo->width) / 2,
                     screen->height - logo->height);
}

void demo_tiles_begin() {
    set_up_wave();
    stripes = img_new();
    img_resize(stripes, tile_wave.columns, tile_wave.rows);
    demo_fade_out();
    make_tiles();
}

void demo_tiles_end() {
    free_tiles();
    img_free(&stripes);
}

void demo_part_tiles() {
    demo_tiles_begin();
    for (int32_t frame = 1;; ++frame) {
        demo_tiles_frame();
        dpy_present(display, screen);
        demo_music_feed();
        demo_pace();
        demo_read_key();
        if (part_request != kPartRunOn || frame == kTilesFrames) break;
    }
    demo_fade_out();
    demo_tiles_end();
}
