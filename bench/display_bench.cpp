// Presenting a 256 x 256 frame into the window surface, at scale 1 and at
// scale 4 (a 1024 x 1024 window), for the surface layout of an X server
// (0x00RRGGBB) and of a browser canvas (0xAABBGGRR), beside a memcpy of the
// window's bytes. Only our scaling and conversion are timed: the surfaces
// are SDL's dummy driver's, whose update costs nothing.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/img.h"
#include "platform/dpy.h"

namespace {

// The display opened at the scale asked, its window surface replaced by one
// of the layout asked; both are given back at the end.
class Window {
public:
    Window(int32_t scale, bool canvas) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("QUOR7706_SCALE", scale == 1 ? "1" : "4", 1);
        dpy_view_from_environment("bench");
        display_ = dpy_new();
        own_ = dpy_state.surface;
        const int side = 256 * scale;
        surface_ = canvas ? SDL_CreateRGBSurface(SDL_SWSURFACE, side, side, 32, 0x000000FF,
                                                 0x0000FF00, 0x00FF0000, 0xFF000000)
                          : SDL_CreateRGBSurface(SDL_SWSURFACE, side, side, 32, 0x00FF0000,
                                                 0x0000FF00, 0x000000FF, 0);
        dpy_state.surface = surface_;
        frame_ = img_new();
        img_resize(frame_, 256, 256);
        for (int32_t i = 0; i < 256 * 256; ++i)
            frame_->pixels[i] = static_cast<uint32_t>(i) * 2654435761u >> 8;
    }
    ~Window() {
        dpy_state.surface = own_;
        SDL_FreeSurface(surface_);
        img_free(&frame_);
        dpy_free(&display_);
        unsetenv("QUOR7706_SCALE");
        dpy_view_from_environment("bench");
        SDL_Quit();
    }
    void present() { dpy_present(display_, frame_); }
    bool ok() const { return display_ && surface_; }

private:
    Display* display_ = nullptr;
    SDL_Surface* own_ = nullptr;
    SDL_Surface* surface_ = nullptr;
    Image* frame_ = nullptr;
};

void BM_Present(benchmark::State& state) {
    Window window(static_cast<int32_t>(state.range(0)), state.range(1) != 0);
    if (!window.ok()) return state.SkipWithError("no window");
    for (auto _ : state)
        window.present();
    state.SetBytesProcessed(state.iterations() * 256 * 256 * 4 * state.range(0) * state.range(0));
}
BENCHMARK(BM_Present)
    ->ArgNames({"scale", "canvas"})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({4, 0})
    ->Args({4, 1});

// What the present at scale 4 is measured against: one copy of the window's 4 MiB.
void BM_MemcpyWindow(benchmark::State& state) {
    std::vector<uint8_t> from(1024 * 1024 * 4, 1), to(1024 * 1024 * 4);
    for (auto _ : state) {
        memcpy(to.data(), from.data(), to.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(to.size()));
}
BENCHMARK(BM_MemcpyWindow);

}  // namespace
