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
// Random numbers: the C library's rand(), never seeded, drawn in a fixed
// order, so every run makes the same choices.
//
// Errors: demo_error() prints "QUOR7706 Error." while demo_error_switch is on
// (0 at start; nothing sets it). The effects report a missing record as an
// IMG error (image/img.h) and do nothing.
#pragma once

#include <cstdint>

struct Display;
struct Font;
struct Image;
struct Keyboard;
struct Sample;
struct Scroll;
struct Sound;

// ---- Settings and state (demo.cpp, objects.cpp) ------------------------------

extern int32_t screen_width;   // 256
extern int32_t screen_height;  // 256
extern uint8_t show_pictures;  // 1: the first part draws its pictures

extern uint8_t part_request;  // 0 run on, 1 quit, 2 next part
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

// Frame counts of the three cycle parts.
constexpr int32_t kPicturesFrames = 1500;
constexpr int32_t kTilesFrames = 1500;
constexpr int32_t kLogoFrames = 1001;

// ---- Spine (demo.cpp) ---------------------------------------------------------

// The whole demo as main runs it; returns the exit status (1 after a quit,
// 2 when there is no display to open a window on).
int demo_main();
// Opens the window, makes the screen, keyboard and the demo's objects, sets 50 fps.
void demo_init();
// The demo's objects, in start-up order: sound, font, logo mask, colour logo,
// text mask, scroller, music buffer.
void demo_init_objects();
// Fades out and releases font, screen, scroller, keyboard, display and sound.
void demo_shutdown();
// Applies one key byte to part_request, show_pictures or the scroller's speed.
void demo_handle_key(uint8_t key);
// 64 presented frames, each taking 4 off every channel: any picture ends black.
void demo_fade_out();
void demo_error();
void demo_part_pictures();
void demo_part_tiles();
void demo_part_logo();

// ---- Music sequencer (music.cpp) ----------------------------------------------

constexpr int32_t voice_count = 7;
constexpr int32_t mix_length = 44100;  // one second at 44,100 Hz
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
// White noise: value i = (rand() & 0xFFFF) - 32768, drawn from the last value to the first.
void demo_noise_fill(Sample* sample);

// Identification record: name, date, author, platform, kind.
extern const char* const demo_ident[5];
