#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, once.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

need_pkgs=(cmake make g++ libgtest-dev googletest libbenchmark-dev
           g++-mingw-w64-i686 g++-mingw-w64-i686-posix mingw-w64-i686-dev
           g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
           wine wine32:i386 wine64 xvfb xdotool imagemagick
           fonts-wqy-zenhei fonts-arphic-uming zip python3 locales x11-utils procps
           # A real X server with two monitors (the dummy driver's two outputs)
           # for the multi-monitor run; without the 32-bit X extension
           # libraries a 32-bit Wine process has no XRandR and cannot change
           # the display mode.
           xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
           libxrandr2:i386 libxinerama1:i386 libxrender1:i386)

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
