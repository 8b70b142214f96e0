# Sourced: the project's own Wine prefix under the build tree, quiet, with
# code page 936. Creates the prefix on first use.
GLIMMERAX_ROOT="${GLIMMERAX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
# win32 runs the 32-bit build, the product; win64 its 64-bit twin, on
# machines whose kernel runs no 32-bit code and so no 32-bit Wine.
GLIMMERAX_WINE_ARCH="${GLIMMERAX_WINE_ARCH:-win32}"
export WINEARCH="$GLIMMERAX_WINE_ARCH"
if [ "$WINEARCH" = win64 ]; then
    export WINEPREFIX="${WINEPREFIX:-$GLIMMERAX_ROOT/build/wineprefix64}"
    # Debian's wine and its tools (wineboot, winepath) start the 32-bit
    # loader whenever it is installed, and it cannot run here: they go
    # through the 64-bit one instead.
    export WINELOADER=/usr/lib/wine/wine64
    glimmerax_wine_bin="$GLIMMERAX_ROOT/build/wine64-bin"
    if [ ! -x "$glimmerax_wine_bin/wine-stable" ]; then
        mkdir -p "$glimmerax_wine_bin"
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$glimmerax_wine_bin/wine"
        chmod +x "$glimmerax_wine_bin/wine"
        cp "$glimmerax_wine_bin/wine" "$glimmerax_wine_bin/wine-stable"
    fi
    case ":$PATH:" in *":$glimmerax_wine_bin:"*) ;; *) export PATH="$glimmerax_wine_bin:$PATH" ;; esac
else
    export WINEPREFIX="${WINEPREFIX:-$GLIMMERAX_ROOT/build/wineprefix}"
fi
export WINEDEBUG=${GLIMMERAX_WINEDEBUG:--all}
# No Mono or Gecko installer prompts, no menu entries written to the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
{ export LC_ALL=zh_CN.UTF-8; } 2>/dev/null
export LANG=zh_CN.UTF-8
# The fonts Wine sees, written by glimmerax_prepare_prefix.
export FONTCONFIG_FILE="$WINEPREFIX/fonts.conf"

# What the prefix holds besides Wine's own set-up; raise it whenever that
# changes, so that prefixes made by an older script are brought up to date.
# 2: the dialog fonts are AR PL UMing instead of WenQuanYi Zen Hei, drawn
#    from its bitmaps; the System font stays WenQuanYi.
GLIMMERAX_PREFIX_VERSION=2

# Whether the prefix holds this script's version of the set-up.
glimmerax_prefix_ready() { [ "$(cat "$WINEPREFIX/.glimmerax-ready" 2>/dev/null)" = "$GLIMMERAX_PREFIX_VERSION" ]; }

# Prepares the prefix once; tests started side by side wait for the first.
glimmerax_prepare_prefix() {
    glimmerax_prefix_ready && return 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        glimmerax_prepare_prefix_locked
    ) 9>"$WINEPREFIX.lock"
}

