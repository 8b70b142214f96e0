#!/usr/bin/env bash
# make test: builds every tree and runs every test, overlapping what does not
# depend on each other, and prints the counts and the time of each phase.
#   1. The Wine prefix is made while the native (sanitised) and Windows
#      trees build side by side.
#      The native tests run once their tree is built, beside the rest.
#   2. Once the Windows tree and the prefix are ready, the Windows tests
#      (Win32 unit tests and the end-to-end scripts, each in a copy of the
#      prefix on an X server of its own) run side by side, beside the
#      native build and tests if those still run.
# Environment: JOBS (compile jobs per tree, default 2), CTEST_JOBS_WINDOWS
# (Windows tests at once, default 4; they mostly wait on Wine and X).
set -u
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
JOBS="${JOBS:-2}"
ARCH="$(bash scripts/wine-arch.sh)"
export GLIMMERAX_WINE_ARCH="$ARCH"
WINDIR="build/$ARCH"
LOGS="build/test-logs"
mkdir -p "$LOGS"
TIMES="$LOGS/phases.txt"
: >"$TIMES"
rm -f "$LOGS"/*.rc
started=$SECONDS

# "NAME SECONDS" for the summary.
phase_done() { echo "$1 $(($2))" >>"$TIMES"; }

# Runs "$@" with its output in LOGS/NAME.log; the exit code in LOGS/NAME.rc.
logged() {
    local name="$1"
    shift
    local t0=$SECONDS
    "$@" >"$LOGS/$name.log" 2>&1
    local rc=$?
    echo $rc >"$LOGS/$name.rc"
    phase_done "$name" $((SECONDS - t0))
    return $rc
}
show_if_failed() { [ "$(cat "$LOGS/$1.rc" 2>/dev/null)" = 0 ] || { echo "---- $1 failed:"; tail -n 40 "$LOGS/$1.log"; }; }

make --no-print-directory configure-native configure-win32 >/dev/null || exit 1
[ "$ARCH" = win64 ] && { make --no-print-directory configure-win64 >/dev/null || exit 1; }

echo "== building the native and Windows trees and making the Wine prefix ($ARCH); the native tests"
prefix_step() { bash -c 'source scripts/wine-env.sh && glimmerax_prepare_prefix'; }
build_windows() { JOBS="$JOBS" bash scripts/build-windows.sh; }
# The native tests run as soon as their tree is built, beside the rest of
# the Windows build, a little nicer than it and than the Windows tests: those
# are the longer path, and the native tests finish well within it on what
# they leave.
native_step() {
    logged build-native cmake --build build/native -j"$JOBS" &&
        logged tests-native nice -n 5 env CTEST_JOBS=2 bash scripts/ctest.sh build/native
}
logged prefix prefix_step &
prefix_pid=$!
native_step &
native_pid=$!
logged build-windows build_windows &
windows_pid=$!
wait $prefix_pid
wait $windows_pid
for step in prefix build-windows; do show_if_failed $step; done
if [ "$(cat "$LOGS/build-windows.rc")" = 0 ]; then
    # Beside the native tests, if they still run: those are the ones that
    # can use the cores the Windows tests leave while they wait on Wine.
    echo "== running the Windows tests"
    logged tests-windows env CTEST_JOBS="${CTEST_JOBS_WINDOWS:-4}" bash scripts/ctest.sh "$WINDIR"
fi
wait $native_pid
show_if_failed build-native
if [ "$(cat "$LOGS/build-native.rc")" != 0 ] || [ "$(cat "$LOGS/build-windows.rc")" != 0 ]; then
    echo "make test: a build failed"
    exit 1
fi
cat "$LOGS/tests-native.log" "$LOGS/tests-windows.log"
phase_done total $((SECONDS - started))

echo
bash scripts/test-summary.sh
[ "$(cat "$LOGS/tests-native.rc")" = 0 ] && [ "$(cat "$LOGS/tests-windows.rc")" = 0 ]
