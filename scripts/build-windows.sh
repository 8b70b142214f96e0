#!/usr/bin/env bash
# Builds what the Windows tests of this machine's Wine run. win32: the 32-bit
# tree whole, the product and its tests. win64: the product first (the
# release checks look at it), then the 64-bit twin's tree whole.
# Environment: GLIMMERAX_WINE_ARCH (default scripts/wine-arch.sh's answer),
# JOBS (default 2). The trees must be configured (make configure-win32, and
# configure-win64 for win64).
set -eu
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
ARCH="${GLIMMERAX_WINE_ARCH:-$(bash scripts/wine-arch.sh)}"
JOBS="${JOBS:-2}"
if [ "$ARCH" = win64 ]; then
    cmake --build build/win32 -j"$JOBS" --target Glimmerax
    cmake --build build/win64 -j"$JOBS" --target all glimmerax_wintests
else
    cmake --build build/win32 -j"$JOBS" --target all glimmerax_wintests
fi
