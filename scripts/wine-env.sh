# Sourced: the project's own Wine prefix under the build tree, quiet, with
# code page 936. Creates the prefix on first use.
GLIMMERAX_ROOT="${GLIMMERAX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export WINEPREFIX="${WINEPREFIX:-$GLIMMERAX_ROOT/build/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko installer prompts, no menu entries written to the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
{ export LC_ALL=zh_CN.UTF-8; } 2>/dev/null
export LANG=zh_CN.UTF-8

glimmerax_prepare_prefix() {
    if [ -f "$WINEPREFIX/.glimmerax-ready" ]; then return 0; fi
    echo "wine: preparing the prefix at $WINEPREFIX" >&2
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w 2>/dev/null || true
    # The dialogs ask for SimSun; WenQuanYi has the glyphs.
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    local font="WenQuanYi Zen Hei"
    wine reg add "$key" /v "宋体" /t REG_SZ /d "$font" /f >/dev/null 2>&1
    wine reg add "$key" /v "SimSun" /t REG_SZ /d "$font" /f >/dev/null 2>&1
    wine reg add "$key" /v "NSimSun" /t REG_SZ /d "$font" /f >/dev/null 2>&1
    wineserver -w 2>/dev/null || true
    if [ -f "$WINEPREFIX/system.reg" ]; then
        touch "$WINEPREFIX/.glimmerax-ready"
    else
        echo "wine: the prefix could not be created" >&2
        return 1
    fi
}
