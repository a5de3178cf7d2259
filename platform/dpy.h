// SDLDPY: the program's one window (caption "QUOR7706") and the presenting of
// a finished frame, an Image of exactly the window's size, into it.
//
// There is at most one Display; every operation accepts only that one. The
// module never calls SDL_Quit, and SDL_Init only to learn the screen's size
// for a scaled window: setting the video mode starts SDL's video, and the
// window goes away with the process.
//
// Frame capture: while dpy_state.capture is on, dpy_present writes every frame
// it shows to "frame-%05d.ppm" in the working directory before showing it.
// The number (dpy_state.capture_count) is never reset; a file that cannot be
// written is reported as an IMG error and costs its number.
//
// Present hook: a tool that renders the program offline (quor7706-record)
// can have dpy_present hand it every frame, in place of the window, with
// dpy_set_present_hook. The hook gets exactly the frames dpy_present would
// show (after their capture); a present that fails its checks calls it not.
// dpy_present_direct never calls it.
//
// Errors: a failed check calls dpy_error(), which prints "SDLDPY error" while
// dpy_error_switch is on (0 at start; nothing sets it).
//
// Threads: main thread only (the window belongs to the thread that opened it).
#pragma once

#include <cstdint>

struct Image;
struct SDL_Surface;

struct Display {
    int32_t width;  // as asked of dpy_set_mode
    int32_t height;
    int32_t depth;  // bits per pixel that SDL granted
};

// Module state, one set per program.
struct DpyState {
    Display* open;            // the one open Display, or null
    SDL_Surface* surface;     // the window surface, or null
    int32_t double_buffered;  // 1 when the surface is double-buffered
    uint32_t video_flags;     // flags for SDL_SetVideoMode
    uint8_t capture;          // frame capture switch
    int32_t capture_count;    // number of the last captured frame
    char capture_name[32];    // file name of the last capture
    int32_t scale;            // each frame pixel a scale x scale block (1 to 8; 0 is 1)
    uint8_t fullscreen;       // 1: full screen at the largest scale that fits
};

extern DpyState dpy_state;
extern uint8_t dpy_error_switch;

void dpy_error();
// The open display, made with a 256 x 256 window if none is open.
Display* dpy_new();
// (Re)sets the window for frames of width x height at the screen's depth,
// scaled as dpy_state.scale and dpy_state.fullscreen ask (the Display keeps
// width x height). An X server
// that refuses the connection is tried again for up to two seconds; when no
// window comes, dpy_state.surface stays null and dpy_failure() says why.
void dpy_set_mode(Display* display, int32_t width, int32_t height);
// Shows image (exactly the window's size) in the window, or hands it to the
// present hook when one is set; captures it first when on.
// The pixels are written in the window surface's own layout (8, 15, 16, 24
// or 32 bits, any channel masks, alpha bits opaque: what SDL_MapRGB makes of
// each colour; the word's top byte is never shown), at the surface's pitch.
void dpy_present(Display* display, const Image* image);
// Shows any image, clipped to the window, through SDL's own conversion.
void dpy_present_converted(Display* display, const Image* image);
// Shows image (exactly the window's size) without capturing it.
// NOTE: the frame is copied like dpy_present does; handing SDL the image's own
// buffer for the update would show a stale frame under X11's shared memory.
void dpy_present_direct(Display* display, const Image* image);
Display* dpy_copy(Display* display);
int32_t dpy_equal(const Display* a, const Display* b);
Display* dpy_from_text(const char* text);
char* dpy_to_text(const Display* display);
void dpy_free(Display** display);

// Sets frame capture from the environment variable QUOR7706_CAPTURE: a
// positive decimal number N captures the next N presented frames and then
// switches capture off again; unset, empty, "0" or anything else leaves
// capture off. Called once at start-up, after dpy_new.
void dpy_capture_from_environment();

// Sets the window's scale from the environment: QUOR7706_SCALE=N (1 to 8)
// shows every frame pixel as an N x N block; QUOR7706_FULLSCREEN=1 opens
// full screen at the largest whole scale that fits, the frame centred on
// black and the mouse cursor hidden (the scale variable is then ignored).
// Anything else in either variable is reported on standard error in one
// line, headed by program, and the default kept. A scale whose window would
// not fit the screen is lowered to the largest that fits when the window
// opens. Called once at start-up, before dpy_new.
void dpy_view_from_environment(const char* program);

// Makes dpy_present hand every frame to hook instead of the window; null
// shows frames in the window again.
// The hook is borrowed and stays in use until it is replaced.
using DpyPresentHook = void (*)(const Image* frame);
void dpy_set_present_hook(DpyPresentHook hook);

// 1 when a window can be opened at all: an X display is named in DISPLAY, or
// the user picked an SDL video driver with SDL_VIDEODRIVER. Without either,
// SDL would fall back to drawing in the text terminal. In a browser (an
// emscripten build) always 1.
int32_t dpy_available();
// SDL's last error text (never null).
const char* dpy_failure();

// Identification record: name, date, author, platform, kind.
extern const char* const dpy_ident[5];
