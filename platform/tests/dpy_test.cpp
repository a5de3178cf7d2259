// The display against a real X server (Xvfb): what the window shows is read
// back from the server. One test also runs on SDL's 8-bit dummy driver.
#include "platform/dpy.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/img.h"
#include "platform/tests/window_opened.h"
#include "platform/tests/x11_util.h"

namespace {

class DpyTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(getenv("DISPLAY"), nullptr) << "needs an X server"; }
    void TearDown() override {
        if (dpy_state.open) dpy_free(&dpy_state.open);
        SDL_Quit();  // the next test starts SDL's video afresh
        dpy_error_switch = 0;
    }
};

// A picture with something different in every row and column.
Image* test_card(int32_t w, int32_t h) {
    Image* image = img_new();
    img_resize(image, w, h);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x)
            img_put_pixel(image, x, y,
                          static_cast<uint32_t>((x << 16) | (y << 8) | ((x ^ y) & 255)));
    }
    return image;
}

// What the window shows, as Image words.
std::vector<uint32_t> shown(int32_t w, int32_t h) {
    std::vector<uint32_t> pixels;
    EXPECT_TRUE(x11_grab("QUOR7706", w, h, &pixels));
    return pixels;
}

// Passes when the pixels are equal; otherwise says how many differ and where
// the first one is.
testing::AssertionResult same_pixels(const std::vector<uint32_t>& got,
                                     const std::vector<uint32_t>& want, int32_t width) {
    if (got.size() != want.size())
        return testing::AssertionFailure() << got.size() << " pixels, not " << want.size();
    size_t first = got.size();
    size_t differ = 0;
    for (size_t i = 0; i < got.size(); ++i)
        if (got[i] != want[i]) {
            if (differ++ == 0) first = i;
        }
    if (differ == 0) return testing::AssertionSuccess();
    char text[96];
    snprintf(text, sizeof text, "at (%zu, %zu): %06x, not %06x", first % width, first / width,
             got[first], want[first]);
    return testing::AssertionFailure() << differ << " pixels differ, the first " << text;
}

std::vector<uint32_t> words(const Image* image) {
    return std::vector<uint32_t>(image->pixels, image->pixels + image->width * image->height);
}

TEST_F(DpyTest, OpensOneCaptionedWindowAndShowsTheFrame) {
    Display* display = dpy_new();
    ASSERT_NE(display, nullptr);
    ASSERT_TRUE(window_opened());
    EXPECT_EQ(std::pair(display->width, display->height), std::pair(256, 256));
    // SDL 2 has no icon titles; classic SDL 1.2 sets both.
    if (!sdl12_compat()) {
        EXPECT_EQ(x11_icon_name("QUOR7706"), "QUOR7706");
    }
    Image* card = test_card(256, 256);
    dpy_present(display, card);
    EXPECT_TRUE(same_pixels(shown(256, 256), words(card), 256));
    // A frame one pixel narrower than the window shows nothing.
    Image* narrow = img_new();
    img_resize(narrow, 255, 256);
    dpy_present(display, narrow);
    EXPECT_TRUE(same_pixels(shown(256, 256), words(card), 256));

    // The direct and converted paths show the same pixels; the converted one
    // clips a narrower frame to its width.
    img_clear(card);
    img_put_pixel(card, 10, 20, 0x00FF8040);
    dpy_present_direct(display, card);
    EXPECT_TRUE(same_pixels(shown(256, 256), words(card), 256));
    img_put_pixel(card, 11, 20, 0x00123456);
    dpy_present_converted(display, narrow);
    dpy_present_converted(display, card);
    EXPECT_TRUE(same_pixels(shown(256, 256), words(card), 256));
    img_free(&card);
    img_free(&narrow);
}

TEST_F(DpyTest, AcceptsOnlyTheOpenDisplay) {
    Display* display = dpy_new();
    ASSERT_NE(display, nullptr);
    ASSERT_TRUE(window_opened());
    Display stranger = *display;
    dpy_error_switch = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(dpy_new(), display);  // the same display, with an error line
    EXPECT_EQ(dpy_copy(&stranger), nullptr);
    EXPECT_EQ(dpy_from_text("x"), nullptr);  // a display is open: reported
    dpy_present(&stranger, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "SDLDPY error\nSDLDPY error\n"
              "SDLDPY error\nSDLDPY error\n");

    // After dpy_free the reference is null and a fresh display can be made.
    dpy_free(&display);
    EXPECT_EQ(display, nullptr);
    EXPECT_EQ(dpy_state.open, nullptr);
    testing::internal::CaptureStdout();
    dpy_free(&display);
    dpy_free(nullptr);
    EXPECT_EQ(dpy_from_text("x"), nullptr);  // no display open and a text: silent
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SDLDPY error\nSDLDPY error\n");
    display = dpy_new();
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->width, 256);
}

