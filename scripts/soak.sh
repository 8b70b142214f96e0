#!/usr/bin/env bash
# Run mode under Wine for a long time (SOAK_SECONDS, default 600) at
# 1280x1024 with a middle message, recording the process's memory every
# SOAK_EVERY seconds (default 30) into out/soak.csv; then a key must end it.
set -u
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export GLIMMERAX_BUILD="${GLIMMERAX_BUILD:-$ROOT/build/win32}"
export GLIMMERAX_SCR="${GLIMMERAX_SCR:-$ROOT/dist/Glimmerax.scr}"
source "$ROOT/tests/e2e/lib.sh"
SOAK_SECONDS="${SOAK_SECONDS:-600}"
SOAK_EVERY="${SOAK_EVERY:-30}"
e2e_begin soak one-monitor
e2e_ini "Resolution=3" "Fps=30" "FpsShow=1" "BottomText=Glimmerax" \
    "MidText=Happy New Year|@|Glimmerax|@|A third line to melt away"
mkdir -p "$ROOT/out"
csv="$ROOT/out/soak.csv"
echo "seconds,rss_kb,vsize_kb,threads" >"$csv"

e2e_start_bare /s
if ! e2e_poll 30 saver_window_found; then
    echo "soak: run mode did not start" >&2
    exit 1
fi
start=$SECONDS
sample() {
    local pid
    pid="$(saver_pids | head -n 1)"
    [ -n "$pid" ] || return 1
    awk -v t=$((SECONDS - start)) '
        /^VmRSS:/ { rss = $2 } /^VmSize:/ { vsz = $2 } /^Threads:/ { th = $2 }
        END { printf "%d,%d,%d,%d\n", t, rss, vsz, th }' "/proc/$pid/status"
}
next=0
while [ $((SECONDS - start)) -le "$SOAK_SECONDS" ]; do
    if [ $((SECONDS - start)) -ge $next ]; then
        line="$(sample)" || { echo "soak: the saver ended by itself" >&2; exit 1; }
        echo "$line" | tee -a "$csv"
        next=$((next + SOAK_EVERY))
    fi
    sleep 1
done
screenshot "$ROOT/out/soak-end.png"
pointer_on_screen
xdotool key space
if e2e_poll 5 saver_gone; then
    echo "soak: the key ended run mode"
else
    echo "soak: run mode did not end on a key" >&2
    exit 1
fi
first="$(sed -n 2p "$csv" | cut -d, -f2)"
last="$(tail -n 1 "$csv" | cut -d, -f2)"
echo "soak: resident memory ${first} kB at start, ${last} kB after ${SOAK_SECONDS} s (out/soak.csv)"
