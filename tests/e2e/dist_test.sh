#!/usr/bin/env bash
# The release archive as a user downloads it: the saver, the two guides and
# SHA256SUMS, which checks out; packed again from a copy with another time
# and umask, the same bytes; and a saver with no link time and no path of
# this build in it.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
E2E_DIR="$E2E_BUILD/e2e/dist"
rm -rf "$E2E_DIR"
mkdir -p "$E2E_DIR"
version="${GLIMMERAX_VERSION:?the version comes from CMake}"
# The release's own saver, the 32-bit build, whichever Wine runs the tests.
scr="${GLIMMERAX_PRODUCT:-$E2E_SCR_SOURCE}"

pack() { bash "$E2E_ROOT/scripts/dist.sh" "$version" "$1" "$E2E_DIR/$2" >/dev/null; }
zip_a="$E2E_DIR/a/Glimmerax-$version.zip"
zip_b="$E2E_DIR/b/Glimmerax-$version.zip"

if pack "$scr" a && [ -s "$zip_a" ]; then
    ok "dist.sh writes Glimmerax-$version.zip"
else
    fail "dist.sh wrote no archive"
fi

# "name flag-bits date extra-length", an entry a line.
entries="$(python3 - "$zip_a" <<'EOF'
import sys, zipfile
for e in zipfile.ZipFile(sys.argv[1]).infolist():
    print(e.filename, hex(e.flag_bits), "%04d-%02d-%02dT%02d:%02d:%02d" % e.date_time, len(e.extra))
EOF
)"
names="$(cut -d' ' -f1 <<<"$entries" | tr '\n' ' ')"
[ "$names" = "Glimmerax.scr README.txt SHA256SUMS 说明.txt " ] && ok "the entries are the saver, the guides and SHA256SUMS" \
    || fail "entries: $names"
grep -q '^说明.txt 0x800 ' <<<"$entries" && ok "the Chinese guide's name is marked as UTF-8" \
    || fail "说明.txt is not marked UTF-8: $entries"
[ "$(cut -d' ' -f3 <<<"$entries" | sort -u | wc -l)" = 1 ] && ! grep -qv ' 0$' <<<"$entries" \
    && ok "one time for every entry and no extra fields" || fail "times or extra fields: $entries"

unpacked="$E2E_DIR/unpacked"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip_a" "$unpacked"
(cd "$unpacked" && sha256sum --quiet -c SHA256SUMS) && ok "SHA256SUMS holds the files' sums" \
    || fail "SHA256SUMS does not check out"
cmp -s "$scr" "$unpacked/Glimmerax.scr" && ok "the archive holds the built saver" || fail "the archived saver differs"
for guide in README.txt 说明.txt; do
    file="$unpacked/$guide"
    if [ "$(head -c 3 "$file" | od -An -tx1 | tr -d ' ')" = efbbbf ] &&
        [ "$(grep -c $'\r$' "$file")" = "$(wc -l <"$file")" ] && grep -q "Glimmerax $version" "$file"; then
        ok "$guide: UTF-8 with a byte-order mark, CRLF lines, names version $version"
    else
        fail "$guide: no byte-order mark, LF lines or no version"
    fi
done

# Another copy, another time, another umask: the same archive.
copy="$E2E_DIR/copy/Glimmerax.scr"
mkdir -p "$(dirname "$copy")"
cp "$scr" "$copy"
touch -d '2001-02-03 04:05:06' "$copy"
(umask 077 && pack "$copy" b)
cmp -s "$zip_a" "$zip_b" && ok "packing again gives the same bytes" || fail "the second archive differs"

# The PE header's link time, at 8 bytes into the header found at 0x3c.
u32() { od -An -tu4 -j "$2" -N 4 "$1" | tr -d ' '; }
[ "$(u32 "$scr" $(($(u32 "$scr" 60) + 8)))" = 0 ] && ok "the PE header holds no link time" \
    || fail "the PE header holds a link time"
stamps="$(i686-w64-mingw32-objdump -p "$scr" | grep -o 'Time: [0-9a-f]*' | sort -u)"
[ "$stamps" = "Time: 00000000" ] && ok "the resource directories hold no time" || fail "resource times: $stamps"
# The manifest the product carries, as Windows reads it: DPI-aware, and no
# Windows version declared (from Windows 8 on, a declared program is refused
# the 16-bit display modes run mode needs).
manifest="$(tr -d '\r\n' <"$scr" | grep -a -o '<assembly .*</assembly>' | head -n 1)"
if [ -z "$manifest" ]; then
    fail "no manifest in the saver"
elif grep -q -e '<supportedOS' -e '<compatibility' <<<"$manifest"; then
    fail "the manifest declares Windows versions: $(grep -o '<supportedOS[^>]*>' <<<"$manifest" | tr '\n' ' ')"
elif ! grep -q '<dpiAwareness[^>]*>system<' <<<"$manifest"; then
    fail "the manifest is not system DPI-aware"
else
    ok "the embedded manifest is DPI-aware and declares no Windows version"
fi
if grep -q -a -F -e "$E2E_ROOT" -e "$E2E_BUILD" "$scr"; then
    fail "the saver holds a path of this build"
else
    ok "the saver holds no path of this build"
fi

e2e_finish
