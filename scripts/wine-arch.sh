#!/usr/bin/env bash
# Prints the Wine this machine runs the Windows programs of the build with:
# win32 (the 32-bit build, the product) where the kernel runs 32-bit code,
# win64 (its 64-bit twin) where it does not, as on some virtual machines.
# GLIMMERAX_WINE_ARCH, when set, decides.
if [ -n "${GLIMMERAX_WINE_ARCH:-}" ]; then
    echo "$GLIMMERAX_WINE_ARCH"
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo win32
else
    echo win64
fi
