#!/usr/bin/env python3
"""Runs one program of the frame benchmark (frame_bench.exe or
bench_reference.exe, through tools/wine-run.sh) and keeps its figures.

Both programs print their figures as "key value" lines ending with
FINAL_KEY. A run whose output lacks it, or that ended with a status other
than 0, is reported as failed on standard error: the exit status (or
signal), how much of the figures it printed and the last lines of its error
output. It is then run once more; when that run fails too, the output file
is left empty and the table shows "-" for it. A program killed after it had
printed all its figures counts as measured (Wine 8 and the wineserver, as in
tools/run-gtest.py: the process exit can hang or be killed under load).

The program runs with the environment of the unit tests
(wine_programs.test_environment).

Usage: bench_run.py OUTPUT LAUNCHER PROGRAM [ARGS...]
BENCH_RUN_TIME_LIMIT (seconds, default 900) bounds each run."""
import os
import signal
import subprocess
import sys
import tempfile

from wine_programs import describe, test_environment

FINAL_KEY = "working_set_growth_pct"
ATTEMPTS = 2
ERROR_TAIL_LINES = 5
# Lines of the error output that say nothing about the run (Wine's sound
# driver probing a machine without sound).
NOISE_PREFIXES = ("ALSA",)


def figures_state(output):
    """"complete", "partial" or "none": how much of the figures output holds."""
    keys = [line.split()[0] for line in output.splitlines() if len(line.split()) == 2]
    if FINAL_KEY in keys:
        return "complete"
    return "partial" if keys else "none"


def error_tail(error):
    lines = [line for line in error.splitlines() if line.strip() and not line.startswith(NOISE_PREFIXES)]
    return " | ".join(lines[-ERROR_TAIL_LINES:]) or "(nothing)"


def measured(code, state):
    killed = code in (-signal.SIGKILL, 128 + signal.SIGKILL)
    return state == "complete" and (code == 0 or killed)


def run_once(command, limit):
    """(return code, standard output, error output) of one run; windows
    line ends become plain ones. A run past the limit is killed. The
    streams go to files, not pipes: Wine's service processes, started by
    the first program of a prefix, inherit them and keep a pipe open long
    after the program ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        proc = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=out, stderr=err, env=test_environment())
        try:
            code = proc.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
            code = None
            err.write(b"\nbench_run: the time limit of %d s ran out\n" % limit)
        text = []
        for stream in (out, err):
            stream.seek(0)
            text.append(stream.read().decode("utf-8", "replace").replace("\r\n", "\n"))
    return code, text[0], text[1]


def run(output_path, command, limit, report=sys.stderr):
    """Runs command until it is measured, at most ATTEMPTS times; writes the
    figures (or nothing) to output_path and returns whether it was measured."""
    # The command is a launcher (wine-run.sh) and the program it runs.
    name = os.path.basename(command[1] if len(command) > 1 else command[0])
    figures = ""
    for attempt in range(1, ATTEMPTS + 1):
        code, out, err = run_once(command, limit)
        state = figures_state(out)
        if measured(code, state):
            figures = out
            break
        again = "; running it again" if attempt < ATTEMPTS else "; no figures"
        report.write("%s failed (run %d of %d): %s, figures printed: %s, error output: %s%s\n" % (
            name, attempt, ATTEMPTS, describe(code), state, error_tail(err), again))
        report.flush()
    with open(output_path, "w") as f:
        f.write(figures)
    return bool(figures)


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    limit = float(os.environ.get("BENCH_RUN_TIME_LIMIT", "900"))
    return 0 if run(argv[1], argv[2:], limit) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
