#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, once.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

need_pkgs=(cmake make g++ libgtest-dev googletest libbenchmark-dev
           g++-mingw-w64-i686 g++-mingw-w64-i686-posix mingw-w64-i686-dev
           wine wine32:i386 wine64 xvfb xdotool imagemagick
           fonts-wqy-zenhei fonts-arphic-uming zip python3 locales x11-utils procps)

missing=()
for p in "${need_pkgs[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine's 32-bit side is an i386 Linux program. Some virtual machines run no
# 32-bit code (the kernel answers "Exec format error"); there it runs through
# QEMU's user-mode emulation, registered for i386 programs with binfmt_misc.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    if ! dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q "install ok installed"; then
        echo "setup: this machine runs no 32-bit programs; installing qemu-user-static"
        export DEBIAN_FRONTEND=noninteractive
        $SUDO apt-get update -qq
        $SUDO apt-get install -y -qq --no-install-recommends qemu-user-static >/dev/null
    fi
    binfmt=/proc/sys/fs/binfmt_misc
    [ -e "$binfmt/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
    if [ ! -e "$binfmt/qemu-i386" ]; then
        echo "setup: running i386 programs through qemu-i386-static"
        magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
        mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
        echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:FP" | $SUDO tee "$binfmt/register" >/dev/null
    fi
    if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
        echo "setup: 32-bit programs still do not run; Wine cannot run the 32-bit saver" >&2
        exit 1
    fi
fi

# Code page 936 under Wine comes from the zh_CN.UTF-8 locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    echo "setup: generating zh_CN.UTF-8"
    if [ -f /etc/locale.gen ]; then
        $SUDO sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
        $SUDO locale-gen >/dev/null
    else
        $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
    fi
fi
exit 0
