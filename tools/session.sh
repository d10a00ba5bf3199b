# Sourced by run.sh and test.sh: a private Xvfb and a warm wineserver for
# the build folder in $RUN_BUILD. stop_session undoes both.
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
start_session() {
    export WINEPREFIX="$PWD/$RUN_BUILD/wineprefix"
    if [ -z "${DISPLAY:-}" ] || [ "${1:-}" = private ]; then start_private_xvfb; fi
    local loader=wine
    [ "$(tools/pe-arch.sh "$RUN_BUILD/bin/saverdrv.exe")" = x86_64 ] && loader=/usr/lib/wine/wine64
    tools/wine-prefix.sh "$WINEPREFIX" "$loader"
    # One warm wineserver for every program of the session. It is warmed up
    # with stdio closed: the first program's stdio is inherited by Wine's
    # background services, which never exit.
    wineserver -p || true
    tools/wine-run.sh "$RUN_BUILD/bin/saverdrv.exe" cursor </dev/null >/dev/null 2>&1 || true
}
stop_session() {
    wineserver -k 2>/dev/null || true
    if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}
