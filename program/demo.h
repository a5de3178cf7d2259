// QUOR7706: the demo program. Start-up and shutdown, the endless cycle of the
// demo parts, the keys every part shares, the fade to black, the music
// sequencer and the pixel and sample effects.
//
// Ownership: demo_init creates every object below and the program owns them;
// demo_shutdown releases the font, screen, scroller, keyboard, display and
// sound (each reference nulled); logo_mask, logo, text_mask and mix live to
// the end of the process. The voices borrow sounds of the constant sample
// table (assets/assets.h). Objects of a single part live for one run of it.
//
// Frames: each part runs its own frame loop from the same steps (draw into
// `screen`, dpy_present, demo_music_feed, fps_tick + fps_wait, kbd_poll and
// demo_handle_key, clear the key byte), in the order that part fixes; a part
// ends after its frame count or when `part_request` is set, and main looks at
// the request only between parts.
//
// Threads: everything here runs on the main thread. The audio thread plays
// `mix` while the sequencer rewrites it: demo_music_step and demo_music_feed
// hold the sound module's lock (snd_lock) while they change the buffer or
// test and append to the queue.
//
// Random numbers: demo_rand(), the numbers the GNU C library's rand() draws,
// never seeded (as after srand(1)), drawn in a fixed order, so every run on
// every machine makes the same choices.
//
// Errors: demo_error() prints "QUOR7706 Error." while demo_error_switch is on
// (0 at start; nothing sets it). The effects report a missing record as an
// IMG error (image/img.h) and do nothing.
#pragma once

#include <cstdint>

#include "platform/snd.h"

struct Display;
struct Font;
struct Image;
struct Keyboard;
struct Sample;
struct Scroll;

// ---- Settings and state (demo.cpp, objects.cpp) ------------------------------

extern int32_t screen_width;   // 256
extern int32_t screen_height;  // 256
extern uint8_t show_pictures;  // 1: the first part draws its pictures

// What the keys ask of the running part (part_request).
constexpr uint8_t kPartRunOn = 0;
constexpr uint8_t kPartQuit = 1;
constexpr uint8_t kPartNext = 2;

extern uint8_t part_request;  // kPartRunOn, kPartQuit or kPartNext
extern Display* display;
extern Image* screen;  // the frame every part draws into, the window's size
extern Keyboard* keyboard;
extern uint8_t demo_error_switch;

extern Sound* sound;      // the audio output; null without an audio device
extern Font* font;        // 8 x 8 cells over the embedded font sheet
extern Image* logo_mask;  // the logo mask, screen_width x 64, white on black
extern Image* logo;       // the colour logo, screen_width x 64
extern Image* text_mask;  // screen width x 8: the scroller draws into it
extern Scroll* scroller;  // scrolls the scroll text; its speed follows u, i, o, p
extern Sample* mix;       // the music's one-second mix buffer, 44100 values

// Frames per second of the paced parts.
constexpr int32_t kFrameRate = 50;
// Frames of a fade to black.
constexpr int32_t kFadeFrames = 64;

// Frame counts of the three cycle parts and of the rotor.
constexpr int32_t kPicturesFrames = 1500;
constexpr int32_t kTilesFrames = 1500;
constexpr int32_t kLogoFrames = 1001;
constexpr int32_t kRotorFrames = 1001;

// 1: the rotor part runs after the third part of every cycle. Read once by
// demo_init from QUOR7706_ROTOR (set and not "0"); 0 otherwise.
extern uint8_t demo_rotor_in_cycle;

// ---- Spine (demo.cpp) ---------------------------------------------------------

// The whole demo as main runs it; returns the exit status (1 after a quit,
// 2 when there is no display to open a window on).
int demo_main();
// Opens the window, makes the screen, keyboard and the demo's objects, sets
// the pacing to kFrameRate.
void demo_init();
// The demo's objects, in start-up order: sound, font, logo mask, colour logo,
// text mask, scroller, music buffer.
void demo_init_objects();
// Fades out and releases font, screen, scroller, keyboard, display and sound.
void demo_shutdown();
// Applies one key byte to part_request, show_pictures or the scroller's speed.
void demo_handle_key(uint8_t key);
// kFadeFrames presented frames, each taking 4 off every channel: any picture ends black.
void demo_fade_out();
void demo_error();

// ---- Bouncing pictures (part_pictures.cpp) --------------------------------------

struct Sprite {
    int32_t x;  // top-left corner on the screen
    int32_t y;
    int32_t width;  // the picture's size
    int32_t height;
    int32_t dx;  // step per frame; the sign is the direction
    int32_t dy;
    Image* image;  // the picture, owned while the part runs
};

constexpr int32_t sprite_count = 16;
extern Sprite sprites[sprite_count];  // drawn from the last to the first: 0 is on top

// 1 when the rectangles (x, y, width, height) of a and b overlap; shared edges
// do not. A missing record: demo_error() and 0.
template <typename A, typename B>
int32_t demo_rects_overlap(const A* a, const B* b) {
    if (!a || !b) {
        demo_error();
        return 0;
    }
    // In 64 bits: a corner plus a size may pass the 32-bit range.
    const int64_t ax = a->x, ay = a->y, bx = b->x, by = b->y;
    return ax < bx + b->width && bx < ax + a->width && ay < by + b->height && by < ay + a->height;
}