TEST_F(DpyTest, SetModeResizesTheWindow) {
    Display* display = dpy_new();
    dpy_set_mode(display, 64, 32);
    ASSERT_TRUE(window_opened());
    EXPECT_EQ(std::pair(display->width, display->height), std::pair(64, 32));
    Image* card = test_card(64, 32);
    dpy_present(display, card);
    EXPECT_TRUE(same_pixels(shown(64, 32), words(card), 64));
    img_free(&card);
}

TEST_F(DpyTest, PresentsSafelyOnAnEightBitSurface) {
    // SDL's dummy driver gives whatever depth it likes (classic SDL 8 bits,
    // sdl12-compat 32): the window surface is swapped for a palette surface
    // of the test's own.
    SDL_Quit();
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    Display* display = dpy_new();
    unsetenv("SDL_VIDEODRIVER");
    ASSERT_NE(display, nullptr);
    ASSERT_TRUE(window_opened());
    SDL_Surface* const window = dpy_state.surface;
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 256, 256, 8, 0, 0, 0, 0);
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->format->palette, nullptr);
    SDL_Color colours[256];
    for (int i = 0; i < 256; ++i)  // a 3-3-2 colour cube
        colours[i] = {static_cast<Uint8>((i >> 5) * 255 / 7),
                      static_cast<Uint8>((i >> 2 & 7) * 255 / 7), static_cast<Uint8>((i & 3) * 85),
                      0};
    SDL_SetColors(s, colours, 0, 256);
    dpy_state.surface = s;
    Image* card = test_card(256, 256);
    img_put_pixel(card, 0, 0, 0x00FFFFFF);
    img_put_pixel(card, 1, 0, 0);
    // Every byte of the 8-bit surface is written from the frame, none past it
    // (the sanitizer build checks the bounds), at the surface's own pitch.
    const auto palette_index = [s](uint32_t p) {
        return static_cast<uint8_t>(SDL_MapRGB(s->format, p >> 16, (p >> 8) & 255, p & 255));
    };
    const auto surface_byte = [s](int32_t x, int32_t y) {
        return static_cast<const uint8_t*>(s->pixels)[y * s->pitch + x];
    };
    const auto wipe = [s] { memset(s->pixels, 0x5A, static_cast<size_t>(s->pitch) * s->h); };
    // Each path writes the palette entry SDL maps each colour to; the
    // converting one takes frames of any size.
    using Present = void (*)(Display*, const Image*);
    for (const Present present : {dpy_present, dpy_present_direct, dpy_present_converted}) {
        wipe();
        present(display, card);
        for (const auto& [x, y] : {std::pair(0, 0), {1, 0}, {255, 255}, {17, 200}})
            EXPECT_EQ(surface_byte(x, y), palette_index(card->pixels[y * 256 + x]))
                << x << "," << y;
    }
    EXPECT_EQ(surface_byte(0, 0), 255);  // white
    EXPECT_EQ(surface_byte(1, 0), 0);    // black
    dpy_state.surface = window;
    SDL_FreeSurface(s);
    img_free(&card);
}

// Every pixel of image as a scale x scale block.
std::vector<uint32_t> blown_up(const Image* image, int32_t scale) {
    const int32_t w = image->width * scale;
    std::vector<uint32_t> out(static_cast<size_t>(w) * image->height * scale);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = image->pixels[(i / w / scale) * image->width + (i % w) / scale];
    return out;
}

// QUOR7706_SCALE: the window is the frame blown up, as large as the screen
// allows; a bad value is one line and the default.
TEST(DpyScale, TheWindowShowsEachPixelAsABlockAndFitsTheScreen) {
    Image* card = test_card(256, 256);
    const struct {
        const char* screen;
        const char* value;
        int32_t scale;
        const char* complaint;
    } cases[] = {
        {"2048x2048x24", "3", 3, ""},
        {"2048x2048x16", "8", 8, ""},
        {"1024x700x24", "4", 2, ""},  // 1024 x 1024 would not fit
        {"2048x2048x24", "9", 1,
         "test: QUOR7706_SCALE=9 ignored (a whole number from 1 to 8); scale 1\n"},
        {"2048x2048x24", "2x", 1,
         "test: QUOR7706_SCALE=2x ignored (a whole number from 1 to 8); scale 1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.screen) + " QUOR7706_SCALE=" + c.value);
        X11Server server(c.screen);
        ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
        server.use();
        setenv("QUOR7706_SCALE", c.value, 1);
        testing::internal::CaptureStderr();
        dpy_view_from_environment("test");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.complaint);
        Display* display = dpy_new();
        ASSERT_TRUE(window_opened());
        EXPECT_EQ(std::pair(display->width, display->height), std::pair(256, 256));
        const int32_t side = 256 * c.scale;
        EXPECT_EQ(x11_window_size("QUOR7706"), std::pair(side, side));
        dpy_present(display, card);
        if (std::string(c.screen).ends_with("x24")) {
            EXPECT_TRUE(same_pixels(shown(side, side), blown_up(card, c.scale), side));
        }
        dpy_free(&display);
        SDL_Quit();
    }
    unsetenv("QUOR7706_SCALE");
    dpy_view_from_environment("test");
    img_free(&card);
}

