#!/usr/bin/env bash
# Builds the product (32-bit, build/) and, on a machine whose kernel cannot
# run 32-bit programs, the same sources as 64-bit Windows programs
# (build/x64/) so that Wine can run the tests there. Prints the folder of
# the build to run.
set -euo pipefail
cd "$(dirname "$0")/.."
configure() {
    local dir=$1 toolchain=$2 composer=${3:-}
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain" >/dev/null
    fi
    if [ -n "$composer" ] && ! grep -qx "CORVALLINE_SCENE_COMPOSER:FILEPATH=$composer" "$dir/CMakeCache.txt"; then
        cmake -S . -B "$dir" -DCORVALLINE_SCENE_COMPOSER="$composer" >/dev/null
    fi
    cmake --build "$dir" -j "$(nproc)" >&2
}
# The product must be a 32-bit Windows GUI program, whichever build runs the
# tests.
check_product() {
    local kind
    kind=$(file -b build/bin/corvalline.scr)
    case "$kind" in
        "PE32 executable (GUI) Intel 80386"*) ;;
        *) echo "build/bin/corvalline.scr is not a 32-bit Windows GUI program: $kind" >&2; exit 1 ;;
    esac
}
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    configure build mingw-i686.cmake
    check_product
    echo build
else
    # The build runs the scene composer to write the scene document; the
    # 32-bit one cannot run here, so the 64-bit build's composer writes the
    # 32-bit build's document too (the same bytes either way).
    configure build/x64 mingw-x86_64.cmake
    configure build mingw-i686.cmake "$PWD/build/x64/bin/scene_composer.exe"
    check_product
    echo build/x64
fi
