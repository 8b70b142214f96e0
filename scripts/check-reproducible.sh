#!/usr/bin/env bash
# Builds the release in clean clones of this commit, in folders of different
# names and depths, and compares the saver and the archive byte for byte.
# When this checkout is the commit itself (no change, no new file) and its
# build/win32 is configured as make dist configures it, its own saver is the
# first build and one clone is enough; otherwise two clones are built.
# Prints the SHA-256 sums; exits 1 when they differ.
#
# Environment: REPRO_DIR (where the clones go, default a new folder under
# /tmp; removed afterwards unless KEEP=1), JOBS (default 2), REPRO_CLONES=2
# (always two clones).
set -euo pipefail
# Builds of their own, also when a make (`make test`) runs this.
unset MAKEFLAGS MFLAGS MAKELEVEL
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
commit="$(git -C "$ROOT" rev-parse HEAD)"
work="${REPRO_DIR:-$(mktemp -d /tmp/glimmerax-repro.XXXXXX)}"
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT
clones=("$work/one" "$work/second/clone-in-a-deeper-folder")

# The checkout's own release build stands for the commit when nothing in it
# differs from the commit and it is a Release build for 32-bit Windows.
own_build_is_commit() {
    local cache="$ROOT/build/win32/CMakeCache.txt"
    [ "${REPRO_CLONES:-1}" != 2 ] && [ -z "$(git -C "$ROOT" status --porcelain)" ] &&
        grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$cache" 2>/dev/null &&
        grep -q "^CMAKE_TOOLCHAIN_FILE:.*=$ROOT/cmake/mingw-i686.cmake$" "$cache"
}
if own_build_is_commit && cmake --build "$ROOT/build/win32" --target Glimmerax >/dev/null 2>&1; then
    echo "== this checkout's own build ($ROOT) as the first"
    version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$ROOT/build/win32/CMakeCache.txt")"
    rm -rf "${clones[0]}"
    mkdir -p "${clones[0]}/dist"
    cp "$ROOT/build/win32/Glimmerax.scr" "${clones[0]}/dist/"
    bash "$ROOT/scripts/dist.sh" "$version" "$ROOT/build/win32/Glimmerax.scr" "${clones[0]}/dist" >/dev/null
    to_build=("${clones[1]}")
else
    if [ -n "$(git -C "$ROOT" status --porcelain --untracked-files=no)" ]; then
        echo "note: uncommitted changes are not built; checking $commit" >&2
    fi
    to_build=("${clones[@]}")
fi

for clone in "${to_build[@]}"; do
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
