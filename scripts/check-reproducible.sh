#!/usr/bin/env bash
# Builds the release twice, with `make dist` in two clean clones of this
# commit in folders of different names and depths, and compares the two
# Glimmerax.scr and the two archives byte for byte. Prints both SHA-256 sums;
# exits 1 when they differ. Two builds of the saver alone: well under a
# minute on two cores, more on a loaded machine.
#
# Environment: REPRO_DIR (where the clones go, default a new folder under
# /tmp; removed afterwards unless KEEP=1), JOBS (default 2).
set -euo pipefail
# Builds of their own, also when a make (`make test`) runs this.
unset MAKEFLAGS MFLAGS MAKELEVEL
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
commit="$(git -C "$ROOT" rev-parse HEAD)"
if [ -n "$(git -C "$ROOT" status --porcelain --untracked-files=no)" ]; then
    echo "note: uncommitted changes are not built; checking $commit" >&2
fi
work="${REPRO_DIR:-$(mktemp -d /tmp/glimmerax-repro.XXXXXX)}"
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT
clones=("$work/one" "$work/second/clone-in-a-deeper-folder")

for clone in "${clones[@]}"; do
    echo "== make dist in $clone"
    rm -rf "$clone"
    mkdir -p "$(dirname "$clone")"
    git clone --quiet --no-checkout "$ROOT" "$clone"
    git -C "$clone" checkout --quiet --detach "$commit"
    make -C "$clone" dist JOBS="${JOBS:-2}" >"$clone.log" 2>&1 || {
        tail -n 30 "$clone.log" >&2
        exit 1
    }
done

sums() {
    (cd "$1/dist" && sha256sum Glimmerax.scr Glimmerax-*.zip)
}
first="$(sums "${clones[0]}")"
second="$(sums "${clones[1]}")"
echo "${clones[0]}:"
echo "$first"
echo "${clones[1]}:"
echo "$second"
if [ "$first" = "$second" ]; then
    echo "reproducible: both builds are the same byte for byte"
else
    echo "NOT reproducible: the builds differ" >&2
    exit 1
fi
