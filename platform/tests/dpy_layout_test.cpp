// Presenting into window surfaces of every channel layout SDL 1.2 may hand
// out, on SDL's dummy video driver: each pixel is what SDL_MapRGB makes of
// the frame's colour, rows end at the surface's pitch, and the alpha bits of
// a surface that has them are opaque.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "image/img.h"
#include "platform/dpy.h"

namespace {

struct Masks {
    const char* name;
    int bits;
    uint32_t r, g, b, a;
};

// The surface pixel at (x, y), whatever its size.
uint32_t pixel_at(const SDL_Surface* s, int x, int y) {
    const uint8_t* p =
        static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
        case 1:
            return *p;
        case 2: {
            uint16_t v;
            memcpy(&v, p, 2);
            return v;
        }
        case 3:
            return SDL_BYTEORDER == SDL_LIL_ENDIAN ? p[0] | p[1] << 8 | p[2] << 16
                                                   : p[2] | p[1] << 8 | p[0] << 16;
        default: {
            uint32_t v;
            memcpy(&v, p, 4);
            return v;
        }
    }
}

TEST(DpyLayouts, EveryPixelIsWhatSdlMapsItsColourTo) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    Display* display = dpy_new();
    ASSERT_NE(display, nullptr);
    ASSERT_NE(dpy_state.surface, nullptr) << dpy_failure();
    SDL_Surface* const window = dpy_state.surface;

    // Every colour of the frame differs; the top bytes are set, as the rotor
    // leaves them, and must never reach a pixel.
    Image* frame = img_new();
    img_resize(frame, 256, 256);
    for (int32_t i = 0; i < 256 * 256; ++i)
        frame->pixels[i] = 0xA5000000u | static_cast<uint32_t>(i * 0x0101F3u & 0xFFFFFF);

    const Masks layouts[] = {
        {"0x00RRGGBB", 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0},
        {"0xAARRGGBB", 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
        {"0xAABBGGRR (a canvas)", 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000},
        {"0x00BBGGRR", 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0},
        {"0xRRGGBBAA", 32, 0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF},
        {"0xBBGGRR00", 32, 0x0000FF00, 0x00FF0000, 0xFF000000, 0},
        {"24-bit RGB", 24, 0xFF0000, 0x00FF00, 0x0000FF, 0},
        {"24-bit BGR", 24, 0x0000FF, 0x00FF00, 0xFF0000, 0},
        {"16-bit 565", 16, 0xF800, 0x07E0, 0x001F, 0},
        {"16-bit 4444", 16, 0x0F00, 0x00F0, 0x000F, 0xF000},
        {"15-bit 555", 15, 0x7C00, 0x03E0, 0x001F, 0},
        {"8-bit 332", 8, 0xE0, 0x1C, 0x03, 0},
    };
    for (const Masks& m : layouts) {
        SCOPED_TRACE(m.name);
        // An odd width makes the pitch differ from width * bytes at 24 bits.
        SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 256, 256, m.bits, m.r, m.g, m.b, m.a);
        ASSERT_NE(s, nullptr) << SDL_GetError();
        memset(s->pixels, 0x5A, static_cast<size_t>(s->pitch) * s->h);
        dpy_state.surface = s;
        dpy_present(display, frame);
        int wrong = 0;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const uint32_t p = frame->pixels[y * 256 + x];
                const uint32_t want = SDL_MapRGB(s->format, p >> 16 & 255, p >> 8 & 255, p & 255);
                wrong += pixel_at(s, x, y) != want;
            }
        EXPECT_EQ(wrong, 0);
        // Nothing is written past a row's last pixel.
        const int used = 256 * s->format->BytesPerPixel;
        for (int y = 0; y < 256 && used < s->pitch; ++y)
            ASSERT_EQ(static_cast<const uint8_t*>(s->pixels)[y * s->pitch + used], 0x5A) << y;
        SDL_FreeSurface(s);
    }

    // An image wider than an SDL 1.2 pitch can say (16 bits of bytes) is
    // clipped to the window all the same, its rows read at their own length.
    Image* wide = img_new();
    img_resize(wide, 20000, 256);
    for (int32_t y = 0; y < 256; ++y)
        img_put_pixel(wide, 3, y, static_cast<uint32_t>(y << 16 | y << 8 | (255 - y)));
    SDL_Surface* s =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 256, 256, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    ASSERT_NE(s, nullptr);
    dpy_state.surface = s;
    dpy_present_converted(display, wide);
    for (int y = 0; y < 256; ++y)
        ASSERT_EQ(pixel_at(s, 3, y), static_cast<uint32_t>(y << 16 | y << 8 | (255 - y))) << y;
    SDL_FreeSurface(s);
    img_free(&wide);

    dpy_state.surface = window;
    img_free(&frame);
    dpy_free(&display);
    SDL_Quit();
}

}  // namespace
