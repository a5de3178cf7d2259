// Speed of the per-frame colour bars against a plain copy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "raster/raster.h"
#include "text/font.h"
#include "text/scroll.h"

namespace {

constexpr int32_t kSide = 256;

// A 256-colour raster of varied colours.
Raster* bench_raster() {
    Raster* raster = raster_new();
    uint32_t seed = 7;
    for (int32_t i = 0; i < raster->count; ++i) {
        seed = seed * 1103515245u + 12345u;
        raster->colours[i] = (seed >> 8) & 0xFFFFFF;
    }
    return raster;
}

Image* bench_image() {
    Image* image = img_new();
    img_resize(image, kSide, kSide);
    return image;
}

// The yardstick: memcpy of one 256 x 256 frame of 32-bit pixels.
void BM_MemcpyFrame(benchmark::State& state) {
    const size_t bytes = static_cast<size_t>(kSide) * kSide * sizeof(uint32_t);
    void* from = calloc(1, bytes);
    void* to = calloc(1, bytes);
    for (auto _ : state) {
        memcpy(to, from, bytes);
        benchmark::DoNotOptimize(to);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    free(from);
    free(to);
}
BENCHMARK(BM_MemcpyFrame);

// Paints one raster over a whole 256 x 256 image with the given operation.
template <typename Paint>
void paint_frame(benchmark::State& state, Paint paint) {
    Raster* raster = bench_raster();
    Image* image = bench_image();
    for (auto _ : state) {
        paint(raster, image);
        raster_step_forward(raster);
        benchmark::DoNotOptimize(image->pixels);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * kSide * kSide * sizeof(uint32_t)));
    raster_free(&raster);
    img_free(&image);
}

void BM_RasterDrawRows(benchmark::State& state) {
    paint_frame(state, [](Raster* r, Image* i) { raster_draw_rows(r, i); });
}
BENCHMARK(BM_RasterDrawRows);

void BM_RasterDrawColumns(benchmark::State& state) {
    paint_frame(state, [](Raster* r, Image* i) { raster_draw_columns(r, i); });
}
BENCHMARK(BM_RasterDrawColumns);

void BM_RasterBlendRows(benchmark::State& state) {
    paint_frame(state, [](Raster* r, Image* i) { raster_blend_rows(r, i, 96); });
}
BENCHMARK(BM_RasterBlendRows);

void BM_RasterBlendColumns(benchmark::State& state) {
    paint_frame(state, [](Raster* r, Image* i) { raster_blend_columns(r, i, 96); });
}
BENCHMARK(BM_RasterBlendColumns);

// The demo's per-frame smoothing: 256 colours, reach 2.
void BM_RasterSmooth256Reach2(benchmark::State& state) {
    Raster* raster = bench_raster();
    uint32_t seed = 1;
    for (auto _ : state) {
        seed = seed * 1103515245u + 12345u;
        raster->colours[(seed >> 16) & 255] = seed & 0xFFFFFF;  // as the demo does
        raster_smooth(raster, 2);
        benchmark::DoNotOptimize(raster->colours);
        benchmark::ClobberMemory();
    }
    raster_free(&raster);
}
BENCHMARK(BM_RasterSmooth256Reach2);

// The demo's scroll line: clear a 256 x 8 image, draw 33 glyphs of an 8 x 8
// font, move on by 2 pixels.
void BM_ScrollFrame(benchmark::State& state) {
    Font* font = font_new();
    font->width = 8;
    font->height = 8;
    font->image = img_new();
    img_resize(font->image, 256, 32);
    for (int32_t i = 0; i < 256 * 32; ++i)
        font->image->pixels[i] = (i % 3) ? 0xFFFFFF : 0;
    Image* line = img_new();
    img_resize(line, kSide, 8);
    Scroll* scroll = scroll_new();
    scroll_set(scroll, "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 ", font, line);
    scroll->speed = 2;
    for (auto _ : state) {
        img_clear(line);
        scroll_draw(scroll);
        scroll_update(scroll);
        benchmark::DoNotOptimize(line->pixels);
        benchmark::ClobberMemory();
    }
    scroll_free(&scroll);
    font_free(&font);
    img_free(&line);
}
BENCHMARK(BM_ScrollFrame);

}  // namespace
