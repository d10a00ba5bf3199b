# Sourced by run.sh and test.sh: a private Xvfb, a private PulseAudio server
# with a null sink, and a warm wineserver for the build folder in
# $RUN_BUILD. stop_session undoes all three.
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
source "$(dirname "${BASH_SOURCE[0]}")/pulse.sh"
start_session() {
    export WINEPREFIX="$PWD/$RUN_BUILD/wineprefix"
    # A private session (the tests, a run without a display) gets a null
    # sink that tests can record from; on the user's display the user's own
    # sound server is kept when there is one. Sound is optional: without a
    # server the saver and the tests run silent.
    if [ "${1:-}" = private ] || ! pactl info >/dev/null 2>&1; then start_private_pulse || true; fi
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
    stop_private_pulse
}
