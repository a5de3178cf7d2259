// QUOR7706: the demo program. Start-up, the endless cycle of the demo parts,
// the keys every part shares, the fade to black and the shutdown.
//
// Every part runs its own frame loop from the same steps: draw into `screen`,
// dpy_present, demo_music_feed, fps_tick + fps_wait, kbd_poll and
// demo_handle_key, clear the key byte; it ends after its frame count or when
// `part_request` is set. main looks at the request only between parts.
//
// Errors: demo_error() prints "QUOR7706 Error." while demo_error_switch is on
// (0 at start; nothing sets it).
#pragma once

#include <cstdint>

struct Display;
struct Font;
struct Image;
struct Keyboard;
struct Scroll;
struct Sound;

// Settings.
extern int32_t screen_width;   // 256
extern int32_t screen_height;  // 256
extern uint8_t show_pictures;  // 1: the first part draws its pictures

// Core state, all zero before demo_init.
extern uint8_t part_request;  // 0 run on, 1 quit, 2 next part
extern Display* display;
extern Image* screen;
extern Keyboard* keyboard;
extern Sound* sound;
extern Font* font;        // the demo's font (null until the demo's objects exist)
extern Scroll* scroller;  // the scroll text; its speed follows the u, i, o, p keys
extern uint8_t demo_error_switch;

// Frame counts of the three cycle parts.
constexpr int32_t kPicturesFrames = 1500;
constexpr int32_t kTilesFrames = 1500;
constexpr int32_t kLogoFrames = 1001;

// The whole demo as main runs it; returns the exit status (1 after a quit).
int demo_main();
void demo_init();
void demo_shutdown();
void demo_handle_key(uint8_t key);
void demo_fade_out();
void demo_error();
void demo_part_pictures();
void demo_part_tiles();
void demo_part_logo();
// Keeps the music going; called once per frame by the parts.
void demo_music_feed();

// Identification record: name, date, author, platform, kind.
extern const char* const demo_ident[5];