// QUOR7706_FULLSCREEN=1: the whole screen, the frame at the largest whole
// scale that fits, centred on black.
TEST(DpyScale, FullScreenCentresTheLargestScaleOnBlack) {
    X11Server server("1400x1100x24");
    ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
    server.use();
    setenv("QUOR7706_FULLSCREEN", "1", 1);
    setenv("QUOR7706_SCALE", "junk", 1);  // ignored, without a word
    testing::internal::CaptureStderr();
    dpy_view_from_environment("test");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    Display* display = dpy_new();
    ASSERT_TRUE(window_opened());
    Image* card = test_card(256, 256);
    dpy_present(display, card);
    EXPECT_EQ(x11_window_size("QUOR7706"), std::pair(1400, 1100));
    // A full-screen window of SDL's is another than the captioned one: read the screen.
    std::vector<uint32_t> screen;
    ASSERT_TRUE(x11_grab(nullptr, 1400, 1100, &screen));
    // Scale 4 (1024 x 1024) fits; 5 would not. The frame starts at (188, 38).
    const std::vector<uint32_t> frame = blown_up(card, 4);
    int32_t wrong = 0;
    for (int32_t y = 0; y < 1100; ++y)
        for (int32_t x = 0; x < 1400; ++x) {
            const bool inside = x >= 188 && x < 188 + 1024 && y >= 38 && y < 38 + 1024;
            const uint32_t want = inside ? frame[(y - 38) * 1024 + (x - 188)] : 0;
            wrong += screen[y * 1400 + x] != want;
        }
    EXPECT_EQ(wrong, 0);
    dpy_free(&display);
    SDL_Quit();
    unsetenv("QUOR7706_FULLSCREEN");
    unsetenv("QUOR7706_SCALE");
    dpy_view_from_environment("test");
    img_free(&card);
}

// The frame on X servers of each depth Xvfb offers: a truecolour window
// shows each channel at the depth's precision, an 8-bit one the palette
// colour SDL picked for it.
TEST(DpyDepths, EachScreenDepthShowsTheFrame) {
    Image* card = test_card(256, 256);
    for (const int depth : {24, 16, 15, 8}) {
        SCOPED_TRACE(depth);
        X11Server server("640x480x" + std::to_string(depth));
        ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
        server.use();
        Display* display = dpy_new();
        if (depth == 8 && sdl12_compat()) {
            // SDL 2 has no renderer for an 8-bit screen: no window, one clear reason.
            EXPECT_FALSE(window_opened());
            if (display) dpy_free(&display);
            SDL_Quit();
            continue;
        }
        ASSERT_TRUE(window_opened());
        dpy_present(display, card);
        const SDL_PixelFormat* f = dpy_state.surface->format;
        std::vector<uint32_t> want(256 * 256);
        for (size_t i = 0; i < want.size(); ++i) {
            const uint32_t p = card->pixels[i];
            if (f->palette) {
                const SDL_Color c =
                    f->palette->colors[SDL_MapRGB(f, p >> 16 & 255, p >> 8 & 255, p & 255)];
                want[i] = static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b);
                continue;
            }
            // The channel's top bits, read back scaled to 0 .. 255.
            const auto kept = [](uint32_t c, int loss) {
                return (c >> loss) * 255 / (255u >> loss);
            };
            want[i] = kept(p >> 16 & 255, f->Rloss) << 16 | kept(p >> 8 & 255, f->Gloss) << 8 |
                      kept(p & 255, f->Bloss);
        }
        const std::vector<uint32_t> got = shown(256, 256);
        if (sdl12_compat() && depth < 24) {
            // SDL 2 converts the frame once more, from the surface it hands
            // us to the window's visual: each channel within one 5-bit step.
            int32_t far = 0;
            for (size_t i = 0; i < got.size(); ++i)
                for (int shift : {0, 8, 16})
                    far += std::abs(static_cast<int32_t>(got[i] >> shift & 255) -
                                    static_cast<int32_t>(want[i] >> shift & 255)) > 8;
            EXPECT_EQ(far, 0);
        } else {
            EXPECT_TRUE(same_pixels(got, want, 256));
        }
        dpy_free(&display);
        SDL_Quit();
    }
    img_free(&card);
}

}  // namespace
