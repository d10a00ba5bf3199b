"""The frame benchmark's runner keeps the figures of a measured run, reports
a run that ended without them (exit status, figures printed, its error
output) and runs it once more. The programs here are small Python scripts
standing in for frame_bench.exe: the runner treats every program alike."""
import io
import os
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, ".."))

import bench_run  # noqa: E402

FIGURES = "frames 10\nwall_median_ms 1.5\n%s 0.10\n" % bench_run.FINAL_KEY

# A stand-in program: its first run behaves as FIRST, later runs as LATER
# (a marker file counts the runs). Behaviours: "figures" prints every
# figure and ends with 0; "silent" prints nothing, complains and ends with
# 3; "partial" prints half of the figures and ends with 0; "killed" prints
# every figure and is then killed; "lingering" prints every figure and
# ends, leaving a child that holds its output streams open for a minute (as
# Wine's service processes do).
PROGRAM = r'''
import os, signal, subprocess, sys
marker, first, later = sys.argv[1:4]
kind = later if os.path.exists(marker) else first
open(marker, "a").close()
figures = %r
if kind == "figures":
    sys.stdout.write(figures.replace("\n", "\r\n"))
elif kind == "partial":
    sys.stdout.write(figures.splitlines()[0] + "\n")
elif kind == "killed":
    sys.stdout.write(figures)
    sys.stdout.flush()
    os.kill(os.getpid(), signal.SIGKILL)
elif kind == "lingering":
    sys.stdout.write(figures)
    sys.stdout.flush()
    subprocess.Popen(["sleep", "60"])
else:
    sys.stderr.write("ALSA lib: no card\nerr:d3d: device lost\n")
    sys.exit(3)
''' % FIGURES


class RunnerKeepsAndReports(unittest.TestCase):
    def run_program(self, first, later):
        with tempfile.TemporaryDirectory() as folder:
            script = os.path.join(folder, "frame_bench.py")
            with open(script, "w") as f:
                f.write(PROGRAM)
            output = os.path.join(folder, "figures")
            report = io.StringIO()
            ok = bench_run.run(output, [sys.executable, script, os.path.join(folder, "ran"), first, later], 60,
                               report)
            with open(output) as f:
                return ok, f.read(), report.getvalue()

    def test_runs(self):
        started = time.monotonic()
        # (first run, second run, measured, reported lines, text every report holds)
        cases = [
            ("figures", "silent", True, 0, []),
            ("killed", "silent", True, 0, []),
            ("lingering", "silent", True, 0, []),
            ("silent", "figures", True, 1, ["exit status 3", "figures printed: none", "err:d3d: device lost",
                                            "running it again"]),
            ("partial", "figures", True, 1, ["exit status 0", "figures printed: partial"]),
            ("silent", "silent", False, 2, ["frame_bench.py failed", "exit status 3"]),
        ]
        for first, later, ok, reports, texts in cases:
            with self.subTest(first=first, later=later):
                measured, figures, report = self.run_program(first, later)
                self.assertEqual(measured, ok, report)
                self.assertEqual(figures, FIGURES if ok else "")
                self.assertEqual(len(report.splitlines()), reports, report)
                self.assertNotIn("ALSA", report)
                for text in texts:
                    self.assertIn(text, report)
                if reports == 2:
                    self.assertIn("no figures", report.splitlines()[-1])
        # No run waited for a lingering child.
        self.assertLess(time.monotonic() - started, 40.0)


if __name__ == "__main__":
    unittest.main()
