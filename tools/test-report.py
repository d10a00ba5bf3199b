#!/usr/bin/env python3
"""Prints the end of a test.sh run: the wall time, the five slowest CTest
entries, and the unit-test cases that failed, read from CTest's JUnit files.

Usage: test-report.py START_TIME JUNIT_FILE...  (START_TIME: seconds since 1970)"""
import re
import sys
import time
import xml.etree.ElementTree as ET

FAILED_CASE = re.compile(r"^\[  FAILED  \] (\S+)(?:, where .*| \(\d+ ms\))?$", re.M)


def main():
    wall = time.time() - float(sys.argv[1])
    entries = []
    failed_cases = []
    for path in sys.argv[2:]:
        try:
            root = ET.parse(path).getroot()
        except (OSError, ET.ParseError) as e:
            print("test-report: cannot read %s: %s" % (path, e))
            continue
        for case in root.iter("testcase"):
            entries.append((float(case.get("time", "0")), case.get("name")))
            if case.get("status") == "fail" or case.find("failure") is not None:
                out = case.findtext("system-out") or ""
                failed_cases += ["%s (in %s)" % (m, case.get("name")) for m in FAILED_CASE.findall(out)
                                 if not m.endswith(",")]
    minutes, seconds = divmod(int(round(wall)), 60)
    print("Wall time: %d min %02d s for %d entries" % (minutes, seconds, len(entries)))
    print("Slowest entries:")
    for t, name in sorted(entries, reverse=True)[:5]:
        print("  %7.1f s  %s" % (t, name))
    if failed_cases:
        print("Failed unit-test cases:")
        for name in sorted(set(failed_cases)):
            print("  " + name)
    return 0


if __name__ == "__main__":
    sys.exit(main())
