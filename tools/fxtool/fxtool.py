#!/usr/bin/env python3
"""Effect build tool: effect source -> binary effect (fx_2_0), checker, dumper.

Commands:
  fxtool.py build IN.fx OUT.fxo   assemble and write the effect, then check it
  fxtool.py check FILE.fxo        exit 1 with a message if the effect is malformed
  fxtool.py dump FILE.fxo         print the effect's structure
"""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import fxcheck  # noqa: E402
import fxsource  # noqa: E402
import fxwrite  # noqa: E402
from fxerrors import FormatError, SourceError  # noqa: E402

SOURCE_NAME_RE = re.compile(r"^(\d+)_([A-Za-z0-9_]+)\.fx$")


def build_bytes(text, where):
    """Effect source text -> checked effect bytes (raises SourceError)."""
    effect = fxsource.parse(text, where)
    data = fxwrite.build_effect(effect)
    try:
        fxcheck.check_effect(data)
    except FormatError as error:  # a writer fault, not a source mistake
        raise SourceError(where, 0, "internal error: written effect fails the check: %s" % error)
    return data


def build_file(source, output):
    try:
        with open(source, encoding="utf-8") as handle:
            text = handle.read()
    except UnicodeDecodeError as error:
        line = error.object[:error.start].count(b"\n") + 1
        raise SourceError(source, line, "the source is not UTF-8 text")
    data = build_bytes(text, source)
    tmp = output + ".tmp"
    with open(tmp, "wb") as handle:
        handle.write(data)
    os.replace(tmp, output)


def effect_sources(folder):
    """(number, stem, path) for every <number>_<name>.fx in folder, by number."""
    found = []
    for entry in sorted(os.listdir(folder)):
        if not entry.endswith(".fx"):
            continue
        match = SOURCE_NAME_RE.match(entry)
        if not match:
            raise SourceError(os.path.join(folder, entry), 0,
                              "effect sources are named <number>_<name>.fx")
        found.append((int(match.group(1)), entry[:-3], os.path.join(folder, entry)))
    numbers = [n for n, _, _ in found]
    for n in numbers:
        if numbers.count(n) > 1:
            raise SourceError(folder, 0, "resource number %d is used twice" % n)
    return sorted(found)


def main(argv):
    if len(argv) < 2:
        sys.stderr.write(__doc__)
        return 2
    command, args = argv[1], argv[2:]
    try:
        if command == "build" and len(args) == 2:
            build_file(args[0], args[1])
        elif command in ("check", "dump") and len(args) == 1:
            with open(args[0], "rb") as handle:
                data = handle.read()
            try:
                lines = fxcheck.check_effect(data)
            except FormatError as error:
                sys.stderr.write("%s: malformed effect: %s\n" % (args[0], error))
                return 1
            if command == "dump":
                sys.stdout.write("\n".join(lines) + "\n")
        else:
            sys.stderr.write(__doc__)
            return 2
    except SourceError as error:
        sys.stderr.write(str(error) + "\n")
        return 1
    except OSError as error:
        sys.stderr.write("fxtool: %s\n" % error)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
