#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test: unit tests under Wine and
# end-to-end tests of the real screensaver. Exits non-zero on any failure.
# Ends with the wall time and the five slowest CTest entries.
set -euo pipefail
cd "$(dirname "$0")"
started=$(date +%s.%N)
./tools/setup.sh
RUN_BUILD=$(./tools/build.sh)
source tools/session.sh
trap stop_session EXIT
start_session private
echo "Testing the programs in $RUN_BUILD"
results="$PWD/$RUN_BUILD/Testing"
mkdir -p "$results"
status=0
# Unit tests (one Wine process per test suite) and the tools' tests first,
# as many at once as there are processors; then the end-to-end files side
# by side, each counted as two processors (the saver runs at idle priority
# and would starve beside unit tests; see tests/CMakeLists.txt).
ctest --test-dir "$RUN_BUILD" -LE e2e -j "$(nproc)" --output-on-failure --timeout 600 \
    --output-junit "$results/unit.xml" || status=1
ctest --test-dir "$RUN_BUILD" -L e2e -j "$(nproc)" --output-on-failure --timeout 900 \
    --output-junit "$results/e2e.xml" || status=1
python3 tools/test-report.py "$started" "$results/unit.xml" "$results/e2e.xml"
exit $status
