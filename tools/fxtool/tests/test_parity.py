"""The program's C++ byte check and the tool's checker give the same answer
for the repository's effects and thousands of damaged copies of them."""

import os
import random
import shutil
import struct
import subprocess
import tempfile
import unittest

import fxtestutil
import fxcheck
import fxtool
from fxerrors import FormatError

COMPILER = shutil.which("g++")


def damaged_copies(data, rng):
    """A sample of truncations, replaced words and flipped bits (a wider run of
    the same comparison found no difference)."""
    n = len(data) // 4
    for cut in range(0, len(data), 41):
        yield data[:cut]
    for i in range(rng.randrange(3), n, 3):
        old = struct.unpack_from("<I", data, 4 * i)[0]
        for value in (rng.choice((0, 1, 0xFFFFFFFF, len(data))), old + 4):
            yield data[:4 * i] + struct.pack("<I", value & 0xFFFFFFFF) + data[4 * i + 4:]
    for _ in range(100):
        flipped = bytearray(data)
        flipped[rng.randrange(len(flipped))] ^= 1 << rng.randrange(8)
        yield bytes(flipped)


@unittest.skipUnless(COMPILER, "needs a native g++")
class ParityTest(unittest.TestCase):
    def test_same_answers(self):
        with tempfile.TemporaryDirectory() as folder:
            driver = os.path.join(folder, "driver")
            subprocess.run([COMPILER, "-std=c++17", "-O1", "-I", fxtestutil.REPO_DIR,
                            os.path.join(fxtestutil.REPO_DIR, "engine", "resources", "EffectBytes.cpp"),
                            os.path.join(os.path.dirname(__file__), "effect_bytes_driver.cpp"), "-o", driver],
                           check=True)
            rng = random.Random(7)
            cases = []
            for _, _, path in fxtool.effect_sources(fxtestutil.EFFECTS_DIR):
                with open(path, encoding="utf-8") as handle:
                    data = fxtool.build_bytes(handle.read(), path)
                cases.append(data)
                cases.extend(damaged_copies(data, rng))
            stream = b"".join(struct.pack("<I", len(c)) + c for c in cases)
            answers = subprocess.run([driver], input=stream, capture_output=True, check=True).stdout.decode()
            self.assertEqual(len(answers), len(cases))
            mismatches = []
            for case, answer in zip(cases, answers):
                try:
                    fxcheck.check_effect(case)
                    python = "1"
                except FormatError:
                    python = "0"
                if python != answer:
                    mismatches.append((len(case), python, answer))
            self.assertEqual(mismatches[:5], [])
            self.assertIn("1", answers)


if __name__ == "__main__":
    unittest.main()
