#!/usr/bin/env python3
"""Runs a GoogleTest program under Wine (through wine-run.sh), passing its
output and exit status on.

Wine 8, 2026-12: now and then a test process that has printed its verdict
never ends: the process exit hangs inside Wine, under load, whatever the
test did. Once the program has printed its verdict it gets a grace period
to end; after that it is killed and the printed verdict is the result.

Usage: run-gtest.py PROGRAM [ARGS...]"""
import os
import subprocess
import sys
import threading

GRACE_SECONDS = 20
PASSED = b"[  PASSED  ]"
FAILED = b"[  FAILED  ]"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    proc = subprocess.Popen([os.path.join(here, "wine-run.sh")] + sys.argv[1:], stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT)
    verdict = {"seen": threading.Event(), "failed": False}

    def pump():
        out = sys.stdout.buffer
        for line in iter(proc.stdout.readline, b""):
            out.write(line)
            out.flush()
            if line.startswith(FAILED):
                verdict["failed"] = True
                verdict["seen"].set()
            elif line.startswith(PASSED):
                verdict["seen"].set()

    reader = threading.Thread(target=pump, daemon=True)
    reader.start()
    while proc.poll() is None:
        if verdict["seen"].wait(timeout=1.0):
            try:
                proc.wait(timeout=GRACE_SECONDS)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
                reader.join(timeout=5)
                sys.stdout.write("run-gtest: the program printed its verdict but did not end within %d s;"
                                 " it was stopped\n" % GRACE_SECONDS)
                sys.stdout.flush()
                return 1 if verdict["failed"] else 0
    reader.join(timeout=5)
    return proc.returncode


if __name__ == "__main__":
    sys.exit(main())
