#!/usr/bin/env bash
# Sets up the machine, builds, and starts the screensaver under Wine.
#   ./run.sh            test window (/t)
#   ./run.sh /s         full screen;  ./run.sh /c  settings;  ./run.sh /p HWND  preview
# On the user's X display it runs until it ends. Without a display it runs on
# a private Xvfb, writes build/screenshot.png after a few seconds and ends.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
RUN_BUILD=$(./tools/build.sh)
source tools/session.sh
trap stop_session EXIT
args=("$@")
[ ${#args[@]} -eq 0 ] && args=(/t)
if [ -n "${DISPLAY:-}" ]; then
    start_session
    tools/wine-run.sh "$RUN_BUILD/bin/corvalline.scr" "${args[@]}"
else
    start_session private
    tools/wine-run.sh "$RUN_BUILD/bin/corvalline.scr" "${args[@]}" &
    saver=$!
    sleep 8
    xwd -root -silent | /usr/bin/convert xwd:- build/screenshot.png
    echo "Screenshot: build/screenshot.png"
    kill "$saver" 2>/dev/null || true
    wait "$saver" 2>/dev/null || true
fi
