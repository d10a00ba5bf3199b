# Sourced: starts a private PulseAudio server with one null sink ("nullsink",
# 44.1 kHz stereo) so that DirectSound and DirectShow under Wine have a
# real-time audio device, and exports PULSE_SERVER for Wine. PULSE_PID and
# PULSE_DIR are set so that the caller can stop it (stop_private_pulse).
start_private_pulse() {
    PULSE_DIR=$(mktemp -d /tmp/corvalline-pulse.XXXXXX)
    mkdir -p "$PULSE_DIR/runtime" "$PULSE_DIR/state"
    PULSE_RUNTIME_PATH="$PULSE_DIR/runtime" PULSE_STATE_PATH="$PULSE_DIR/state" \
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        -L "module-null-sink sink_name=nullsink rate=44100 channels=2" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$PULSE_DIR/pulse.sock" \
        </dev/null >"$PULSE_DIR/log.txt" 2>&1 &
    PULSE_PID=$!
    local i
    for i in $(seq 1 100); do
        [ -S "$PULSE_DIR/pulse.sock" ] && break
        sleep 0.1
    done
    if [ ! -S "$PULSE_DIR/pulse.sock" ]; then
        echo "PulseAudio did not start; sound tests will skip" >&2
        return 1
    fi
    export PULSE_SERVER="unix:$PULSE_DIR/pulse.sock"
}
stop_private_pulse() {
    if [ -n "${PULSE_PID:-}" ]; then kill "$PULSE_PID" 2>/dev/null || true; fi
    if [ -n "${PULSE_DIR:-}" ]; then rm -rf "$PULSE_DIR"; fi
}
