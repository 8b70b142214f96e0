// Benchmarks of the blur at the four display sizes, every path beside the
// memory floor measured in the same run, and of a whole engine frame at the
// largest size.
//
// Names: floor/<size>, blur/<path>/<size>, frame/<path>/<size>. The time
// column is ms per frame; per_cell is the time per visible cell.
#include <benchmark/benchmark.h>

#include <string>

#include "blur/Blur.h"
#include "engine/Engine.h"
#include "engine/Geometry.h"
#include "engine/Maths.h"
#include "engine/Particles.h"
#include "engine/Random.h"
#include "tests/bench/BlurBenchScene.h"

namespace {

// The saver's intervals, 792 .. 2796, from a fixed sequence.
int NextInterval(uint32_t& state) {
    state = state * 1103515245u + 12345u;
    return 792 + static_cast<int>((state >> 16) % 2005u);
}

void CountCells(benchmark::State& state, int width, int height) {
    // A rate of cells per second, inverted: the time per visible cell.
    state.counters["per_cell"] = benchmark::Counter(
        static_cast<double>(width) * height,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BenchFloor(benchmark::State& state, int width, int height) {
    if (!SetUpBenchField(width, height)) {
        state.SkipWithError("no memory for the field");
        return;
    }
    BenchSurface surface;
    uint32_t key = 0;
    benchmark::DoNotOptimize(key);  // unknown to the compiler: the write-back stays
    for (auto _ : state) {
        MemoryFloorPass(surface.data(), width, key);
        benchmark::ClobberMemory();
    }
    CountCells(state, width, height);
    FreeHeatField();
}

void BenchBlur(benchmark::State& state, BlurPath path, int width, int height) {
    if (!SetUpBenchField(width, height)) {
        state.SkipWithError("no memory for the field");
        return;
    }
    BenchSurface surface;
    const BlurFunction blur = BlurFunctionFor(path);
    uint32_t intervals = 1;
    for (auto _ : state) {
        blur(primarySky, surface.data(), width, NextInterval(intervals));
        benchmark::ClobberMemory();
    }
    CountCells(state, width, height);
    FreeHeatField();
}

// Bursts of every curve type in random places until about target particles
// live.
void TopUpParticles(int target) {
    while (particleCount < target) SpawnBurst(RandomBetween(3, 10), 100, 0, 0, 0);
}

// The engine's share of a frame as run mode makes it: the sweep moves and
// draws about 2,000 particles into the field, the blur writes the surface.
// The bursts that keep the count up are made outside the timing.
void BenchFrame(benchmark::State& state, int width, int height) {
    SetCanvasSize(width, height);
    if (!InitEngine()) {
        state.SkipWithError("no memory for the engine");
        return;
    }
    SeedRandom(2024);
    BenchSurface surface;
    const int target = 2000;
    // A few seconds of show first, so the field holds trails and glow.
    for (int i = 0; i < 120; ++i) {
        TopUpParticles(target);
        SweepParticles();
        BlurHeatField(surface.data(), width, RandomBetween(791, 2797));
    }
    double particles = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        TopUpParticles(target);
        particles += particleCount;
        state.ResumeTiming();
        SweepParticles();
        BlurHeatField(surface.data(), width, RandomBetween(791, 2797));
        benchmark::ClobberMemory();
    }
    CountCells(state, width, height);
    state.counters["particles"] =
        benchmark::Counter(particles, benchmark::Counter::kAvgIterations);
    ReleaseEngine();
}

void RegisterAll() {
    for (const BenchSize& size : benchSizes) {
        const std::string name = std::to_string(size.width) + "x" + std::to_string(size.height);
        const int width = size.width;
        const int height = size.height;
        benchmark::RegisterBenchmark(("floor/" + name).c_str(), [=](benchmark::State& state) {
            BenchFloor(state, width, height);
        })->Unit(benchmark::kMillisecond);
        for (int p = 0; p < blurPathCount; ++p) {
            const BlurPath path = static_cast<BlurPath>(p);
            if (!BlurPathSupported(path)) continue;
            benchmark::RegisterBenchmark(
                ("blur/" + std::string(BlurPathName(path)) + "/" + name).c_str(),
                [=](benchmark::State& state) { BenchBlur(state, path, width, height); })
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RegisterBenchmark(
        ("frame/" + std::string(BlurPathName(BestBlurPath())) + "/1280x1024").c_str(),
        [](benchmark::State& state) { BenchFrame(state, 1280, 1024); })
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
