#!/usr/bin/env bash
# make dist in two clean clones of this commit, in folders of different names
# and depths, gives the same saver and the same archive, byte for byte.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
if ! git -C "$E2E_ROOT" rev-parse HEAD >/dev/null 2>&1; then
    echo "skipped: not a git checkout, nothing to clone"
    e2e_finish
    exit
fi
log="$E2E_BUILD/e2e/reproducible.log"
mkdir -p "$(dirname "$log")"
if REPRO_DIR="$E2E_BUILD/e2e/reproducible" bash "$E2E_ROOT/scripts/check-reproducible.sh" >"$log" 2>&1; then
    ok "two clean builds of this commit give the same Glimmerax.scr and archive"
else
    fail "two clean builds of this commit differ or failed"
fi
tail -n 8 "$log"
e2e_finish
