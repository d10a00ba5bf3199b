"""The grouped unit-test run reports a failing case by name with its
message, and a process that died mid-suite with its exit status and the case
it was running; either way the run fails. Runs the unit-test program of the
build in CORVALLINE_BUILD under tools/run-gtest.py, the way CTest's suite
entries do."""
import os
import subprocess
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
RUNNER = os.path.join(HERE, "..", "run-gtest.py")
BUILD = os.environ.get("CORVALLINE_BUILD", os.path.join(HERE, "..", "..", "build"))
PROGRAM = os.path.join(BUILD, "bin", "unit_tests.exe")
CASE = "RunnerCheck.FailsOnlyWhenAsked"


class GroupedRunReports(unittest.TestCase):
    def run_suite(self, demo):
        env = dict(os.environ, CORVALLINE_FAIL_DEMO=demo, RUN_GTEST_TIME_LIMIT="120")
        r = subprocess.run([sys.executable, RUNNER, PROGRAM, "--gtest_filter=RunnerCheck.*"], env=env,
                           stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
        return r.returncode, r.stdout.decode("utf-8", "replace") + r.stderr.decode("utf-8", "replace")

    def test_reports(self):
        for demo, expected in [
            ("fail", ["[  FAILED  ] " + CASE, "the failure CORVALLINE_FAIL_DEMO asked for",
                      "verdict printed: FAILED"]),
            ("crash", ["ended with exit status", "verdict printed: none",
                       "case running when it ended: " + CASE]),
        ]:
            with self.subTest(demo=demo):
                code, output = self.run_suite(demo)
                self.assertNotEqual(code, 0, output)
                for text in expected:
                    self.assertIn(text, output)


if __name__ == "__main__":
    unittest.main()
