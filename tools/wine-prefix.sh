#!/usr/bin/env bash
# Makes sure a private Wine prefix exists, copied from a pristine template
# beside it (<prefix>-template) that wineboot makes once.
# Usage: wine-prefix.sh PREFIX LOADER   (LOADER: wine or /usr/lib/wine/wine64)
set -u
prefix=$1
loader=${2:-wine}
template="${prefix}-template"
[ -f "$prefix/.corvalline-ready" ] && exit 0

# Plain wine without WINEARCH makes a 64-bit prefix, which the 32-bit
# programs cannot use.
if [ "$(basename "$loader")" = wine64 ]; then export WINEARCH=win64; else export WINEARCH=win32; fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winedbg.exe=d;mscoree,mshtml="
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.corvalline-ready" ] && exit 0

exec 8>"$template.lock"
flock 8
if [ ! -f "$template/.corvalline-ready" ]; then
    rm -rf "$template"
    # No display while the prefix is made: nothing to show, nothing to wait for.
    WINEPREFIX="$template" DISPLAY= "$loader" wineboot -i </dev/null >/dev/null 2>&1
    # Without a window manager, DestroyWindow waits about 2 s for one;
    # unmanaged windows avoid that wait.
    WINEPREFIX="$template" DISPLAY= "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        </dev/null >/dev/null 2>&1
    WINEPREFIX="$template" wineserver -w
    touch "$template/.corvalline-ready"
fi
flock -u 8
if [ "$prefix" != "$template" ]; then
    rm -rf "$prefix"
    cp -a "$template" "$prefix"
fi
touch "$prefix/.corvalline-ready"
