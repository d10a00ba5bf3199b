#!/usr/bin/env python3
"""Writes the CTest entries of a GoogleTest program: one entry per test
suite (CTest name "Suite", run as --gtest_filter=Suite.*), so that a suite's
cases share one Wine process. Cases named in --alone get an entry and a
process of their own (CTest name "Suite.Case") and are left out of their
suite's entry. With UNIT_TESTS_PER_CASE=1 in the environment every case gets
its own entry instead, as GoogleTest's own discovery would make them.

Called by CTest (through the include script tests/CMakeLists.txt writes)
before it runs tests; lists the program's tests under Wine only when the
program or this script is newer than the entries written last time.

Usage: gtest-ctest.py --program EXE --runner RUNNER --out FILE --workdir DIR
       [--timeout SECONDS] [--property NAME=VALUE]... [--alone Suite.Case]...
       [--depends FILE]..."""
import argparse
import os
import subprocess
import sys


def cmake_quote(text):
    return "[==[" + text + "]==]"


def list_tests(program, runner_dir):
    """{suite: [case, ...]} in the program's order, from --gtest_list_tests."""
    r = subprocess.run([os.path.join(runner_dir, "wine-run.sh"), program, "--gtest_list_tests"],
                       stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    text = r.stdout.decode("utf-8", "replace")
    if r.returncode != 0:
        raise RuntimeError("listing the tests of %s ended with exit status %d:\n%s%s" % (
            program, r.returncode, text, r.stderr.decode("utf-8", "replace")))
    suites = {}
    suite = None
    for line in text.splitlines():
        # "Suite." then "  Case", each possibly followed by "  # GetParam() = ...".
        name = line.split("#", 1)[0].strip()
        if not name:
            continue
        if not line.startswith(" "):
            suite = name.rstrip(".")
            suites[suite] = []
        elif suite is not None:
            suites[suite].append(name)
    if not suites:
        raise RuntimeError("%s listed no tests:\n%s" % (program, text))
    return suites


def entries(suites, alone, per_case):
    """(CTest name, --gtest_filter) pairs."""
    result = []
    for suite, cases in suites.items():
        if suite.startswith("DISABLED_"):
            continue
        names = [suite + "." + c for c in cases if not c.startswith("DISABLED_")]
        if per_case:
            result += [(n, n) for n in names]
            continue
        own = [n for n in names if n in alone]
        if len(own) < len(names):
            result.append((suite, suite + ".*" + ("-" + ":".join(own) if own else "")))
        result += [(n, n) for n in own]
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--runner", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--workdir", required=True)
    parser.add_argument("--timeout", type=int, default=600)
    parser.add_argument("--property", action="append", default=[])
    parser.add_argument("--alone", action="append", default=[])
    parser.add_argument("--depends", action="append", default=[],
                        help="files whose change means the entries are written again")
    args = parser.parse_args()

    per_case = os.environ.get("UNIT_TESTS_PER_CASE", "") not in ("", "0")
    out = args.out + (".cases" if per_case else "") + ".cmake"
    inputs = [args.program, os.path.abspath(__file__)] + args.depends
    if os.path.exists(out) and all(os.path.getmtime(out) > os.path.getmtime(p) for p in inputs):
        print(out)
        return 0

    lines = []
    try:
        suites = list_tests(args.program, os.path.dirname(os.path.abspath(args.runner)))
    except (RuntimeError, OSError, subprocess.TimeoutExpired) as e:
        # An entry that fails and says why, rather than no unit tests at all.
        message = "the unit tests could not be listed: %s" % e
        lines.append("add_test(unit_tests_NOT_LISTED %s -c %s)" % (
            cmake_quote(sys.executable), cmake_quote("import sys; sys.exit(%r)" % message)))
        with open(out + ".failed", "w") as f:
            f.write("\n".join(lines) + "\n")
        print(out + ".failed")
        return 0

    # The runner stops a stuck program a minute before CTest would, so that
    # its report of what the program did reaches the output.
    environment = "RUN_GTEST_TIME_LIMIT=%d" % max(args.timeout - 60, args.timeout // 2)
    properties = ["WORKING_DIRECTORY", cmake_quote(args.workdir), "TIMEOUT", str(args.timeout),
                  "LABELS", "unit"]
    extra_env = []
    for p in args.property:
        name, _, value = p.partition("=")
        if name == "ENVIRONMENT":
            extra_env.append(value)
        else:
            properties += [name, cmake_quote(value)]
    properties += ["ENVIRONMENT", cmake_quote(";".join([environment] + extra_env))]
    for name, gtest_filter in entries(suites, set(args.alone), per_case):
        lines.append("add_test(%s %s %s %s)" % (cmake_quote(name), cmake_quote(args.runner), cmake_quote(args.program),
                                                  cmake_quote("--gtest_filter=" + gtest_filter)))
        lines.append("set_tests_properties(%s PROPERTIES %s)" % (cmake_quote(name), " ".join(properties)))
    tmp = out + ".tmp"
    with open(tmp, "w") as f:
        f.write("\n".join(lines) + "\n")
    os.replace(tmp, out)
    print(out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
