#!/usr/bin/env bash
# Packs the release: dist.sh VERSION SCR OUT_DIR writes
# OUT_DIR/Glimmerax-VERSION.zip with the screen saver, the user guides in
# English and Chinese and their SHA256SUMS, and prints its SHA-256.
#
# The same inputs give the same archive byte for byte: the entries in a fixed
# order with one fixed time (SOURCE_DATE_EPOCH, else the commit's time), one
# mode and no extra fields. The Chinese guide's name is marked as
# UTF-8, which Info-ZIP's zip 3.0 does not do; hence Python's zipfile.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ $# != 3 ]; then
    echo "usage: dist.sh VERSION SCR OUT_DIR" >&2
    exit 2
fi
version="$1" scr="$2" out="$3"
stamp="${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || echo 1767225600)}"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT

cp "$scr" "$stage/Glimmerax.scr"
# The guides as Notepad opens them on any Windows: UTF-8 with a byte-order
# mark, CRLF line ends.
guide() {
    printf '\357\273\277'
    sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$ROOT/docs/user-guide.$1.txt"
}
guide en >"$stage/README.txt"
guide zh >"$stage/说明.txt"
(cd "$stage" && sha256sum Glimmerax.scr README.txt 说明.txt >SHA256SUMS)

mkdir -p "$out"
zip="$out/Glimmerax-$version.zip"
python3 - "$stage" "$zip" "$stamp" <<'EOF'
import os, sys, time, zipfile
stage, target, stamp = sys.argv[1], sys.argv[2], int(sys.argv[3])
when = time.gmtime(max(stamp, 315532800))[:6]  # zip times start in 1980
with zipfile.ZipFile(target + ".part", "w") as archive:
    for name in sorted(os.listdir(stage)):
        entry = zipfile.ZipInfo(name, when)
        entry.create_system = 3  # Unix, which unzip reads UTF-8 names from
        entry.external_attr = 0o100644 << 16  # a plain file, whatever the umask
        entry.compress_type = zipfile.ZIP_DEFLATED
        with open(os.path.join(stage, name), "rb") as f:
            archive.writestr(entry, f.read(), compresslevel=9)
os.replace(target + ".part", target)
EOF
echo "dist: $zip $(sha256sum "$zip" | cut -d' ' -f1)"
