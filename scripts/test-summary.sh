#!/usr/bin/env bash
# Adds up what `make test` ran: the native tests (one ctest test each), the
# Win32 unit tests counted inside their Wine run, and the end-to-end checks.
set -u
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
native="$ROOT/build/native/ctest.log"
arch="$(bash "$ROOT/scripts/wine-arch.sh")"
win="$ROOT/build/$arch/ctest.log"
passed=0
failed=0
if [ -f "$native" ]; then
    total=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2/p' "$native" | tail -n 1)
    bad=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1/p' "$native" | tail -n 1)
    passed=$((passed + ${total:-0} - ${bad:-0}))
    failed=$((failed + ${bad:-0}))
    echo "native unit tests: $(( ${total:-0} - ${bad:-0} )) passed, ${bad:-0} failed"
fi
if [ -f "$win" ]; then
    stripped="$(mktemp)"
    sed -E 's/^[0-9]+: //' "$win" >"$stripped"
    wp=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$stripped" | awk '{ s += $1 } END { print s + 0 }')
    wf=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\1/p' "$stripped" | awk '{ s += $1 } END { print s + 0 }')
    ep=$(sed -n 's/^\([0-9]*\) passed, \([0-9]*\) failed$/\1/p' "$stripped" | awk '{ s += $1 } END { print s + 0 }')
    ef=$(sed -n 's/^\([0-9]*\) passed, \([0-9]*\) failed$/\2/p' "$stripped" | awk '{ s += $1 } END { print s + 0 }')
    rm -f "$stripped"
    echo "Windows unit tests under Wine ($arch): ${wp:-0} passed, ${wf:-0} failed"
    echo "end-to-end checks under Wine: ${ep:-0} passed, ${ef:-0} failed"
    passed=$((passed + ${wp:-0} + ${ep:-0}))
    failed=$((failed + ${wf:-0} + ${ef:-0}))
fi
# Where the time went: each phase of make test, then each Windows test.
phases="$ROOT/build/test-logs/phases.txt"
if [ -s "$phases" ]; then
    echo "time of each phase (s; the builds and the prefix overlap, and so do the two test runs):"
    awk '{ printf "  %-14s %4d\n", $1, $2 }' "$phases"
fi
if [ -f "$win" ]; then
    echo "Windows tests (s):"
    sed -E 's/^[0-9]+: //' "$win" |
        awk '/Test +#[0-9]+: / { for (i = 1; i <= NF; ++i) if ($i == "sec") printf "  %-28s %7s %s\n", $4, $(i-1), $(i-2) }'
fi
echo "Total: $passed passed, $failed failed"
