#!/usr/bin/env bash
# Builds and runs the benchmarks: Google Benchmark natively (the blur on every
# path beside the memory floor, and a whole frame), then the self-timing
# report natively and as the 32-bit Windows build under Wine, and prints the
# ratios that matter from this one run.
#
# Environment: JOBS (default 2), REPS (repetitions, default 10),
# MIN_TIME (seconds per repetition, default 0.1).
set -eu
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
JOBS="${JOBS:-2}"
REPS="${REPS:-10}"
MIN_TIME="${MIN_TIME:-0.1}"
NATIVE=build/bench
WIN32DIR=build/bench-win32
OUT="$NATIVE/results"

echo "== building $NATIVE and $WIN32DIR"
cmake -S . -B "$NATIVE" -DCMAKE_BUILD_TYPE=Release -DGLIMMERAX_BENCH=ON -DGLIMMERAX_TESTS=OFF \
    >/dev/null
cmake --build "$NATIVE" -j"$JOBS" --target glimmerax_bench glimmerax_timing >/dev/null
cmake -S . -B "$WIN32DIR" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DGLIMMERAX_BENCH=ON -DGLIMMERAX_TESTS=OFF >/dev/null
cmake --build "$WIN32DIR" -j"$JOBS" --target glimmerax_timing >/dev/null
mkdir -p "$OUT"

echo
echo "== Google Benchmark, native: medians of $REPS repetitions"
"$NATIVE/glimmerax_bench" --benchmark_repetitions="$REPS" --benchmark_min_time="$MIN_TIME" \
    --benchmark_report_aggregates_only=true --benchmark_display_aggregates_only=true \
    | tee "$OUT/bench.txt" | grep -E '^(Benchmark|-+$|.*_median)'

# The median rows: "<name>_median <time> ms <cpu> ms <iterations> ...".
echo
echo "== ratios of the medians (the time per frame of each, at each size)"
awk '
    $1 ~ /_median$/ {
        name = $1; sub(/_median$/, "", name)
        n = split(name, part, "/")
        size = part[n]
        if (part[1] == "floor") floorMs[size] = $2
        else if (part[1] == "blur") { blurMs[size, part[2]] = $2; if (!seen[size]++) order[++count] = size }
        else if (part[1] == "frame") frame = frame sprintf("  whole frame %s (%s): %.3f ms\n", size, part[2], $2)
    }
    END {
        printf "  %-10s %-10s %10s %12s %9s\n", "size", "path", "ms/frame", "x reference", "x floor"
        split("reference sse2 avx2 avx512 avx512vbmi", paths, " ")
        for (i = 1; i <= count; ++i) {
            size = order[i]
            for (j = 1; j <= 5; ++j) {
                p = paths[j]
                if (!((size, p) in blurMs)) continue
                printf "  %-10s %-10s %10.3f %12.2f %9.2f\n", size, p, blurMs[size, p],
                       blurMs[size, "reference"] / blurMs[size, p], blurMs[size, p] / floorMs[size]
            }
        }
        printf "%s", frame
    }' "$OUT/bench.txt"

echo
echo "== self-timing report, native"
"$NATIVE/glimmerax_timing" | tee "$OUT/timing-native.txt"

echo
echo "== self-timing report, 32-bit Windows build under Wine"
# A prefix of its own: a console program needs nothing of the shared one, and
# its own wine server cannot be stopped by other Wine runs finishing.
WINEPREFIX="${BENCH_WINEPREFIX:-$ROOT/build/wineprefix-bench}" \
    bash scripts/wine-run.sh "$WIN32DIR/glimmerax_timing.exe" | tr -d '\r' | tee "$OUT/timing-win32.txt"

echo
echo "== win32 / native, ms per frame"
awk '
    FNR == 1 { file++ }
    /^#/ || NF < 4 { next }
    file == 1 { native[$1, $2] = $4; next }
    file == 2 && (($1, $2) in native) {
        printf "  %-10s %-10s native %8.3f  win32 %8.3f  ratio %5.2f\n", $1, $2, native[$1, $2], $4,
               $4 / native[$1, $2]
    }' "$OUT/timing-native.txt" "$OUT/timing-win32.txt"
