# Sourced: starts a private Xvfb (one screen, 1024x768x24 unless the first
# argument gives another WxHxD) and exports DISPLAY. XVFB_PID is set so that
# the caller can stop it.
start_private_xvfb() {
    local screen=${1:-1024x768x24}
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    local number
    read -r -t 20 number <"$fifo" || true
    rm -f "$fifo"
    if [ -z "${number:-}" ]; then
        echo "Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=":$number"
}
