#!/usr/bin/env bash
# Runs ctest in a build folder with its whole output kept in ctest.log (the
# counts inside the Wine runs are read from there); shows the outline, and
# everything of a test that failed.
set -u
cd "$1" || exit 1
# CTEST_JOBS tests at once (the Wine tests each have a prefix and an X
# server of their own).
ctest -V -j"${CTEST_JOBS:-1}" >ctest.log 2>&1
rc=$?
sed -E 's/^[0-9]+: //' ctest.log |
    grep -E '^ *[0-9]+/[0-9]+ Test|tests passed|^(ok|FAIL): |^[0-9]+ passed, [0-9]+ failed$|^\[==========\] [0-9]+ tests? from [0-9]+ test (suite|case)s? ran'
if [ $rc != 0 ]; then
    echo "---- ctest failed; the failing output:"
    grep -E -B2 -A20 '(^|: )FAIL: |Failure$|\[  FAILED  \]|\*\*\*(Failed|Timeout)' ctest.log | head -n 300
fi
exit $rc
