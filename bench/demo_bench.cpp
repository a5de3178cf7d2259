// One typical frame of each demo part (everything but presenting and pacing)
// into a 256 x 256 screen; the browser build's benchmark mode times the same.
#include <benchmark/benchmark.h>

#include "program/part_bench.h"

namespace {

void BM_PartFrame(benchmark::State& state) {
    part_bench_start();
    const PartBench& part = part_benches[state.range(0)];
    state.SetLabel(part.name);
    part.begin();
    for (auto _ : state)
        part.frame();
    part.end();
}
BENCHMARK(BM_PartFrame)
    ->ArgName("part")
    ->DenseRange(0, part_bench_count - 1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
