"""Prints the frame benchmark's table for one scene: the figures of
frame_bench and of bench_reference (both print "key value" lines), with
the frame sleep off and on, each scene figure also as a ratio to the
reference's, then the targets.

Usage: bench_table.py NAME SCENE_OFF REFERENCE_OFF SCENE_ON REFERENCE_ON
(files holding the programs' output; an empty file stands for a run that
failed).
"""

import sys

# (key, label, decimals): the rows of the table, in order.
ROWS = [
    ("frames", "frames measured", 0),
    ("wall_median_ms", "wall ms/frame, median", 2),
    ("wall_p95_ms", "wall ms/frame, 95th percentile", 2),
    ("thread_cpu_ms", "frame-loop thread CPU ms/frame", 2),
    ("frame_work_cpu_ms", "  of it update and draw calls", 3),
    ("frame_work_wall_ms", "update and draw, wall ms/frame", 3),
    ("process_cpu_ms", "process CPU ms/frame", 2),
    ("other_windows_threads_cpu_ms", "  Wine's Direct3D threads", 2),
    ("rasterizer_threads_cpu_ms", "  rasterizer threads (llvmpipe)", 2),
    ("draw_calls", "draw calls/frame", 2),
    ("target_switches", "render-target switches/frame", 2),
    ("fullscreen_passes", "full-screen passes/frame", 2),
    ("allocations_per_frame", "heap allocations/frame", 2),
    ("first_present_ms", "first presented frame, ms", 0),
    ("scene_loaded_ms", "scene document loaded, ms", 0),
    ("first_scene_ms", "first scene frame, ms", 0),
    ("working_set_peak_mb", "working set peak, MiB", 1),
    ("working_set_final_mb", "working set final, MiB", 1),
    ("working_set_growth_pct", "working set growth, %", 2),
]

# Targets, checked on the sleep-off run of the scene at full size.
FRAME_WORK_TARGET_MS = 1.0
PROCESS_CPU_TARGET_RATIO = 1.15
FIRST_FRAME_TARGET_MS = 500.0
GROWTH_TARGET_PCT = 5.0
ALLOCATIONS_TARGET = 0.0


def read_figures(path):
    """The "key value" lines of a program's output: numbers as floats
    (hexadecimal ones too), anything else as text."""
    figures = {}
    try:
        with open(path) as f:
            lines = f.read().splitlines()
    except OSError:
        return figures
    for line in lines:
        parts = line.split()
        if len(parts) != 2:
            continue
        key, text = parts
        try:
            figures[key] = float(int(text, 16)) if text.startswith("0x") else float(text)
        except ValueError:
            figures[key] = text
    return figures


def number(figures, key):
    """A figure, or None when it is missing or negative (not measured)."""
    value = figures.get(key)
    return value if isinstance(value, float) and value >= 0.0 else None


def cell(figures, key, decimals):
    value = number(figures, key)
    if value is None:
        return "-"
    return "%.*f" % (decimals, value)


def ratio(scene, reference, key):
    a, b = number(scene, key), number(reference, key)
    if a is None or b is None or b == 0.0:
        return "-"
    return "%.2f" % (a / b)


def table(name, runs):
    scene_off, reference_off, scene_on, reference_on = runs
    out = []
    size = scene_off.get("size", scene_on.get("size", "?"))
    out.append("%s at %s (reference: %s full-screen passes)" % (
        name, size, cell(reference_off, "passes", 0) if "passes" in reference_off else "?"))
    header = "%-34s %9s %9s %6s   %9s %9s %6s" % ("", "scene", "reference", "ratio", "scene", "reference", "ratio")
    out.append("%-34s %-26s   %s" % ("", "frame sleep off", "frame sleep on (as the saver runs)"))
    out.append(header)
    for key, label, decimals in ROWS:
        out.append("%-34s %9s %9s %6s   %9s %9s %6s" % (
            label,
            cell(scene_off, key, decimals), cell(reference_off, key, decimals), ratio(scene_off, reference_off, key),
            cell(scene_on, key, decimals), cell(reference_on, key, decimals), ratio(scene_on, reference_on, key)))
    return out


def targets(scene, reference):
    out = ["targets (frame sleep off):"]

    def line(text, value, limit, met):
        out.append("  %-52s %10s  %s" % (text, value, "met" if met else "MISSED (limit %s)" % limit))

    thread = scene.get("thread_cpu_ms")
    if isinstance(thread, float):
        line("frame-loop thread CPU, ms/frame", "%.3f" % thread, FRAME_WORK_TARGET_MS, thread <= FRAME_WORK_TARGET_MS)
    work = scene.get("frame_work_cpu_ms")
    if isinstance(work, float):
        line("  of it update and draw calls (Present left out)", "%.3f" % work, FRAME_WORK_TARGET_MS,
             work <= FRAME_WORK_TARGET_MS)
    a, b = scene.get("process_cpu_ms"), reference.get("process_cpu_ms")
    if isinstance(a, float) and isinstance(b, float) and b > 0:
        line("process CPU / reference's", "%.2f" % (a / b), PROCESS_CPU_TARGET_RATIO,
             a / b <= PROCESS_CPU_TARGET_RATIO)
    a, b = scene.get("first_scene_ms"), reference.get("first_present_ms")
    if isinstance(a, float) and isinstance(b, float):
        line("first scene frame after the reference's first, ms", "%+.0f" % (a - b), FIRST_FRAME_TARGET_MS,
             a - b <= FIRST_FRAME_TARGET_MS)
    growth = scene.get("working_set_growth_pct")
    if isinstance(growth, float):
        line("working set growth, %%, over %d frames" % scene.get("frames", 0), "%.2f" % growth,
             GROWTH_TARGET_PCT, growth < GROWTH_TARGET_PCT)
    allocations = scene.get("allocations_per_frame")
    if isinstance(allocations, float):
        line("heap allocations per frame", "%.2f" % allocations, "%.0f" % ALLOCATIONS_TARGET,
             allocations <= ALLOCATIONS_TARGET)
    return out


def main(argv):
    if len(argv) != 6:
        sys.stderr.write(__doc__)
        return 2
    runs = [read_figures(path) for path in argv[2:6]]
    lines = table(argv[1], runs) + targets(runs[0], runs[1])
    print("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
