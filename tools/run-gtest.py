#!/usr/bin/env python3
"""Runs a GoogleTest program under Wine (through wine-run.sh), passing its
output and exit status on.

Wine 8, 2026-12: now and then a test process that has printed its verdict
never ends: the process exit hangs inside Wine, under load, whatever the
test did; or the wineserver kills it (SIGKILL) there. Once the program has
printed its verdict (GoogleTest's closing "[  PASSED  ] n tests." or
"[  FAILED  ] n tests, listed below:") it gets a grace period to end; after
that it is killed, and the printed verdict is the result, as it is when the
program was killed after it.

Whenever the run does not end with a passing verdict and exit status 0, the
runner says why on its last lines: the exit status (or signal), whether the
runner's own time limit stopped the program, whether a verdict was printed,
and the case that was running when the program ended. Both streams are
passed on as they come (standard output to standard output, standard error
to standard error).

Usage: run-gtest.py PROGRAM [ARGS...]
RUN_GTEST_TIME_LIMIT (seconds, default 540) bounds the whole run; keep it
below the CTest TIMEOUT so that the runner, not CTest, reports a stuck
program."""
import os
import re
import signal
import subprocess
import sys
import threading
import time

from wine_programs import describe, test_environment

GRACE_SECONDS = 20
VERDICT = re.compile(rb"^\[  (PASSED|FAILED)  \] \d+ tests?(\.|, listed below:)")
RUN = re.compile(rb"^\[ RUN      \] (\S+)")
DONE = re.compile(rb"^\[  ( +OK|FAILED|SKIPPED) +\] (\S+)")


class Watch:
    """What the program has printed so far, read from both streams."""

    def __init__(self):
        self.lock = threading.Lock()
        self.verdict = None  # b"PASSED" or b"FAILED" once printed
        self.seen = threading.Event()
        self.running = None  # the case started and not yet finished
        self.lines = {"stdout": 0, "stderr": 0}

    def pump(self, stream, out, name):
        for line in iter(stream.readline, b""):
            out.write(line)
            out.flush()
            with self.lock:
                self.lines[name] += 1
                m = RUN.match(line)
                if m:
                    self.running = m.group(1).decode("utf-8", "replace")
                elif DONE.match(line):
                    self.running = None
                m = VERDICT.match(line)
                if m:
                    self.verdict = m.group(1)
                    self.seen.set()


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    limit = float(os.environ.get("RUN_GTEST_TIME_LIMIT", "540"))
    started = time.monotonic()
    proc = subprocess.Popen([os.path.join(here, "wine-run.sh")] + sys.argv[1:], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, env=test_environment())
    watch = Watch()
    readers = [threading.Thread(target=watch.pump, args=(proc.stdout, sys.stdout.buffer, "stdout"), daemon=True),
               threading.Thread(target=watch.pump, args=(proc.stderr, sys.stderr.buffer, "stderr"), daemon=True)]
    for r in readers:
        r.start()

    stopped = None  # why the runner ended the program, if it did
    while proc.poll() is None:
        if watch.seen.wait(timeout=1.0):
            try:
                proc.wait(timeout=GRACE_SECONDS)
            except subprocess.TimeoutExpired:
                stopped = "it printed its verdict but did not end within %d s" % GRACE_SECONDS
            break
        if time.monotonic() - started > limit:
            stopped = "the runner's time limit of %d s ran out" % limit
            break
    if stopped:
        proc.kill()
        proc.wait()
    for r in readers:
        r.join(timeout=5)

    elapsed = time.monotonic() - started
    with watch.lock:
        verdict, running, lines = watch.verdict, watch.running, dict(watch.lines)
    killed_after_verdict = verdict and not stopped and proc.returncode in (-signal.SIGKILL, 128 + signal.SIGKILL)
    if (stopped or killed_after_verdict) and verdict:
        # The verdict stands: the program was stuck in Wine's process exit,
        # or the wineserver killed it there.
        result = 0 if verdict == b"PASSED" else 1
    elif stopped:
        result = 1
    else:
        result = proc.returncode if proc.returncode >= 0 else 128 - proc.returncode
    if result == 0 and not stopped and not killed_after_verdict and (
            verdict == b"PASSED" or "--gtest_list_tests" in sys.argv):
        return 0
    facts = ["%s after %.1f s" % ("stopped: " + stopped if stopped else "ended with " + describe(proc.returncode),
                                  elapsed),
             "verdict printed: %s" % (verdict.decode() if verdict else "none"),
             "lines printed: %d on standard output, %d on standard error" % (lines["stdout"], lines["stderr"])]
    if running:
        facts.append("case running when it ended: %s" % running)
    if verdict and (stopped or killed_after_verdict):
        facts.append("the printed verdict is the result")
    sys.stdout.flush()
    sys.stderr.write("run-gtest: %s: %s\n" % (os.path.basename(sys.argv[1]), "; ".join(facts)))
    sys.stderr.flush()
    if result == 0 and verdict != b"PASSED":
        # Exit status 0 without a verdict: the program ended before its
        # tests had all run.
        result = 1
    return result


if __name__ == "__main__":
    sys.exit(main())
