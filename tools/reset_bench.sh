#!/usr/bin/env bash
# Reset benchmark: plays every test build of the program that plays a scene
# (corvalline.scr and the corvalline_*.scr variants) with reset_bench.exe,
# which resets the device every few frames through the frame loop's own
# reset path, on a private Xvfb with a private sound server (so the music
# and sound items run across the resets), and prints one row a build.
#
#   tools/reset_bench.sh [--resets N] [--every N] [--size WxH] [--warmup N] [SOURCE...]
#
# SOURCE: a build of the program (.scr) or a scene document file; without
# one, every build in the build's bin folder. A build whose document does
# not load (it plays no scene) is listed under the table. A run whose reset
# failed is run again with Wine's d3d9 warnings on, which name every
# default-pool resource that held up the Reset.
# Target: every reset done, none failed, no frame after a reset black or
# beyond the animation's motion, working set and open handles after the
# last reset within 1 % of after the first.
set -euo pipefail
cd "$(dirname "$0")/.."

resets=100
every=5
size=640x480
# As reset_bench.exe: Wine and llvmpipe grow over the first hundreds of
# frames of play whether or not the device is reset.
warmup=1000
sources=()
while [ $# -gt 0 ]; do
    case "$1" in
        --resets) resets=$2; shift 2 ;;
        --every) every=$2; shift 2 ;;
        --size) size=$2; shift 2 ;;
        --warmup) warmup=$2; shift 2 ;;
        -h|--help) sed -n '2,17p' "$0"; exit 0 ;;
        *) sources+=("$1"); shift ;;
    esac
done

./tools/setup.sh >&2
RUN_BUILD=$(./tools/build.sh)
bin="$RUN_BUILD/bin"
if [ ${#sources[@]} -eq 0 ]; then
    sources=("$bin/corvalline.scr")
    for build in "$bin"/corvalline_*.scr; do sources+=("$build"); done
fi

source tools/session.sh
out=$(mktemp -d)
finish() {
    stop_session
    rm -rf "$out"
}
trap finish EXIT
start_session private

# figure FILE KEY: one value of the program's output.
figure() { awk -v key="$2" '$1 == key { print $2 }' "$1"; }

echo "Reset benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) processors, load average$(uptime | sed 's/.*load average//')"
echo "Build: $bin; window $size; $resets resets, one after every $every scene frames, after $warmup warm-up frames"
echo
format="%-38s %7s %6s %19s %9s %22s %20s %18s %s\n"
printf "$format" build "resets" failed "shown/unjudged/bad" "reset ms" "working set MiB (%)" "own heap MiB (%)" "handles (%)" target
noScene=()
status=0
for source in "${sources[@]}"; do
    name=$(basename "$source")
    args=(--resets "$resets" --every "$every" --size "$size" --warmup "$warmup" "$source")
    code=0
    tools/wine-run.sh "$bin/reset_bench.exe" "${args[@]}" </dev/null >"$out/run" 2>"$out/err" || code=$?
    sed -i 's/\r$//' "$out/run" "$out/err"
    if [ "$code" = 3 ]; then
        noScene+=("$name")
        continue
    fi
    if [ "$code" != 0 ] && [ -z "$(figure "$out/run" resets_done)" ]; then
        printf "$format" "$name" - - - - - - - "reset_bench failed ($code): $(grep -v '^ALSA' "$out/err" | tail -n 2 | tr '\n' ' ')"
        status=1
        continue
    fi
    done_=$(figure "$out/run" resets_done)
    failed=$(figure "$out/run" resets_failed)
    bad=$(( $(figure "$out/run" frames_black) + $(figure "$out/run" frames_differing) ))
    wsChange=$(figure "$out/run" working_set_change_pct)
    handleChange=$(figure "$out/run" handles_change_pct)
    met=$(awk -v d="$done_" -v r="$resets" -v f="$failed" -v b="$bad" -v w="$wsChange" -v h="$handleChange" \
        'BEGIN { ok = d == r && f == 0 && b == 0 && w <= 1 && w >= -1 && h <= 1 && h >= -1; print ok ? "met" : "MISSED" }')
    [ "$met" = met ] || status=1
    failure=$failed
    [ "$failed" = 0 ] || failure="1 ($(figure "$out/run" failure_hresult))"
    printf "$format" "$name" "$done_" "$failure" \
        "$(figure "$out/run" frames_shown)/$(figure "$out/run" frames_not_judged)/$bad" \
        "$(figure "$out/run" reset_ms_median)" \
        "$(figure "$out/run" working_set_after_first_mib)->$(figure "$out/run" working_set_after_last_mib) ($wsChange)" \
        "$(figure "$out/run" own_heap_after_first_mib)->$(figure "$out/run" own_heap_after_last_mib) ($(figure "$out/run" own_heap_change_pct))" \
        "$(figure "$out/run" handles_after_first)->$(figure "$out/run" handles_after_last) ($handleChange)" "$met"
    grep -v '^ALSA' "$out/err" | sed 's/^/    /' || true
    if [ "$failed" != 0 ]; then
        # The resources still alive at the failed Reset, as Wine's d3d9 names them.
        WINEDEBUG=warn+d3d9 tools/wine-run.sh "$bin/reset_bench.exe" "${args[@]}" </dev/null >/dev/null 2>"$out/warn" || true
        grep -a 'blocks the Reset' "$out/warn" | sort | uniq -c | sed 's/^/    /' || true
    fi
done
echo
echo "Columns: resets done; failed with the HRESULT; frames after a reset that show the scene /"
echo "cannot be judged (in a slide fade or another slide) / black or beyond the animation's motion;"
echo "median time of one invalidate-Reset-restore; after the first reset -> after the last (change):"
echo "the process's working set, the heap the program's own code holds (outside Wine's libraries),"
echo "the open handles."
[ ${#noScene[@]} -eq 0 ] || echo "Plays no scene (not measured): ${noScene[*]}"
echo "load average after the runs$(uptime | sed 's/.*load average//')"
exit "$status"
