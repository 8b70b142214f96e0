// A self-timing report of the blur for builds without Google Benchmark (the
// 32-bit Windows one above all): per screen size, the memory floor and every
// path the processor has, taken in turn pass by pass so that whatever else
// the machine does falls on all of them alike; then whole frames
// (frame_timing.cpp).
//
// Output, one line per size and path (scripts/bench.sh reads the first four
// columns):
//   <width>x<height> <path> <ns per visible cell> <ms per frame> ...
// With --best-path, only the name of the path the saver would use here.
#include <cstdio>
#include <cstring>
#include <vector>

#include "blur/Blur.h"
#include "tests/bench/BenchClock.h"
#include "tests/bench/BlurBenchScene.h"
#include "tests/bench/FrameTiming.h"

namespace {

// The key of the floor pass: 0, but read through a volatile so the compiler
// cannot see that the write-back changes nothing.
volatile uint32_t floorKey = 0;

// The twinkle intervals the saver draws, 792 .. 2796, from a fixed sequence
// so every path sees the same ones.
int NextInterval(uint32_t& state) {
    state = state * 1103515245u + 12345u;
    return 792 + static_cast<int>((state >> 16) % 2005u);
}

// What is timed at a size: the floor (no path) and the supported paths.
struct Pass {
    const char* name;
    BlurFunction blur;  // null: the floor
    std::vector<double> times;
};

// One pass of each, in turn, the first of each round moving on by one,
// until each has at least 31 times and the round-robin about half a second.
// The field is filled afresh every 16 rounds, outside the timing, so the
// passes keep meeting a show's mix of glow and black.
void TimeInTurn(std::vector<Pass>& passes, uint16_t* surface, int pitch) {
    uint32_t state = 1;
    for (int warm = 0; warm < 3; ++warm) {
        for (Pass& pass : passes) {
            if (pass.blur) pass.blur(primarySky, surface, pitch, NextInterval(state));
        }
    }
    FillBenchField();
    double total = 0.0;
    for (int round = 0; round < 31 || (total < 500.0 && round < 2001); ++round) {
        if (round % 16 == 15) FillBenchField();
        for (size_t i = 0; i < passes.size(); ++i) {
            Pass& pass = passes[(i + round) % passes.size()];
            const int interval = NextInterval(state);
            const BenchClock::time_point start = BenchClock::now();
            if (pass.blur) {
                pass.blur(primarySky, surface, pitch, interval);
            } else {
                MemoryFloorPass(surface, pitch, floorKey);
            }
            const double ms = MsSince(start);
            pass.times.push_back(ms);
            total += ms;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The path the saver would use here, for scripts/bench.sh.
    if (argc > 1 && std::strcmp(argv[1], "--best-path") == 0) {
        std::printf("%s\n", BlurPathName(BestBlurPath()));
        return 0;
    }
    std::printf("# blur: medians of passes taken in turn; ns per visible cell, ms per frame\n");
    std::printf("# %-10s %-10s %9s %9s %12s %10s\n", "size", "path", "ns/cell", "ms/frame",
                "x reference", "x floor");
    for (const BenchSize& size : benchSizes) {
        if (!SetUpBenchField(size.width, size.height)) {
            std::printf("%dx%d: no memory for the field\n", size.width, size.height);
            return 1;
        }
        std::vector<Pass> passes;
        passes.push_back(Pass{"floor", nullptr, {}});
        for (int p = 0; p < blurPathCount; ++p) {
            const BlurPath path = static_cast<BlurPath>(p);
            if (BlurPathSupported(path)) passes.push_back(Pass{BlurPathName(path), BlurFunctionFor(path), {}});
        }
        {
            BenchSurface surface;
            TimeInTurn(passes, surface.data(), size.width);
        }
        const double cells = static_cast<double>(size.width) * size.height;
        const double floorMs = MedianOf(passes[0].times);
        const double referenceMs = MedianOf(passes[1].times);
        for (size_t i = 1; i < passes.size(); ++i) {
            const double ms = MedianOf(passes[i].times);
            std::printf("%4dx%-7d %-10s %9.3f %9.3f %12.2f %10.2f\n", size.width, size.height,
                        passes[i].name, ms * 1e6 / cells, ms, referenceMs / ms, ms / floorMs);
        }
        std::printf("%4dx%-7d %-10s %9.3f %9.3f\n", size.width, size.height, "floor",
                    floorMs * 1e6 / cells, floorMs);
        std::fflush(stdout);  // each size as soon as it is known
        FreeHeatField();
    }
    return TimeWholeFrames();
}
