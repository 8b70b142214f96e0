#!/usr/bin/env bash
# Adds up what `make test` ran: the native and the Win32 unit tests, counted
# inside their runs, and the end-to-end checks.
set -u
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
native="$ROOT/build/native/ctest.log"
arch="$(bash "$ROOT/scripts/wine-arch.sh")"
win="$ROOT/build/$arch/ctest.log"
passed=0
failed=0
# The sums of GoogleTest's "[  PASSED  ] N tests." and "[  FAILED  ] N
# tests, listed below" lines of a ctest log, and of its end-to-end scripts'
# "N passed, M failed" lines, and the failed tests that printed no count of
# their failures (a crash, a sanitizer's report, a time-out): "GP GF EP EF
# LOST". Each of those is one failure more, so that a failed run never adds
# up to none failed.
counts() {
    sed -E 's/^[0-9]+: //' "$1" | awk '
        /^\[  PASSED  \] [0-9]+ tests?\./ { gp += $4 }
        /^\[  FAILED  \] [0-9]+ tests?, listed below/ { gf += $4; listed++ }
        /^[0-9]+ passed, [0-9]+ failed$/ { ep += $1; ef += $3; if ($3 > 0) listed++ }
        /\*\*\*Failed|\*\*\*Exception|\*\*\*Timeout/ { broken++ }
        END {
            lost = broken - listed; if (lost < 0) lost = 0
            print gp + 0, gf + 0, ep + 0, ef + 0, lost }'
}
if [ -f "$native" ]; then
    read -r np nf _ _ lost < <(counts "$native")
    passed=$((passed + np))
    failed=$((failed + nf + lost))
    echo "native unit tests: $np passed, $nf failed"
    [ "$lost" = 0 ] || echo "native test processes that failed without their counts: $lost (build/native/ctest.log)"
fi
if [ -f "$win" ]; then
    read -r wp wf ep ef lost < <(counts "$win")
    echo "Windows unit tests under Wine ($arch): $wp passed, $wf failed"
    echo "end-to-end checks under Wine: $ep passed, $ef failed"
    [ "$lost" = 0 ] || echo "Windows tests that failed without their counts: $lost (build/$arch/ctest.log)"
    passed=$((passed + wp + ep))
    failed=$((failed + wf + ef + lost))
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