# Copies the prepared prefix to DIR and works there from now on: each test
# has a prefix, a Wine server and a font cache of its own, so tests can run
# side by side, and none changes the prefix the next one starts from.
# glimmerax_private_prefix DIR [unmanaged] [opengl]: see below for the words.
glimmerax_private_prefix() {
    local dir="$1" word unmanaged="" opengl=""
    for word in "${@:2}"; do
        case "$word" in
            unmanaged) unmanaged=yes ;;
            opengl) opengl=yes ;;
        esac
    done
    glimmerax_prepare_prefix || return 1
    # A server left by an earlier run that was stopped hard (a time-out)
    # would still hold the old copy.
    [ -d "$dir" ] && WINEPREFIX="$dir" wineserver -k 2>/dev/null
    rm -rf "$dir"
    mkdir -p "$(dirname "$dir")"
    # The DLLs and programs, nine tenths of the prefix's 700 MB, are hard
    # links to the prepared prefix's: Wine only reads them. Every other file
    # (the registry, win.ini, the code pages), which Wine may rewrite in
    # place, is the copy's own, copied first.
    mkdir -p "$dir" &&
        (cd "$WINEPREFIX" && find . -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.drv' \
            -o -iname '*.sys' -o -iname '*.ocx' -o -iname '*.cpl' -o -iname '*.acm' -o -iname '*.ax' \
            -o -iname '*.tlb' -o -iname '*.ds' -o -iname '*.com' -o -iname '*.msstyles' \) -print0 |
            tar --null -T - -cf - | tar -C "$dir" -xpf -) &&
        cp -a --link --no-clobber "$WINEPREFIX/." "$dir/" || return 1
    sed -i "s|<cachedir>.*</cachedir>|<cachedir>$dir/fontconfig</cachedir>|" "$dir/fonts.conf"
    # Wine draws Direct3D and DirectDraw from a thread of its own beside the
    # program's; the saver's frame loop spins on the clock between frames
    # (it never sleeps), so with that thread a saver would take close to two
    # cores of a 2-core machine, and starve every test beside it. Here Wine
    # draws in the calling thread: the same calls, the same pictures, one
    # core. Written into the registry file before the copy's server starts.
    # And it draws DirectDraw's surfaces with GDI rather than through OpenGL
    # (Mesa's software renderer on these X servers), which also spares each
    # saver's start the loading of Mesa; "opengl" keeps Wine's default, for
    # the test that lists the DLLs a saver loads.
    local direct3d='"csmt"=dword:00000000\n'
    [ -n "$opengl" ] || direct3d="$direct3d"'"renderer"="gdi"\n'
    printf '\n[Software\\\\Wine\\\\Direct3D] 1\n'"$direct3d" >>"$dir/user.reg"
    # The tests' X servers have no window manager, and Wine waits 2 s for
    # one each time it hides a window it handed to the manager; windows Wine
    # places itself ("unmanaged") do not wait. The unit tests and the
    # end-to-end tests ask for them; make run keeps Wine's default.
    if [ -n "$unmanaged" ]; then
        printf '\n[Software\\\\Wine\\\\X11 Driver] 1\n"Managed"="N"\n' >>"$dir/user.reg"
    fi
    export WINEPREFIX="$dir"
    export FONTCONFIG_FILE="$WINEPREFIX/fonts.conf"
}

glimmerax_prepare_prefix_locked() {
    glimmerax_prefix_ready && return 0
    echo "wine: preparing the prefix at $WINEPREFIX" >&2
    mkdir -p "$WINEPREFIX"
    glimmerax_write_fonts_conf
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w 2>/dev/null || true
    fi
    # The dialogs ask for SimSun. AR PL UMing is a Song face like it and draws
    # every stroke at the dialogs' 9 points, where WenQuanYi Zen Hei's
    # embedded bitmaps lose some.
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    local font="AR PL UMing CN" name
    for name in "宋体" "SimSun" "NSimSun"; do
        wine reg add "$key" /v "$name" /t REG_SZ /d "$font" /f >/dev/null 2>&1
    done
    # The bold System font of code page 936 (the links' font) would be the
    # same bitmaps made bold by smearing, which fills in m and w.
    wine reg add "$key" /v "System,134" /t REG_SZ /d "WenQuanYi Zen Hei,134" /f >/dev/null 2>&1
    wineserver -w 2>/dev/null || true
    if [ -f "$WINEPREFIX/system.reg" ]; then
        echo "$GLIMMERAX_PREFIX_VERSION" >"$WINEPREFIX/.glimmerax-ready"
    else
        echo "wine: the prefix could not be created" >&2
        return 1
    fi
}

# The system's fonts and rules, with AR PL UMing CN drawn without
# anti-aliasing: Wine then takes the font's own bitmaps at 11 to 16 pixels,
# as Windows does SimSun's, where the anti-aliased outlines come out faint
# and blurred. Fontconfig applies such a rule only when it scans the fonts,
# so the prefix keeps a font cache of its own.
glimmerax_write_fonts_conf() {
    cat >"$FONTCONFIG_FILE" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts</dir>
  <dir>/usr/local/share/fonts</dir>
  <cachedir>$WINEPREFIX/fontconfig</cachedir>
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
  <match target="scan">
    <test name="family"><string>AR PL UMing CN</string></test>
    <edit name="antialias" mode="assign"><bool>false</bool></edit>
  </match>
</fontconfig>
EOF
}
