// Display: the one SDL window and the presenting of frames into it.
#include "platform/dpy.h"

#include <SDL.h>

#include <algorithm>
#include <bit>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "container/common.h"
#include "image/img.h"

const char* const dpy_ident[5] = {"SDLDPY  ", "20261206", "Vandrell", "LINUXSDL", "CODE    "};

DpyState dpy_state = {};
uint8_t dpy_error_switch = 0;

namespace {

constexpr uint32_t kDefaultFlags = SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_ANYFORMAT;  // 0x10000005
// The largest scale of the window.
constexpr int32_t kMaxScale = 8;
// How long dpy_set_mode keeps trying to open the window.
constexpr uint32_t kModeRetryMs = 2000;

// Milliseconds of a monotonic clock; SDL's own clock is not started before
// its video is.
uint32_t now_ms() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint32_t>(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

void sleep_ms(uint32_t ms) {
    const timespec t = {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
    nanosleep(&t, nullptr);
}

// A failed check: calls dpy_error and gives the result the operation returns
// on failure, so that a check is one line.
constexpr common::Fail<dpy_error> dpy_fail{};

bool is_open(const Display* display) {
    return display && display == dpy_state.open;
}

// The checks every present shares: the open display, an image with pixels.
bool image_usable(const Display* display, const Image* image) {
    return is_open(display) && image && image->pixels;
}

// Where an Image word's channels go in one of the surface's pixels: each
// channel's top bits shifted to its place, the alpha bits (when the surface
// has them) set to opaque, as SDL_MapRGB makes a pixel. A palette surface's
// pixels are colour indices, looked up one by one.
struct Layout {
    int bytes;  // per pixel: 1, 2, 3 or 4
    bool palette;
    uint32_t red_loss, green_loss, blue_loss;
    uint32_t red_shift, green_shift, blue_shift;
    uint32_t alpha;
};

// A channel's place and width, read from its mask: the browser's SDL fills
// in the masks alone and leaves the shift and loss fields unset.
uint32_t shift_of(uint32_t mask) {
    return mask ? static_cast<uint32_t>(std::countr_zero(mask)) : 0;
}
uint32_t loss_of(uint32_t mask) {
    const int bits = std::popcount(mask);
    return bits < 8 ? static_cast<uint32_t>(8 - bits) : 0;
}

Layout layout_of(const SDL_PixelFormat* f) {
    return {f->BytesPerPixel,   f->palette != nullptr, loss_of(f->Rmask),
            loss_of(f->Gmask),  loss_of(f->Bmask),     shift_of(f->Rmask),
            shift_of(f->Gmask), shift_of(f->Bmask),    f->Amask};
}

// The surface pixel of Image word p.
inline uint32_t pack(uint32_t p, const Layout& l) {
    return ((((p >> 16) & 0xFF) >> l.red_loss) << l.red_shift) |
           ((((p >> 8) & 0xFF) >> l.green_loss) << l.green_shift) |
           (((p & 0xFF) >> l.blue_loss) << l.blue_shift) | l.alpha;
}

// One row of w pixels in the layout. The loops over whole words have no
// branches, so the compiler turns them into vector code. (The layout is taken
// by value: read through a reference, each store could change it.)
void convert_row(uint8_t* dst, const uint32_t* src, int32_t w, const Layout l,
                 const SDL_PixelFormat* format) {
    switch (l.bytes) {
        case 4: {
            const bool same = l.red_shift == 16 && l.green_shift == 8 && l.blue_shift == 0 &&
                              l.red_loss == 0 && l.green_loss == 0 && l.blue_loss == 0;
            uint32_t* out = reinterpret_cast<uint32_t*>(dst);
            if (same) {  // Image words without their top byte
                for (int32_t x = 0; x < w; ++x)
                    out[x] = (src[x] & 0x00FFFFFF) | l.alpha;
                return;
            }
            for (int32_t x = 0; x < w; ++x)
                out[x] = pack(src[x], l);
            return;
        }
        case 3:
            // The value's low three bytes in memory order, as SDL keeps them.
            for (int32_t x = 0; x < w; ++x) {
                const uint32_t v = pack(src[x], l);
                uint8_t* p = dst + 3 * x;
                if (SDL_BYTEORDER == SDL_LIL_ENDIAN) {
                    p[0] = static_cast<uint8_t>(v);
                    p[1] = static_cast<uint8_t>(v >> 8);
                    p[2] = static_cast<uint8_t>(v >> 16);
                } else {
                    p[0] = static_cast<uint8_t>(v >> 16);
                    p[1] = static_cast<uint8_t>(v >> 8);
                    p[2] = static_cast<uint8_t>(v);
                }
            }
            return;
        case 2: {
            uint16_t* out = reinterpret_cast<uint16_t*>(dst);
            for (int32_t x = 0; x < w; ++x)
                out[x] = static_cast<uint16_t>(pack(src[x], l));
            return;
        }
        default:
            if (!l.palette) {
                for (int32_t x = 0; x < w; ++x)
                    dst[x] = static_cast<uint8_t>(pack(src[x], l));
                return;
            }
            // The nearest palette entry, searched once per run of one colour.
            uint32_t last = ~src[0];
            uint8_t index = 0;
            for (int32_t x = 0; x < w; ++x) {
                const uint32_t p = src[x] & 0x00FFFFFF;
                if (p != last) {
                    index = static_cast<uint8_t>(
                        SDL_MapRGB(format, (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
                    last = p;
                }
                dst[x] = index;
            }
            return;
    }
}

// One row of w pixels of 32-bit words, each written S times over.
template <int S>
void widen_row(uint32_t* out, const uint32_t* src, int32_t w, const Layout l) {
    for (int32_t x = 0; x < w; ++x) {
        const uint32_t v = pack(src[x], l);
        for (int k = 0; k < S; ++k)
            out[S * x + k] = v;
    }
}

// One row of w pixels in the layout, each written scale times over; scale 1
// is convert_row. Rows of 32-bit pixels take a loop made for their scale.
void convert_row_scaled(uint8_t* dst, const uint32_t* src, int32_t w, int32_t scale,
                        const Layout& l, const SDL_PixelFormat* format, uint32_t* spare) {
    if (scale == 1) return convert_row(dst, src, w, l, format);
    if (l.bytes == 4) {
        uint32_t* out = reinterpret_cast<uint32_t*>(dst);
        switch (scale) {
            case 2:
                return widen_row<2>(out, src, w, l);
            case 3:
                return widen_row<3>(out, src, w, l);
            case 4:
                return widen_row<4>(out, src, w, l);
            case 5:
                return widen_row<5>(out, src, w, l);
            case 6:
                return widen_row<6>(out, src, w, l);
            case 7:
                return widen_row<7>(out, src, w, l);
            default:
                return widen_row<8>(out, src, w, l);
        }
    }
    // Other sizes: the row widened as Image words first, then converted.
    for (int32_t x = 0; x < w; ++x)
        for (int32_t k = 0; k < scale; ++k)
            spare[x * scale + k] = src[x];
    convert_row(dst, spare, w * scale, l, format);
}

// Where frames go in the window: each frame pixel a scale x scale block,
// the frame's top-left corner at (x, y).
struct View {
    int32_t scale = 1;
    int32_t x = 0;
    int32_t y = 0;
};
View view;
std::vector<uint32_t> spare_row;  // a widened row, for surfaces of 1 to 3 bytes a pixel

// Copies w x h pixels of image into the surface as the view places them, in
// the surface's layout, at its own pitch. Each widened row is converted once
// and copied to the scale - 1 rows below it.
void copy_to_surface(SDL_Surface* surface, const Image* image, int32_t w, int32_t h) {
    if (SDL_MUSTLOCK(surface)) {
        if (SDL_LockSurface(surface) < 0) return;
    }
    uint8_t* base = static_cast<uint8_t*>(surface->pixels);
    const int32_t s = view.scale;
    // What fits of the frame, in whole blocks.
    w = std::min(w, (surface->w - view.x) / s);
    h = std::min(h, (surface->h - view.y) / s);
    if (base && w > 0 && h > 0) {
        const Layout layout = layout_of(surface->format);
        const int bytes = surface->format->BytesPerPixel;
        if (layout.bytes < 4 && s > 1) spare_row.resize(static_cast<size_t>(w) * s);
        const size_t row_bytes = static_cast<size_t>(w) * s * bytes;
        for (int32_t y = 0; y < h; ++y) {
            uint8_t* first = base + static_cast<int64_t>(view.y + y * s) * surface->pitch +
                             static_cast<int64_t>(view.x) * bytes;
            convert_row_scaled(first, image->pixels + static_cast<int64_t>(y) * image->width, w, s,
                               layout, surface->format, spare_row.data());
            for (int32_t k = 1; k < s; ++k)
                memcpy(first + static_cast<int64_t>(k) * surface->pitch, first, row_bytes);
        }
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
}

void show(SDL_Surface* surface) {
    if (dpy_state.double_buffered)
        SDL_Flip(surface);
    else
        SDL_UpdateRect(surface, 0, 0, 0, 0);
}

DpyPresentHook present_hook = nullptr;

// Frames still to capture before capture switches itself off; 0 means no
// limit (capture switched on directly through dpy_state.capture).
int32_t capture_left = 0;

// Writes the frame to the next numbered capture file when capture is on. The
// number is taken before the write, so a file that cannot be written (the
// image writer reports it) costs its number; the frame is shown all the same.
void capture_frame(const Image* image) {
    if (!dpy_state.capture) return;
    // Counted in unsigned arithmetic: after 2^31 - 1 frames the number wraps
    // instead of overflowing.
    dpy_state.capture_count =
        static_cast<int32_t>(static_cast<uint32_t>(dpy_state.capture_count) + 1u);
    snprintf(dpy_state.capture_name, sizeof dpy_state.capture_name, "frame-%05d.ppm",
             dpy_state.capture_count);
    img_save_ppm(image, dpy_state.capture_name);
    if (capture_left > 0) {
        capture_left -= 1;
        if (capture_left == 0) dpy_state.capture = 0;
    }
}

// The value of a capture request: a positive decimal number (digits only,
// values past 2^31 - 1 taken as 2^31 - 1), or 0 for anything else.
int32_t capture_request(const char* text) {
    if (!text) return 0;
    if (!*text) return 0;
    common::TextReader in{text};
    uint32_t n = 0;
    common::read_decimal(in, common::Overflow::cap, n);
    if (in.peek() >= 0) return 0;  // a byte that is not a digit
    return static_cast<int32_t>(n);
}

// The smaller of the image's and the surface's extent, never below 0.
int32_t overlap(int32_t a, int32_t b) {
    const int32_t m = a < b ? a : b;
    return m > 0 ? m : 0;
}

// Shows image (exactly the window's size) in the window; with_capture writes
// it to the next capture file first when capture is on.
void present(Display* display, const Image* image, bool with_capture) {
    if (!image_usable(display, image)) return dpy_fail();
    if (image->width != display->width) return dpy_fail();
    if (image->height != display->height) return dpy_fail();
    if (with_capture) capture_frame(image);
    // An offline renderer takes the frame in place of the window (whose
    // surface, under SDL's dummy driver, would only cost a conversion).
    if (with_capture && present_hook) return present_hook(image);
    SDL_Surface* surface = dpy_state.surface;
    if (!surface) return;
    copy_to_surface(surface, image, image->width, image->height);
    show(surface);
}

// Opens the window for a width x height frame as the view asks: scaled up,
// lowered to the largest scale whose window fits the screen, or full screen
// with the frame centred. Sets `view`; null when SDL cannot.
SDL_Surface* open_window(int32_t width, int32_t height) {
    view = View{};
    const int32_t asked = dpy_state.scale > 1 ? std::min(dpy_state.scale, kMaxScale) : 1;
    if (asked == 1 && !dpy_state.fullscreen)
        return SDL_SetVideoMode(width, height, 0, dpy_state.video_flags);
    // The screen's size is known only before the first mode is set.
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    // A driver that does not know the screen's size (SDL's dummy) is taken
    // to have room for any scale.
    const bool known = info && info->current_w > 0 && info->current_h > 0;
    const int32_t screen_w = known ? info->current_w : width * kMaxScale;
    const int32_t screen_h = known ? info->current_h : height * kMaxScale;
    int32_t fits = 1;
    while (fits < kMaxScale && width * (fits + 1) <= screen_w && height * (fits + 1) <= screen_h)
        ++fits;
    if (dpy_state.fullscreen) {
        view.scale = fits;
        view.x = std::max(0, (screen_w - width * fits) / 2);
        view.y = std::max(0, (screen_h - height * fits) / 2);
        SDL_Surface* surface =
            SDL_SetVideoMode(screen_w, screen_h, 0, dpy_state.video_flags | SDL_FULLSCREEN);
        if (!surface) return nullptr;
        SDL_ShowCursor(SDL_DISABLE);
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
        show(surface);
        return surface;
    }
    view.scale = std::min(asked, fits);
    return SDL_SetVideoMode(width * view.scale, height * view.scale, 0, dpy_state.video_flags);
}

}  // namespace

void dpy_error() {
    if (dpy_error_switch) printf("SDLDPY error\n");
}

Display* dpy_new() {
    if (dpy_state.open) return dpy_fail(dpy_state.open);
    dpy_state.video_flags = kDefaultFlags;
    Display* display = static_cast<Display*>(calloc(1, sizeof(Display)));
    if (!display) return dpy_fail(nullptr);
    dpy_state.open = display;
    dpy_set_mode(display, 256, 256);
    dpy_state.capture = 0;
    capture_left = 0;
    return display;
}

void dpy_set_mode(Display* display, int32_t width, int32_t height) {
    if (!display) return dpy_fail();
    if (width < 0) return dpy_fail();
    if (height < 0) return dpy_fail();
    if (dpy_state.surface) {
        SDL_FreeSurface(dpy_state.surface);  // the video surface: SDL keeps it
        dpy_state.surface = nullptr;
    }
    // With an X display named and no driver chosen by the user, insist on X11:
    // when X11 fails SDL would otherwise fall back to drawing in the terminal.
    const char* x = getenv("DISPLAY");
    if (x && *x) setenv("SDL_VIDEODRIVER", "x11", 0);
    // SDL's X11 driver opens a connection to see whether the server is there,
    // closes it and opens its own. When that probe was the server's only
    // client, the server resets itself (X servers do when their last client
    // leaves, as under xvfb-run), and connections made during the reset are
    // refused. A reset takes milliseconds on an idle machine and far longer
    // on a loaded one, so attempts go on, spaced ever wider, for two seconds.
    SDL_Surface* surface = nullptr;
    const uint32_t start = now_ms();
    for (uint32_t delay = 10;; delay = delay < 320 ? delay * 2 : delay) {
        surface = open_window(width, height);
        if (surface || now_ms() - start >= kModeRetryMs) break;
        sleep_ms(delay);
    }
    if (!surface) return dpy_fail();
    dpy_state.surface = surface;
    // SDL turns SIGINT and SIGTERM into quit events, which the demo ignores
    // (closing the window has no effect); give them back their default action
    // so that Ctrl-C and kill still end the program.
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    SDL_WM_SetCaption("QUOR7706", "QUOR7706");
    if (dpy_state.open) {
        dpy_state.open->width = width;
        dpy_state.open->height = height;
        dpy_state.open->depth = surface->format->BitsPerPixel;
    }
    dpy_state.double_buffered = (surface->flags & SDL_DOUBLEBUF) ? 1 : 0;
}

void dpy_present(Display* display, const Image* image) {
    present(display, image, true);
}

void dpy_present_converted(Display* display, const Image* image) {
    if (!image_usable(display, image)) return dpy_fail();
    SDL_Surface* window = dpy_state.surface;
    if (!window) return;
    const int32_t w = overlap(image->width, display->width);
    const int32_t h = overlap(image->height, display->height);
    if (w == 0) return;
    if (h == 0) return;
    // SDL 1.2's conversion to a palette maps every colour to one entry (all
    // white, seen on the 8-bit dummy surface); palette colours are looked up
    // pixel by pixel as dpy_present does. A scaled view is drawn that way too,
    // and so is an image whose rows are too long for an SDL 1.2 pitch (16 bits).
    const bool sdl_can = !window->format->palette && view.scale == 1 && view.x == 0 &&
                         view.y == 0 && image->width <= 65535 / 4;
    if (!sdl_can) {
        copy_to_surface(window, image, w, h);
        return show(window);
    }
    // A surface over the image's own rows, at the image's row length so that
    // a clipped width reads correctly. No alpha mask: an Image word's top
    // byte is not opacity (SDL 2, under sdl12-compat, would blend with it).
    SDL_Surface* temp = SDL_CreateRGBSurfaceFrom(image->pixels, w, h, 32, image->width * 4,
                                                 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    if (!temp) return;
    SDL_Surface* converted = SDL_DisplayFormat(temp);
    SDL_FreeSurface(temp);
    if (!converted) return;
    SDL_BlitSurface(converted, nullptr, window, nullptr);
    SDL_FreeSurface(converted);
    show(window);
}

void dpy_present_direct(Display* display, const Image* image) {
    // Pointing the window surface at the image's buffer for the update does not
    // show the image under X11: the server reads the shared-memory image SDL
    // made for the window, so the previous frame would be shown again. The
    // frame is copied at the surface's pitch as dpy_present does, without capture.
    present(display, image, false);
}

Display* dpy_copy(Display* display) {
    if (!is_open(display)) return dpy_fail(nullptr);
    return display;
}

int32_t dpy_equal(const Display* a, const Display* b) {
    if (a != b) return dpy_fail(0);
    if (!is_open(a)) return dpy_fail(0);
    return 1;
}

Display* dpy_from_text(const char* text) {
    if (!text) return dpy_fail(nullptr);
    if (dpy_state.open) return dpy_fail(nullptr);
    return nullptr;
}

char* dpy_to_text(const Display* display) {
    if (!is_open(display)) return dpy_fail(nullptr);
    return static_cast<char*>(calloc(1, 1));
}

void dpy_free(Display** display) {
    if (!display) return dpy_fail();
    if (!is_open(*display)) return dpy_fail();
    if (dpy_state.surface) SDL_FreeSurface(dpy_state.surface);
    dpy_state.surface = nullptr;
    free(*display);
    *display = nullptr;
    dpy_state.open = nullptr;
}

void dpy_capture_from_environment() {
    const int32_t frames = capture_request(getenv("QUOR7706_CAPTURE"));
    dpy_state.capture = frames > 0 ? 1 : 0;
    capture_left = frames;
}

void dpy_view_from_environment(const char* program) {
    dpy_state.scale = 1;
    dpy_state.fullscreen = 0;
    const char* full = getenv("QUOR7706_FULLSCREEN");
    if (full && *full) {
        if (strcmp(full, "1") == 0) {
            dpy_state.fullscreen = 1;
            return;  // the scale is the screen's
        }
        if (strcmp(full, "0") != 0)
            fprintf(stderr, "%s: QUOR7706_FULLSCREEN=%s ignored (1 for full screen); a window\n",
                    program, full);
    }
    const char* scale = getenv("QUOR7706_SCALE");
    if (!scale || !*scale) return;
    if (scale[0] >= '1' && scale[0] <= '0' + kMaxScale && scale[1] == 0) {
        dpy_state.scale = scale[0] - '0';
        return;
    }
    fprintf(stderr, "%s: QUOR7706_SCALE=%s ignored (a whole number from 1 to %d); scale 1\n",
            program, scale, kMaxScale);
}

void dpy_set_present_hook(DpyPresentHook hook) {
    present_hook = hook;
}

int32_t dpy_available() {
#ifdef __EMSCRIPTEN__
    return 1;  // in a browser the window is the page's canvas
#else
    const char* driver = getenv("SDL_VIDEODRIVER");
    if (driver && *driver) return 1;
    const char* x = getenv("DISPLAY");
    return x && *x ? 1 : 0;
#endif
}

const char* dpy_failure() {
    const char* e = SDL_GetError();
    return e ? e : "";
}
