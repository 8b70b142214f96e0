#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, with the project's prefix
# and code page 936, on a private X server when there is no display.
set -u
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/wine-env.sh"
source "$ROOT/scripts/xvfb.sh"
# GLIMMERAX_PREFIX_COPY: run in a copy of the prefix there (beside other
# Wine runs of the tests); otherwise in the prefix itself.
if [ -n "${GLIMMERAX_PREFIX_COPY:-}" ]; then
    glimmerax_private_prefix "$GLIMMERAX_PREFIX_COPY" unmanaged || exit 1
else
    glimmerax_prepare_prefix || exit 1
fi
own_x=0
if [ -z "${DISPLAY:-}" ]; then
    glimmerax_start_xvfb 1280x1024x24 || exit 1
    own_x=1
fi
wine "$@"
rc=$?
if [ $own_x = 1 ]; then
    wineserver -k 2>/dev/null || true
    glimmerax_stop_xvfb
fi
exit $rc
