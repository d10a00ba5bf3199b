#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix: by default
# <build>/wineprefix beside the program's bin/ folder. 32-bit programs run
# with Wine's 32-bit loader, 64-bit ones with wine64. A crash fails at once:
# the debugger is disabled.
set -u
here=$(cd "$(dirname "$0")" && pwd)
exe=$1
if [ -z "${WINEPREFIX:-}" ]; then
    WINEPREFIX="$(cd "$(dirname "$exe")/.." 2>/dev/null && pwd)/wineprefix"
fi
export WINEPREFIX
arch=$("$here/pe-arch.sh" "$exe")
if [ "$arch" = x86_64 ]; then
    export WINEARCH=win64
    loader=/usr/lib/wine/wine64
else
    export WINEARCH=win32
    loader=wine
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winedbg.exe=d;mscoree,mshtml=}"
"$here/wine-prefix.sh" "$WINEPREFIX" "$loader" || exit 1
exec "$loader" "$@"
