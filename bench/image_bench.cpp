// Image library speed on the demo's sizes: a 256 x 256 screen, 128 x 128 and
// 12 to 22 pixel sources. memcpy of one screen (256 KB) is the reference line
// for the whole-image operations.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/img.h"

namespace {

// An image of the given size filled with a fixed pattern; roughly one pixel
// in eight is 0, so the transparent copies have something to skip.
Image* patterned(int32_t w, int32_t h) {
    Image* image = img_new();
    img_resize(image, w, h);
    uint32_t v = 12345;
    for (int64_t i = 0; i < static_cast<int64_t>(w) * h; ++i) {
        v = v * 1103515245u + 12345u;
        image->pixels[i] = (v >> 5) % 8 == 0 ? 0 : (v >> 8) & 0xFFFFFF;
    }
    return image;
}

void BM_Memcpy256K(benchmark::State& state) {
    std::vector<uint32_t> a(256 * 256, 1), b(256 * 256);
    for (auto _ : state) {
        memcpy(b.data(), a.data(), a.size() * sizeof(uint32_t));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 256 * 256 * 4);
}
BENCHMARK(BM_Memcpy256K);

void BM_Clear(benchmark::State& state) {
    Image* screen = patterned(256, 256);
    for (auto _ : state) {
        img_clear(screen);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 256 * 256 * 4);
    img_free(&screen);
}
BENCHMARK(BM_Clear);

void BM_Copy(benchmark::State& state) {
    Image* a = patterned(256, 256);
    Image* b = patterned(256, 256);
    for (auto _ : state) {
        img_copy(a, b);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 256 * 256 * 4);
    img_free(&a);
    img_free(&b);
}
BENCHMARK(BM_Copy);

void BM_Fade(benchmark::State& state) {
    Image* screen = patterned(256, 256);
    for (auto _ : state) {
        img_fade(screen, 0x010101);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 256 * 256 * 4);
    img_free(&screen);
}
BENCHMARK(BM_Fade);

// A 128 x 128 picture copied onto the 256 x 256 screen by copy, once per iteration.
template <typename Copy>
void copy_128(benchmark::State& state, Copy copy) {
    Image* src = patterned(128, 128);
    Image* screen = patterned(256, 256);
    for (auto _ : state) {
        copy(src, screen);
        benchmark::ClobberMemory();
    }
    img_free(&src);
    img_free(&screen);
}

void BM_Blit128(benchmark::State& state) {
    copy_128(state, [](Image* s, Image* d) { img_blit(s, d, 0, 0, 60, 70, 128, 128); });
}
BENCHMARK(BM_Blit128);

void BM_BlitTransparent128(benchmark::State& state) {
    copy_128(state, [](Image* s, Image* d) { img_blit_transparent(s, d, 0, 0, 60, 70, 128, 128); });
}
BENCHMARK(BM_BlitTransparent128);

// One tile of each size from 12 to 22 pixels, all on the screen.
void BM_BlitTransparentTiles12to22(benchmark::State& state) {
    std::vector<Image*> tiles;
    for (int32_t s = 12; s <= 22; ++s)
        tiles.push_back(patterned(s, s));
    Image* screen = patterned(256, 256);
    for (auto _ : state) {
        int32_t x = 0;
        for (Image* t : tiles) {
            img_blit_transparent(t, screen, 0, 0, x, 100, t->width, t->height);
            x += 23;
        }
        benchmark::ClobberMemory();
    }
    for (Image* t : tiles)
        img_free(&t);
    img_free(&screen);
}
BENCHMARK(BM_BlitTransparentTiles12to22);

// The demo's tile field: 2048 transparent 16 x 16 tiles a frame, of which
// 90% lie wholly off the 256 x 256 screen.
void BM_BlitTransparent2048Tiles(benchmark::State& state) {
    Image* tile = patterned(16, 16);
    Image* screen = patterned(256, 256);
    std::vector<std::pair<int32_t, int32_t>> places;
    uint32_t v = 99;
    for (int i = 0; i < 2048; ++i) {
        v = v * 1103515245u + 12345u;
        const int32_t x = static_cast<int32_t>((v >> 8) % 240);
        const int32_t y = static_cast<int32_t>((v >> 16) % 240);
        if (i % 10 == 0)
            places.emplace_back(x, y);  // on screen
        else
            places.emplace_back(x + 300 + i % 200, y - 600);  // wholly off
    }
    for (auto _ : state) {
        for (const auto& [x, y] : places)
            img_blit_transparent(tile, screen, 0, 0, x, y, 16, 16);
        benchmark::ClobberMemory();
    }
    img_free(&tile);
    img_free(&screen);
}
BENCHMARK(BM_BlitTransparent2048Tiles)->Unit(benchmark::kMicrosecond);

void BM_BlendAt128(benchmark::State& state) {
    copy_128(state, [](Image* s, Image* d) { img_blend_at(s, d, 64, 64); });
}
BENCHMARK(BM_BlendAt128);

void BM_Scale(benchmark::State& state) {
    Image* src =
        patterned(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    Image* dst =
        patterned(static_cast<int32_t>(state.range(2)), static_cast<int32_t>(state.range(3)));
    for (auto _ : state) {
        img_scale(src, dst);
        benchmark::ClobberMemory();
    }
    img_free(&src);
    img_free(&dst);
}
BENCHMARK(BM_Scale)->Args({320, 64, 256, 64})->Args({128, 128, 22, 22});

void BM_Rotate128(benchmark::State& state) {
    Image* src = patterned(128, 128);
    int32_t angle = 0;
    for (auto _ : state) {
        Image* r = img_rotate(src, angle);
        benchmark::DoNotOptimize(r);
        img_free(&r);
        angle += 7;
    }
    img_free(&src);
}
BENCHMARK(BM_Rotate128);

void BM_FromPnmP6_128(benchmark::State& state) {
    Image* src = patterned(128, 128);
    std::string blob = "P6\n# picture\n128 128\n255\n";
    for (int32_t i = 0; i < 128 * 128; ++i) {
        blob += static_cast<char>(src->pixels[i] >> 16);
        blob += static_cast<char>(src->pixels[i] >> 8);
        blob += static_cast<char>(src->pixels[i]);
    }
    img_free(&src);
    for (auto _ : state) {
        Image* image = img_from_pnm(reinterpret_cast<const uint8_t*>(blob.data()));
        benchmark::DoNotOptimize(image);
        img_free(&image);
    }
}
BENCHMARK(BM_FromPnmP6_128);

}  // namespace
