#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test: unit tests under Wine and
# end-to-end tests of the real screensaver. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
./tools/setup.sh
RUN_BUILD=$(./tools/build.sh)
source tools/session.sh
trap stop_session EXIT
start_session private
echo "Testing the programs in $RUN_BUILD"
ctest --test-dir "$RUN_BUILD" -j "$(nproc)" --output-on-failure --timeout 600
