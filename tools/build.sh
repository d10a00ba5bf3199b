#!/usr/bin/env bash
# Builds the product (32-bit, build/) and, on a machine whose kernel cannot
# run 32-bit programs, the same sources as 64-bit Windows programs
# (build/x64/) so that Wine can run the tests there. Prints the folder of
# the build to run.
set -euo pipefail
cd "$(dirname "$0")/.."
configure() {
    local dir=$1 toolchain=$2
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain" >/dev/null
    fi
    cmake --build "$dir" -j "$(nproc)" >&2
}
configure build mingw-i686.cmake
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo build
else
    configure build/x64 mingw-x86_64.cmake
    echo build/x64
fi
