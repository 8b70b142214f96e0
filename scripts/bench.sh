#!/usr/bin/env bash
# Builds and runs the benchmarks: Google Benchmark natively (the blur on every
# path beside the memory floor, and a whole frame), then the self-timing
# report (the floor and every path taken in turn, then whole frames at every
# display mode) natively and as the 32-bit Windows build under Wine, the two
# builds alternating round by round, and prints the ratios that matter with
# their spread over the rounds.
#
# Environment: JOBS (default 2), REPS (Google Benchmark repetitions, default
# 10), MIN_TIME (seconds per repetition, default 0.1), ROUNDS (rounds of the
# two self-timing reports, default 5).
set -eu
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
JOBS="${JOBS:-2}"
REPS="${REPS:-10}"
MIN_TIME="${MIN_TIME:-0.1}"
ROUNDS="${ROUNDS:-5}"
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

# A prefix of its own for the 32-bit report: a console program needs nothing
# of the shared one, and its own wine server cannot be stopped by other Wine
# runs finishing.
# Bounded in time: a prefix being made by a Wine that cannot start its
# 32-bit half can wait for ever.
run_win32() {
    WINEPREFIX="${BENCH_WINEPREFIX:-$ROOT/build/wineprefix-bench}" timeout "${WINE_TIMEOUT:-900}" \
        bash scripts/wine-run.sh "$WIN32DIR/glimmerax_timing.exe" 2>"$OUT/wine-stderr.txt" | tr -d '\r'
}
run_native() { "$NATIVE/glimmerax_timing"; }

echo
echo "== self-timing reports, $ROUNDS rounds, native and 32-bit Windows under Wine in turn"
rm -f "$OUT"/timing-native-*.txt "$OUT"/timing-win32-*.txt
win32_ok=1
# Wine's 32-bit loader must start at all (a kernel without 32-bit support
# and no emulator for it cannot).
if ! wine --version >"$OUT/wine-stderr.txt" 2>&1; then win32_ok=0; fi
for round in $(seq 1 "$ROUNDS"); do
    # Which build goes first alternates, so neither always meets the other's
    # after-effects (or a change in the machine's load) first.
    if [ $((round % 2)) = 1 ]; then order="native win32"; else order="win32 native"; fi
    for build in $order; do
        if [ "$build" = native ]; then
            run_native >"$OUT/timing-native-$round.txt"
        elif [ $win32_ok = 1 ]; then
            run_win32 >"$OUT/timing-win32-$round.txt" || true
            if ! grep -q ' frame ' "$OUT/timing-win32-$round.txt"; then
                win32_ok=0
                rm -f "$OUT/timing-win32-$round.txt"
            fi
        fi
    done
    echo "  round $round done"
done
# Wine's 32-bit loader is a 32-bit Linux program. Where the kernel hands
# those to an emulator (a binfmt_misc entry for i386, e.g. qemu-user's), the
# 32-bit figures time the emulator, not the build.
for entry in /proc/sys/fs/binfmt_misc/qemu-i386 /proc/sys/fs/binfmt_misc/i386; do
    if [ -r "$entry" ] && head -n 1 "$entry" | grep -qx enabled; then
        echo "  NOTE: 32-bit programs run under $(sed -n 's/^interpreter //p' "$entry") here;"
        echo "        the win32 figures below measure that emulator, not the processor"
    fi
done
if [ $win32_ok = 0 ]; then
    echo "  the 32-bit build could not be run under Wine here; its output:"
    sed 's/^/    /' "$OUT/wine-stderr.txt" | head -n 5
fi
echo
echo "== self-timing report, native, round 1"
cat "$OUT/timing-native-1.txt"

