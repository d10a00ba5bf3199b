#!/usr/bin/env bash
# Frame benchmark: plays scene documents through the program's own code
# (frame_bench.exe) and the least Direct3D 9 program that draws as many
# full-screen passes (bench_reference.exe), on a private Xvfb, first with the
# frame loop's sleep off, then with it on as the saver runs, and prints one
# table a scene with every scene figure also as a ratio to the reference's.
#
#   tools/bench.sh [--frames N] [--sleep-frames N] [--warmup N] [--size WxH] [SOURCE...]
#
# SOURCE: a build of the program (.scr) or a scene document file. Without
# one: the scenes in BENCH_SCENES below. Timings on a shared machine are
# noisy: compare the ratios, and see the load printed at the top.
set -euo pipefail
cd "$(dirname "$0")/.."

# The scenes measured without arguments, from the build's bin folder: the
# program's own scene, then builds of the program with other documents
# (tests/variants). A scene issue that adds a stress variant (the largest
# counts its items allow) adds its build here.
BENCH_SCENES=(
    corvalline.scr                # the embedded scene
    corvalline_still.scr          # the landscape alone, camera still
    corvalline_two_pictures.scr   # two slides of different pictures
    corvalline_glyphs.scr         # two slides of falling glyphs
    corvalline_water_lights.scr   # the lake and the two water-ring modes
    corvalline_underwater_stress.scr  # under water with three full-screen brushes
    corvalline_particles_stress.scr   # glints and twinkling stars of 16383 points each
    corvalline_glassball_stress.scr   # a scrolling glass ball, picture background, overlays, stand
    corvalline_flame_stress.scr   # flames and heat haze, camera drifting
    corvalline_sprites_stress.scr     # rain at 16383 drops, 2,000 other sprites, a glowing discharge
    corvalline_lightning_stress.scr   # a bolt at 12 subdivisions filling its 16383 quads
    corvalline_objects3d_stress.scr   # 1000 leaves, 50 butterflies and a clock
    corvalline_animations_stress.scr  # 16383 Brownian sprites of a frame sequence
    corvalline_plants_stress.scr      # 16383 seeded rays and smoke of 16383 quads
    corvalline_particle_shows_stress.scr  # falling stars and a firework at 16383 particles and trails each
)

frames=1000
sleepFrames=200
warmup=100
size=1024x768
sources=()
while [ $# -gt 0 ]; do
    case "$1" in
        --frames) frames=$2; shift 2 ;;
        --sleep-frames) sleepFrames=$2; shift 2 ;;
        --warmup) warmup=$2; shift 2 ;;
        --size) size=$2; shift 2 ;;
        -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
        *) sources+=("$1"); shift ;;
    esac
done

./tools/setup.sh >&2
RUN_BUILD=$(./tools/build.sh)
bin="$RUN_BUILD/bin"
if [ ${#sources[@]} -eq 0 ]; then
    for scene in "${BENCH_SCENES[@]}"; do sources+=("$bin/$scene"); done
fi

source tools/xvfb.sh
export WINEPREFIX="$PWD/$RUN_BUILD/wineprefix"
loader=wine
[ "$(tools/pe-arch.sh "$bin/frame_bench.exe")" = x86_64 ] && loader=/usr/lib/wine/wine64
out=$(mktemp -d)
finish() {
    wineserver -k 2>/dev/null || true
    if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
    rm -rf "$out"
}
trap finish EXIT
# The window's caption and frame must fit on the screen with the client area.
width=${size%x*}
height=${size#*x}
start_private_xvfb "$((width < 924 ? 1024 : width + 100))x$((height < 668 ? 768 : height + 100))x24"
tools/wine-prefix.sh "$WINEPREFIX" "$loader"
wineserver -p || true
tools/wine-run.sh "$bin/saverdrv.exe" cursor </dev/null >/dev/null 2>&1 || true

# run NAME PROGRAM ARGS...: the program's figures into $out/NAME, with the
# unit tests' environment; a run that ends without its figures is reported
# and run once more, and an empty file (the table shows "-") stands for two
# failed runs (tools/bench_run.py).
run() {
    local name=$1
    shift
    python3 tools/bench_run.py "$out/$name" tools/wine-run.sh "$@" || true
}
# figure FILE KEY: one value of a program's output.
figure() { awk -v key="$2" '$1 == key { print $2 }' "$1"; }

echo "Frame benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) processors, load average$(uptime | sed 's/.*load average//')"
echo "Build: $bin; window ${size}; sleep off: $frames frames, sleep on: $sleepFrames frames, each after $warmup warm-up frames"
for source in "${sources[@]}"; do
    name=$(basename "$source")
    echo
    run scene_off "$bin/frame_bench.exe" --size "$size" --frames "$frames" --warmup "$warmup" "$source"
    # The reference: the scene's device and as many full-screen passes.
    passes=$(awk '$1 == "fullscreen_passes" { n = int($2 + 0.5) } END { print (n >= 1 ? n : 1) }' "$out/scene_off")
    device=(--device-type "$(figure "$out/scene_off" device_type)" --flags "$(figure "$out/scene_off" behavior_flags)"
            --format "$(figure "$out/scene_off" backbuffer_format)" --depth "$(figure "$out/scene_off" depth_format)"
            --swap "$(figure "$out/scene_off" swap_effect)")
    if [ -z "$(figure "$out/scene_off" device_type)" ]; then device=(); fi
    run reference_off "$bin/bench_reference.exe" --size "$size" --frames "$frames" --warmup "$warmup" \
        --passes "$passes" "${device[@]}"
    run scene_on "$bin/frame_bench.exe" --size "$size" --frames "$sleepFrames" --warmup "$warmup" --sleep "$source"
    run reference_on "$bin/bench_reference.exe" --size "$size" --frames "$sleepFrames" --warmup "$warmup" \
        --passes "$passes" --sleep "${device[@]}"
    python3 tools/bench_table.py "$name" "$out/scene_off" "$out/reference_off" "$out/scene_on" "$out/reference_on"
done
echo
echo "load average after the runs$(uptime | sed 's/.*load average//')"
