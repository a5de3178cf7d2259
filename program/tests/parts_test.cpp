// The demo parts, driven frame by frame without a window, keyboard or audio
// device: the replaceable clock makes whole parts run at full speed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "assets/assets.h"
#include "audio/sample.h"
#include "image/img.h"
#include "platform/fps.h"
#include "program/demo.h"
#include "program/tests/headless.h"
#include "text/font.h"
#include "text/scroll.h"

namespace {

uint32_t virtual_ms = 0;
uint32_t virtual_ticks() {
    return virtual_ms;
}
void virtual_delay(uint32_t ms) {
    virtual_ms += ms;
}

// The program's objects over a 256 x 256 screen, as demo_init makes them,
// but with no window, keyboard or sound.
class Parts : public testing::Test {
protected:
    void SetUp() override {
        headless_program_start();
        fps_set_clock(virtual_ticks, virtual_delay);
        fps_state.target_fps = kFrameRate;
        part_request = kPartRunOn;
        show_pictures = 1;
    }
    void TearDown() override {
        fps_set_clock(nullptr, nullptr);
        headless_program_stop();
    }
};

Image* filled(int32_t w, int32_t h, uint32_t colour) {
    Image* image = img_new();
    img_resize(image, w, h);
    img_fill_rect(image, 0, 0, w, h, colour);
    return image;
}

// ---- Bouncing pictures ------------------------------------------------------

TEST(PicturesOverlap, SharedEdgesDoNotOverlap) {
    const Sprite a{10, 10, 20, 20, 0, 0, nullptr};
    const struct {
        Sprite b;
        int32_t overlap;
    } cases[] = {{{30, 10, 5, 5, 0, 0, nullptr}, 0}, {{29, 29, 5, 5, 0, 0, nullptr}, 1},
                 {{10, 30, 5, 5, 0, 0, nullptr}, 0}, {{5, 5, 5, 5, 0, 0, nullptr}, 0},
                 {{6, 6, 5, 5, 0, 0, nullptr}, 1},   {{0, 0, 100, 100, 0, 0, nullptr}, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(demo_rects_overlap(&a, &c.b), c.overlap) << c.b.x << "," << c.b.y;
        EXPECT_EQ(demo_rects_overlap(&c.b, &a), c.overlap) << c.b.x << "," << c.b.y;
    }
    Image* image = filled(4, 4, 1);  // an Image is a rectangle too
    EXPECT_EQ(demo_rects_overlap(&a, image), 0);
    image->x = 27;
    image->y = 27;
    EXPECT_EQ(demo_rects_overlap(&a, image), 1);
    EXPECT_EQ(demo_rects_overlap(&a, static_cast<const Sprite*>(nullptr)), 0);
    img_free(&image);
}

TEST_F(Parts, PicturesBounceFlushAtTheEdges) {
    for (auto& s : sprites)
        s = Sprite{100, 100, 8, 8, 1, 1, nullptr};
    sprites[0] = Sprite{0, 50, 8, 8, -3, 2, filled(8, 8, 0x123456)};
    sprites[1] = Sprite{244, 250, 8, 8, 4, 4, nullptr};
    img_clear(screen);
    demo_draw_sprites();
    EXPECT_EQ(sprites[0].x, 0);
    EXPECT_EQ(sprites[0].dx, 3);
    EXPECT_EQ(sprites[0].y, 52);
    EXPECT_EQ(img_get_pixel(screen, 0, 52), 0x123456u);
    EXPECT_EQ(img_get_pixel(screen, 7, 59), 0x123456u);
    EXPECT_EQ(img_get_pixel(screen, 8, 52), 0u);
    EXPECT_EQ(sprites[1].x, 248);  // touching the edge exactly: no bounce yet
    EXPECT_EQ(sprites[1].dx, 4);
    EXPECT_EQ(sprites[1].y, 248);  // would cross it: flush, reversed
    EXPECT_EQ(sprites[1].dy, -4);
    img_free(&sprites[0].image);
}

TEST_F(Parts, OverlappingNeighboursAreNeverSwapped) {
    // Pairs (0,1), (2,3), ... overlap; neighbours across pairs do not.
    for (int32_t i = 0; i < sprite_count; ++i)
        sprites[i] = Sprite{(i / 2) * 30, 0, 20, 20, i, 0, nullptr};
    demo_srand(3);
    for (int round = 0; round < 200; ++round)
        demo_shuffle_sprites();
    int32_t moved = 0;
    for (int32_t i = 0; i < sprite_count; ++i) {
        moved += sprites[i].dx != i;
        for (int32_t j = i + 1; j < sprite_count; ++j) {
            if (!demo_rects_overlap(&sprites[i], &sprites[j])) continue;
            EXPECT_LT(sprites[i].dx, sprites[j].dx) << "overlapping pair changed order";
        }
    }
    EXPECT_GT(moved, 0);  // the others were shuffled
}

TEST_F(Parts, HiddenPicturesFreezeAndResumeWhereTheyStopped) {
    for (auto& s : sprites)
        s = Sprite{50, 60, 8, 8, 2, 3, nullptr};
    show_pictures = 0;
    for (int i = 0; i < 10; ++i)
        demo_pictures_frame();
    EXPECT_EQ(sprites[5].x, 50);
    EXPECT_EQ(sprites[5].y, 60);
    show_pictures = 1;
    demo_pictures_frame();
    EXPECT_EQ(sprites[5].x, 52);
    EXPECT_EQ(sprites[5].y, 63);
}

// ---- Tile-wave scroller -------------------------------------------------------

TEST_F(Parts, ALitTextPixelBecomesATileAtItsWavePlace) {
    demo_tiles_begin();
    for (int32_t k = 0; k < tile_count; ++k)
        img_fill_rect(tiles[k], 0, 0, tiles[k]->width, tiles[k]->height, 0x010000 * (k + 1));
    const TileWave kept = tile_wave;
    const int32_t kept_x = x_phase;
    tile_wave.y_phase = 0;
    tile_wave.size_phase = 0;
    x_phase = 0;
    img_clear(text_mask);
    img_put_pixel(text_mask, 0, 0, 0xFFFFFF);
    img_clear(screen);
    demo_draw_tiles();
    EXPECT_EQ(tile_wave.column_pitch, 9);
    EXPECT_EQ(tile_wave.row_pitch, 23);
    EXPECT_EQ(tile_wave.size_amp, 6);
    // Tile 0 + 6 + 2 = 8, 18 x 18, at (0, 16).
    EXPECT_EQ(img_get_pixel(screen, 0, 16), 0x090000u);
    EXPECT_EQ(img_get_pixel(screen, 17, 33), 0x090000u);
    EXPECT_EQ(img_get_pixel(screen, 18, 33), 0u);
    EXPECT_EQ(img_get_pixel(screen, 17, 34), 0u);
    EXPECT_EQ(img_get_pixel(screen, 0, 15), 0u);
    tile_wave = kept;
    x_phase = kept_x;
    demo_tiles_end();
}

// Which pixels of the text line are lit (their colours follow the stripes).
std::vector<bool> lit_pixels(const Image* image) {
    std::vector<bool> lit;
    for (int32_t i = 0; i < image->width * image->height; ++i)
        lit.push_back(image->pixels[i] != 0);
    return lit;
}

TEST_F(Parts, SpeedZeroFreezesTheTextWhileTheWavesMove) {
    demo_tiles_begin();
    for (int i = 0; i < 200; ++i)
        demo_tiles_frame();  // the text has entered the line
    scroller->speed = 0;
    demo_tiles_frame();
    const std::vector<bool> before = lit_pixels(text_mask);
    const int32_t phase = x_phase;
    demo_tiles_frame();
    demo_tiles_frame();
    EXPECT_EQ(lit_pixels(text_mask), before);
    EXPECT_EQ(x_phase, (phase + 16) % 1024);
    scroller->speed = 1;
    demo_tiles_frame();  // drawn, then moved on: the move shows in the next frame
    demo_tiles_frame();
    EXPECT_NE(lit_pixels(text_mask), before);
    demo_tiles_end();
}

TEST_F(Parts, WholeRunsWithoutAWindowCarryThePhasesOn) {
    x_phase = 0;
    tile_wave.y_phase = 233;
    tile_wave.size_phase = 233;
    demo_part_tiles();
    EXPECT_EQ(x_phase, (8 * 1500) % 1024);
    EXPECT_EQ(tile_wave.y_phase, (233 + 7 * 1500) % 1024);
    demo_part_tiles();
    EXPECT_EQ(x_phase, (2 * 8 * 1500) % 1024);
    EXPECT_EQ(tile_wave.size_phase, (233 + 2 * 7 * 1500) % 1024);
    EXPECT_EQ(stripes, nullptr);
    EXPECT_EQ(tiles[63], nullptr);
    // The screen ends black after the closing fade.
    EXPECT_EQ(img_get_pixel(screen, 128, 128), 0u);

    demo_part_pictures();
    for (const Sprite& s : sprites)
        EXPECT_EQ(s.image, nullptr);  // freed at the end

    // The logo part paces each of its frames and turns the colour wheel a
    // step per frame; the wheel carries on from where it stood.
    const int32_t hue = hue_index;
    uint32_t start = virtual_ms;
    demo_part_logo();
    EXPECT_EQ(virtual_ms - start, kLogoFrames * (1000u / kFrameRate));
    EXPECT_EQ(hue_index, (hue + kLogoFrames) % hue_count);
    // It leaves the logo's trail in the rows where it shakes.
    int32_t trail = 0;
    for (int32_t i = 4 * 256; i < 84 * 256; ++i)
        trail += screen->pixels[i] != 0;
    EXPECT_GT(trail, 1000);

    // The rotor is not paced; it leaves its stretched logo over the screen.
    start = virtual_ms;
    demo_part_rotor();
    EXPECT_EQ(virtual_ms, start);
    int32_t lit = 0;
    for (int32_t i = 0; i < 256 * 256; ++i)
        lit += screen->pixels[i] != 0;
    EXPECT_GT(lit, 256 * 256 / 4);
    EXPECT_EQ(part_request, kPartRunOn);
}

// ---- Shaking logo and oscilloscope --------------------------------------------

TEST_F(Parts, TheLogoWalksTheColourWheel) {
    hue_index = 0;
    Image* working = img_clone(logo_mask);
    std::vector<uint32_t> colours;
    for (int frame = 1; frame <= 25; ++frame) {
        demo_logo_frame(working);
        uint32_t lit = 0;
        for (int32_t i = 0; i < working->width * working->height && !lit; ++i)
            lit = working->pixels[i];
        colours.push_back(lit);
    }
    EXPECT_EQ(colours[0], 0xFF0000u);
    EXPECT_EQ(colours[1], 0xFF4000u);
    EXPECT_EQ(colours[23], 0xFF0040u);
    EXPECT_EQ(colours[24], 0xFF0000u);
    img_free(&working);
}

TEST_F(Parts, TheScopeDrawsThePlayedValues) {
    img_clear(screen);
    demo_draw_scope(mix);  // silence: row 160
    for (int32_t x = 0; x < 256; ++x)
        ASSERT_NE(img_get_pixel(screen, x, 160), 0u) << x;
    EXPECT_GE(img_get_pixel(screen, 3, 160) & 0x808080, 0x808080u);
    img_clear(screen);
    for (int32_t i = 0; i < 44100; ++i)
        sample_set(mix, i < 128 ? -8192 : -10241, i);
    demo_draw_scope(mix);
    for (int32_t x = 0; x < 128; ++x)
        ASSERT_NE(img_get_pixel(screen, x, 32), 0u) << x;
    int32_t lit = 0;
    for (int32_t i = 0; i < 256 * 256; ++i)
        lit += screen->pixels[i] != 0;
    EXPECT_EQ(lit, 128);  // the values of -10241 fall above the screen
    img_clear(screen);
    demo_draw_scope(nullptr);
    EXPECT_EQ(img_get_pixel(screen, 128, 128), 0x00FF00u);
}

// ---- Bit-rotating logo ----------------------------------------------------------

TEST_F(Parts, TheRotorTurnsEveryWordThroughItsBits) {
    Image* working = demo_rotor_begin();
    ASSERT_EQ(working->width, 240);
    ASSERT_EQ(working->height, 240);
    Image* start = img_clone(working);
    for (int32_t c = 1000; c >= 969; --c) {
        Image* before = img_clone(working);
        demo_rotor_frame(working, c);
        // A count of 992 is a whole number of turns: nothing changes.
        EXPECT_EQ(img_equal(before, working), c == 992 ? 1 : 0) << c;
        img_free(&before);
    }
    for (int32_t i = 0; i < 240 * 240; ++i) {
        const uint32_t p = start->pixels[i];
        ASSERT_EQ(working->pixels[i], (p << 16) | (p >> 16)) << i;
    }
    img_free(&start);
    img_free(&working);
}

}  // namespace