# Lines "<size> <path> <ns/cell> <ms/frame> ...", one file per build and
# round. For each ratio: the median over the rounds and its spread (the
# least and the greatest, and half their distance as a share of the median).
awk -v rounds="$ROUNDS" -v best="$("$NATIVE/glimmerax_timing" --best-path 2>/dev/null || echo avx512vbmi)" '
    function median(list, n,   v, i, j, t) {
        split(list, v, " ")
        for (i = 2; i <= n; ++i) for (j = i; j > 1 && v[j - 1] > v[j]; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
        return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    }
    function spread(list, n,   v, i, lo, hi, m) {
        split(list, v, " "); lo = hi = v[1]
        for (i = 2; i <= n; ++i) { if (v[i] < lo) lo = v[i]; if (v[i] > hi) hi = v[i] }
        m = median(list, n)
        return sprintf("%5.2f  [%4.2f-%4.2f] +/-%4.1f%%", m, lo, hi, m > 0 ? 50 * (hi - lo) / m : 0)
    }
    /^#/ || NF < 4 { next }
    {
        build = FILENAME ~ /win32/ ? "win32" : "native"
        round = FILENAME; sub(/.*-/, "", round); sub(/\.txt$/, "", round)
        ms[build, round, $1, $2] = $4
        ns[build, round, $1, $2] = $3
        if (!(($1, $2) in seen)) { seen[$1, $2] = 1; key[++keys] = $1 SUBSEP $2 }
        if (!($1 in sizeSeen)) { sizeSeen[$1] = 1; sizes[++nsizes] = $1 }
        if (build == "win32") haveWin32[round] = 1
        if (build == "native") haveNative[round] = 1
    }
    END {
        nr = 0
        for (r = 1; r <= rounds; ++r) if ((r in haveWin32) && (r in haveNative)) paired[++nr] = r
        if (nr > 0) {
            printf "\n== win32 / native, ms per frame: median over %d rounds [least-greatest] +/- half the range\n", nr
            printf "  %-10s %-10s %9s %9s  %s\n", "size", "path", "native", "win32", "ratio"
            for (k = 1; k <= keys; ++k) {
                split(key[k], part, SUBSEP)
                nl = ""; wl = ""; rl = ""; n = 0
                for (i = 1; i <= nr; ++i) {
                    r = paired[i]
                    if (!((("native", r, part[1], part[2]) in ms) && (("win32", r, part[1], part[2]) in ms))) continue
                    a = ms["native", r, part[1], part[2]]; b = ms["win32", r, part[1], part[2]]
                    if (a <= 0) continue
                    nl = nl " " a; wl = wl " " b; rl = rl " " b / a; ++n
                }
                if (n == 0) continue
                printf "  %-10s %-10s %9.3f %9.3f  %s\n", part[1], part[2], median(nl, n), median(wl, n), spread(rl, n)
            }
        }
        printf "\n== native: the best path (%s) / the floor, per round\n", best
        for (s = 1; s <= nsizes; ++s) {
            rl = ""; n = 0
            for (r = 1; r <= rounds; ++r) {
                if (!((("native", r, sizes[s], best) in ms) && (("native", r, sizes[s], "floor") in ms))) continue
                rl = rl " " ms["native", r, sizes[s], best] / ms["native", r, sizes[s], "floor"]; ++n
            }
            if (n > 0) printf "  %-10s %s\n", sizes[s], spread(rl, n)
        }
        printf "\n== whole frames (timers, sweep, blur, texts), ms per frame\n"
        printf "  %-10s %9s %9s  %s\n", "size", "native", "win32", "win32 / native"
        for (s = 1; s <= nsizes; ++s) {
            nl = ""; n = 0; wl = ""; rl = ""; m = 0
            for (r = 1; r <= rounds; ++r) {
                if (!(("native", r, sizes[s], "frame") in ms)) continue
                a = ms["native", r, sizes[s], "frame"]; nl = nl " " a; ++n
                if (("win32", r, sizes[s], "frame") in ms) { b = ms["win32", r, sizes[s], "frame"]; wl = wl " " b; rl = rl " " b / a; ++m }
            }
            if (n == 0) continue
            if (m > 0) printf "  %-10s %9.3f %9.3f  %s\n", sizes[s], median(nl, n), median(wl, m), spread(rl, m)
            else printf "  %-10s %9.3f %9s  %s\n", sizes[s], median(nl, n), "-", "(no 32-bit run)"
        }
        # Another sky (a 1920x1080 monitor beside the primary, as tall as the
        # mode): its frame per cell against the primary whole frame per cell
        # (at most 1.2 wanted), and the primary with two such skies.
        printf "\n== another sky (1920x1080 monitor): ns per cell against the primary whole frame, median over the rounds\n"
        printf "  %-10s %-7s %9s %9s  %-32s %s\n", "mode", "build", "sky ms", "frame ms", "sky/frame per cell", "frame + 2 skies ms"
        for (s = 1; s <= nsizes; ++s) {
            for (b = 1; b <= 2; ++b) {
                build = b == 1 ? "native" : "win32"
                sl = ""; fl = ""; rl = ""; tl = ""; n = 0
                for (r = 1; r <= rounds; ++r) {
                    if (!(((build, r, sizes[s], "sky") in ms) && ((build, r, sizes[s], "frame") in ms))) continue
                    a = ms[build, r, sizes[s], "sky"]; f = ms[build, r, sizes[s], "frame"]
                    sl = sl " " a; fl = fl " " f; tl = tl " " (f + 2 * a)
                    rl = rl " " ns[build, r, sizes[s], "sky"] / ns[build, r, sizes[s], "frame"]; ++n
                }
                if (n == 0) continue
                printf "  %-10s %-7s %9.3f %9.3f  %-32s %9.3f\n", sizes[s], build, median(sl, n), median(fl, n),
                       spread(rl, n), median(tl, n)
            }
        }
    }' "$OUT"/timing-native-*.txt $(ls "$OUT"/timing-win32-*.txt 2>/dev/null)
