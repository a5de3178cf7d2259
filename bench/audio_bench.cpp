// Sample arithmetic and text reading at the sizes the program uses: the
// music's one-second mix (seven voices added, then divided by 8) and the text
// form of a one-second sample.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "audio/sample.h"

namespace {

// A sample of n values spread over the 16-bit range.
Sample* noise(int32_t n, uint32_t seed) {
    Sample* s = sample_new();
    sample_set_length(s, n);
    for (int32_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        sample_set(s, static_cast<int32_t>(seed >> 16) - 32768, i);
    }
    return s;
}

// One change of the music: seven voices added into the mix, then >> 3.
void BM_MixOneSecond(benchmark::State& state) {
    Sample* mix = noise(44100, 1);
    Sample* voices[7];
    for (uint32_t v = 0; v < 7; ++v)
        voices[v] = noise(50000, v + 2);
    for (auto _ : state) {
        for (Sample* voice : voices)
            sample_add(mix, voice);
        sample_shift_right(mix, 3);
        benchmark::DoNotOptimize(mix->data);
    }
    state.SetItemsProcessed(state.iterations() * 44100);
    for (Sample*& voice : voices)
        sample_free(&voice);
    sample_free(&mix);
}
BENCHMARK(BM_MixOneSecond);

// Reading the text form of one second of values.
void BM_FromText(benchmark::State& state) {
    Sample* s = noise(44100, 7);
    char* text = sample_to_text(s);
    for (auto _ : state) {
        Sample* back = sample_from_text(text);
        benchmark::DoNotOptimize(back);
        sample_free(&back);
    }
    state.SetItemsProcessed(state.iterations() * 44100);
    free(text);
    sample_free(&s);
}
BENCHMARK(BM_FromText);

// Writing the text form of one second of values.
void BM_ToText(benchmark::State& state) {
    Sample* s = noise(44100, 9);
    for (auto _ : state) {
        char* text = sample_to_text(s);
        benchmark::DoNotOptimize(text);
        free(text);
    }
    state.SetItemsProcessed(state.iterations() * 44100);
    sample_free(&s);
}
BENCHMARK(BM_ToText);

}  // namespace
