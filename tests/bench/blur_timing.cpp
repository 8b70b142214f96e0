// A self-timing report of the blur for builds without Google Benchmark (the
// 32-bit Windows one above all): the median of many passes per path and
// screen size, beside the memory floor measured in the same run.
//
// Output, one line per size and path (scripts/bench.sh reads the first four
// columns):
//   <width>x<height> <path> <ns per visible cell> <ms per frame> ...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "blur/Blur.h"
#include "tests/bench/BlurBenchScene.h"

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

// Median milliseconds of one pass: a few passes to warm the caches, then at
// least 15 and until about a quarter of a second has gone.
template <typename Pass>
double MedianMs(Pass pass) {
    typedef std::chrono::steady_clock Clock;
    uint32_t state = 1;
    for (int i = 0; i < 3; ++i) pass(NextInterval(state));
    std::vector<double> times;
    double total = 0.0;
    while ((times.size() < 15 || total < 250.0) && times.size() < 2001) {
        const int interval = NextInterval(state);
        const Clock::time_point start = Clock::now();
        pass(interval);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        times.push_back(ms);
        total += ms;
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    std::printf("# blur: median of many passes; ns per visible cell, ms per frame\n");
    std::printf("# %-10s %-10s %9s %9s %12s %10s\n", "size", "path", "ns/cell", "ms/frame",
                "x reference", "x floor");
    for (const BenchSize& size : benchSizes) {
        if (!SetUpBenchField(size.width, size.height)) {
            std::printf("%dx%d: no memory for the field\n", size.width, size.height);
            return 1;
        }
        std::vector<uint16_t> surface = BenchSurface();
        const double cells = static_cast<double>(size.width) * size.height;
        const double floorMs =
            MedianMs([&](int) { MemoryFloorPass(surface.data(), size.width, floorKey); });
        double referenceMs = 0.0;
        for (int p = 0; p < blurPathCount; ++p) {
            const BlurPath path = static_cast<BlurPath>(p);
            if (!BlurPathSupported(path)) continue;
            const BlurFunction blur = BlurFunctionFor(path);
            SetUpBenchField(size.width, size.height);
            const double ms =
                MedianMs([&](int interval) { blur(surface.data(), size.width, interval); });
            if (path == blurReference) referenceMs = ms;
            std::printf("%4dx%-7d %-10s %9.3f %9.3f %12.2f %10.2f\n", size.width, size.height,
                        BlurPathName(path), ms * 1e6 / cells, ms, referenceMs / ms, ms / floorMs);
            std::fflush(stdout);  // each line as soon as it is known
        }
        std::printf("%4dx%-7d %-10s %9.3f %9.3f\n", size.width, size.height, "floor",
                    floorMs * 1e6 / cells, floorMs);
        FreeHeatField();
    }
    return 0;
}
