#!/usr/bin/env python3
"""Checks that lower layers of the source tree never include higher ones:
the archive and the user settings know no other layer, parameters know only
the archive, the scene engine knows no scene family, the scene families know
neither the host nor the sound subsystem, and the sound subsystem knows only
the engine (not the host). Prints each offending include and exits 1.

Usage: check_layers.py [SOURCE_ROOT]"""
import os
import re
import sys

# Folder of the including file -> folders whose headers it may include.
# A folder not named here is not checked.
ALLOWED = {
    "engine/archive": ("engine/archive",),
    "engine/params": ("engine/archive", "engine/params"),
    "engine/settings": ("engine/settings",),
    "engine/resources": ("engine/",),
    "engine/render": ("engine/",),
    "engine/scene": ("engine/",),
    "effects": ("engine/", "effects/", "objects/"),
    "objects": ("engine/", "effects/", "objects/"),
    "sound": ("engine/", "sound/"),
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCE_ENDINGS = (".h", ".cpp")


def rule_for(path):
    """The allowed prefixes for a file (its longest matching folder), or None."""
    best = None
    for folder in ALLOWED:
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return ALLOWED[best] if best else None


def offending_includes(root):
    """(file, line number, included path) for every include that breaks a rule.
    Includes of the file's own folder and system headers are always fine."""
    found = []
    for folder in sorted({f.split("/")[0] for f in ALLOWED}):
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if not name.endswith(SOURCE_ENDINGS):
                    continue
                full = os.path.join(dirpath, name)
                rel = os.path.relpath(full, root).replace(os.sep, "/")
                allowed = rule_for(rel)
                if allowed is None:
                    continue
                own = os.path.dirname(rel) + "/"
                with open(full, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match or "/" not in match.group(1):
                            continue
                        target = match.group(1)
                        if target.startswith(own):
                            continue
                        if not any(target.startswith(prefix if prefix.endswith("/") else prefix + "/")
                                   for prefix in allowed):
                            found.append((rel, number, target))
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
    found = offending_includes(os.path.abspath(root))
    for rel, number, target in found:
        print("%s:%d: includes %s, a higher layer" % (rel, number, target))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