// 17 tries at swapping a random neighbour pair that does not overlap.
void demo_shuffle_sprites();
// Moves every sprite one step (bouncing at the edges) and draws it, black
// left out. Nothing while show_pictures is 0.
void demo_draw_sprites();
// One frame's drawing: the colour bars, the shuffle, the pictures.
void demo_pictures_frame();
// Fade in, 16 random pictures, up to 1500 frames; the pictures are freed at the end.
void demo_part_pictures();

// ---- Tile-wave scroller (part_tiles.cpp) ----------------------------------------

// The wave parameters; phases index the sine table (0 .. 1023) and carry over
// between runs.
struct TileWave {
    int32_t x_speed;  // added to x_phase every frame
    int32_t x_step;   // phase step from one tile column to the next
    int32_t x_amp;    // horizontal wobble in pixels
    int32_t y_phase;
    int32_t y_speed;
    int32_t y_step;  // phase step from one tile row to the next
    int32_t y_amp;
    int32_t size_phase;
    int32_t size_speed;
    int32_t size_step;  // phase step per unit of (row + column)
    int32_t size_amp;   // size wave in tile indices
    int32_t columns;    // tile columns: the scroller's width
    int32_t rows;       // tile rows: the scroller's height
    int32_t column_pitch;
    int32_t row_pitch;
};

constexpr int32_t tile_count = 64;
extern TileWave tile_wave;
extern int32_t x_phase;
extern Image* tiles[tile_count];  // tile k is (2k + 2) x (2k + 2); made per run
extern Image* stripes;            // the scroller's size: the ramp colours of the text

// Every lit pixel of text_mask as a tile, wobbling and pulsing with the waves.
void demo_draw_tiles();
// Start of a run: the wave's sizes from the screen, stripes, the fade in, the tiles.
void demo_tiles_begin();
// One frame's drawing: bars, striped text, tiles, the phases on, the logo.
void demo_tiles_frame();
// End of a run: the tiles and stripes freed.
void demo_tiles_end();
// Up to 1500 frames between two fades.
void demo_part_tiles();

// ---- Shaking logo with oscilloscope (part_logo.cpp) -----------------------------

extern int32_t hue_index;  // next colour of hue_colours; carries over between runs

// The played stretch of sample as a dotted line around row height / 2 + 32; a
// missing or empty sample puts one green dot in the middle.
void demo_draw_scope(const Sample* sample);
// One frame's drawing: the working logo recoloured, blended in at a random
// shake, the screen faded by 2.
void demo_logo_frame(Image* working);
// Up to 1001 frames, no fades.
void demo_part_logo();

// ---- Bit-rotating logo (part_rotor.cpp) -----------------------------------------

// The working image: logo_mask stretched to (screen_width - 16) x (screen_height - 16).
Image* demo_rotor_begin();
// One frame's drawing: every pixel of working rotated by counter, blended in
// at a random shake, the screen faded by 31.
void demo_rotor_frame(Image* working, int32_t counter);
// Up to 1001 frames, unpaced, no fades. Outside the cycle unless demo_rotor_in_cycle.
void demo_part_rotor();

// ---- Music sequencer (music.cpp) ----------------------------------------------

constexpr int32_t voice_count = 7;
constexpr int32_t mix_length = snd_rate;  // one second of the output
// The music values heard during one frame: 882.
constexpr int32_t kFrameValues = snd_rate / kFrameRate;
// The sounds on the seven voices; null until a change puts one there.
extern const Sample* voices[voice_count];

// mix = a new sample of mix_length zero values.
void demo_music_init();
// One chance in 511 of a change: a random sound on a random voice, then
// mix = floor((mix + every voice's first second) / 8).
void demo_music_step();
// demo_music_step, then queues mix again while the sound queue holds 3 or fewer.
void demo_music_feed();

// ---- Pixel and sample effects (effects.cpp) -----------------------------------

// a mod n in 0 .. n-1 for every a (a floor remainder).
// NOTE: n <= 0 has no such value: IMG error and 0.
int32_t demo_mod(int32_t a, int32_t n);
// Every pixel word equal to old_colour becomes new_colour.
void demo_replace_colour(Image* image, uint32_t old_colour, uint32_t new_colour);
// Every pixel word rotated left by n mod 32 bits (all four bytes take part).
// A negative n rotates right by -n: the count is taken as demo_mod(n, 32).
void demo_rotate_pixels(Image* image, int32_t n);
// One period of the sine table over the sample's length (16.16 stepping).
void demo_sine_fill(Sample* sample);
// White noise: value i = (demo_rand() & 0xFFFF) - 32768, drawn from the last value to the first.
void demo_noise_fill(Sample* sample);

// ---- Random numbers (random.cpp) ----------------------------------------------

// The next number of the sequence glibc's rand() gives, 0 .. 2^31 - 1, from
// a generator of the program's own, so that a build with another C library
// (or none, in a browser) draws the same.
int32_t demo_rand();
// Starts the sequence that srand(seed) starts in glibc. Never called by the
// program, which draws as after demo_srand(1).
void demo_srand(uint32_t seed);

// Identification record: name, date, author, platform, kind.
extern const char* const demo_ident[5];
