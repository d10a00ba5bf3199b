"""The repository's effects: build, read back, names, and the checker's
answers for damaged bytes."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

import fxtestutil
import fxcheck
import fxtool
from fxerrors import FormatError
from test_source import BASE

# Techniques and parameters that the brushes drive by name.
CONTRACTS = {
    90: (["Main", "MainFX"],
         ["Background", "Mask", "BumpMap", "Scale", "BampTrans", "P1", "P2", "Time", "Direction1",
          "Direction2", "Shadows", "Color", "Vhalf"]),
    103: (["Main", "MainFX"], ["Background", "Mask", "amplitude", "frequency", "time", "center", "bg_scale_factor"]),
    105: (["Noise", "ColorWaves", "NoiseFX", "ColorWavesFX", "DrawBackground"],
          ["Background", "Mask", "NoiseMap", "shift", "transluency", "treshold", "base_color", "noise_shift",
           "noise_amplitude", "bump_scale"]),
}


def build_file(path):
    with open(path, encoding="utf-8") as handle:
        return fxtool.build_bytes(handle.read(), path)


class RepositoryEffectsTest(unittest.TestCase):
    def test_every_source_round_trips(self):
        sources = fxtool.effect_sources(fxtestutil.EFFECTS_DIR)
        self.assertTrue(sources)
        # The effects documents carry without a number go through the same
        # build and check.
        document_dir = os.path.join(fxtestutil.EFFECTS_DIR, "document")
        document = [(None, name[:-3], os.path.join(document_dir, name))
                    for name in sorted(os.listdir(document_dir)) if name.endswith(".fx")]
        self.assertTrue(document)
        for number, stem, path in sources + document:
            with self.subTest(effect=stem):
                data = build_file(path)
                lines = fxcheck.check_effect(data)
                self.assertEqual(build_file(path), data)  # deterministic
                if number in CONTRACTS:
                    techniques, params = CONTRACTS[number]
                    self.assertEqual([l.split()[1] for l in lines if l.startswith("technique ")], techniques)
                    declared = [l.split()[2] for l in lines if l.startswith("parameter ")]
                    for name in params:
                        self.assertIn(name, declared)
                    self.assertEqual([l.strip() for l in lines if l.startswith("  pass")], ["pass P0"] * len(techniques))

    def test_the_three_document_effects_exist(self):
        numbers = [n for n, _, _ in fxtool.effect_sources(fxtestutil.EFFECTS_DIR)]
        for number in CONTRACTS:
            self.assertIn(number, numbers)

    def test_radial_wave_has_no_scale(self):
        path = [p for n, _, p in fxtool.effect_sources(fxtestutil.EFFECTS_DIR) if n == 103][0]
        self.assertNotIn("Scale", [l.split()[-1] for l in fxcheck.check_effect(build_file(path))
                                   if l.startswith("parameter ")])

    def test_truncations_are_rejected(self):
        for _, stem, path in fxtool.effect_sources(fxtestutil.EFFECTS_DIR):
            data = build_file(path)
            # Every length near the end, a sample elsewhere.
            for length in sorted(set(range(0, len(data), 37)) | set(range(max(0, len(data) - 80), len(data)))):
                with self.subTest(effect=stem, length=length):
                    with self.assertRaises(FormatError):
                        fxcheck.check_effect(data[:length])


def words(data):
    return list(struct.unpack("<%dI" % (len(data) // 4), data))


def pack(values):
    return struct.pack("<%dI" % len(values), *values)


class CheckerTest(unittest.TestCase):
    """Damage to a known effect is reported, with the reason."""

    @classmethod
    def setUpClass(cls):
        cls.good = fxtool.build_bytes(BASE, "base.fx")

    def damaged(self, change):
        w = words(self.good)
        change(w)
        return pack(w)

    def expect_rejected(self, data, fragment):
        with self.assertRaises(FormatError) as caught:
            fxcheck.check_effect(data)
        self.assertIn(fragment, str(caught.exception))

    def locate(self):
        """Indices (in DWORDs) of interesting places of the BASE effect."""
        w = words(self.good)
        block = 2 + w[1] // 4
        first_state = block + 4 + 4 * 16 // 4 + 3 + 3  # header, 4 parameters, technique, pass
        ctab = w.index(0x42415443)
        version = ctab - 2
        size = w[version - 1] // 4
        return block, first_state, ctab, version, version + size - 1

    def test_damage_table(self):
        block, first_state, ctab, version, end = self.locate()
        cases = [
            ("tag", lambda w: w.__setitem__(0, 0xFEFF0902), "not a binary effect"),
            ("data size", lambda w: w.__setitem__(1, 0x10000), "data area size"),
            ("object count", lambda w: w.__setitem__(block + 3, 1), "not below the object count"),
            ("parameter count", lambda w: w.__setitem__(block, 0x01000000), "does not fit"),
            ("state operation", lambda w: w.__setitem__(first_state, 179), "outside the state table"),
            ("unsupported state", lambda w: w.__setitem__(first_state, 0x80), "not supported"),
            ("ctab size", lambda w: w.__setitem__(ctab + 1, 24), "header size is not 28"),
            ("ctab version", lambda w: w.__setitem__(ctab + 3, 0xFFFF0300), "version does not match"),
            ("shader version", lambda w: w.__setitem__(version, 0xFFFF0104), "bad version token"),
            ("shader kind", lambda w: w.__setitem__(version, 0xFFFE0200), "vertex shader where a pixel"),
            ("missing end", lambda w: w.__setitem__(end, 0), "no end token"),
            ("unknown opcode", lambda w: w.__setitem__(end - 3, 0x02000077), "opcode 119"),
            ("wrong length", lambda w: w.__setitem__(end - 3, 0x03000001), "opcode 1 with 3"),
            ("comment-like operand", lambda w: w.__setitem__(end - 1, 0x8000FFFE), "looks like an end or comment"),
            ("bad register", lambda w: w.__setitem__(end - 1, 0x80E400FF), "bad register"),
        ]
        for name, change, fragment in cases:
            with self.subTest(case=name):
                self.expect_rejected(self.damaged(change), fragment)

    def test_reference_to_missing_parameter(self):
        head, found, tail = self.good.rpartition(b"Tex\0")  # the sampler's reference
        self.assertTrue(found)
        data = head + b"Tez\0" + tail
        self.expect_rejected(data, "no parameter named 'Tez'")

    def test_trailing_bytes(self):
        self.expect_rejected(self.good + b"\0\0\0\0", "bytes after the last resource")

    def test_name_at_offset_zero_is_read(self):
        self.expect_rejected(self.damaged(lambda w: w.__setitem__(2, 0xFFFFFFFF)), "past the end")


class CommandLineTest(unittest.TestCase):
    def run_tool(self, *args):
        return subprocess.run([sys.executable, os.path.join(fxtestutil.TOOL_DIR, "fxtool.py")] + list(args),
                              capture_output=True, text=True)

    def test_build_check_dump_and_errors(self):
        with tempfile.TemporaryDirectory() as folder:
            source, output = os.path.join(folder, "001_base.fx"), os.path.join(folder, "001_base.fxo")
            with open(source, "w") as handle:
                handle.write(BASE)
            self.assertEqual(self.run_tool("build", source, output).returncode, 0)
            self.assertEqual(self.run_tool("check", output).returncode, 0)
            self.assertIn("technique Main", self.run_tool("dump", output).stdout)
            with open(output, "rb") as handle:
                data = handle.read()
            with open(output, "wb") as handle:
                handle.write(data[:-6])
            result = self.run_tool("check", output)
            self.assertEqual(result.returncode, 1)
            self.assertIn("malformed effect", result.stderr)
            with open(source, "w") as handle:
                handle.write(BASE.replace("mul r0, r0, c0", "mul r0, r0, c99"))
            result = self.run_tool("build", source, output)
            self.assertEqual(result.returncode, 1)
            self.assertIn("001_base.fx:17: error: register 'c99' out of range", result.stderr)
            with open(source, "wb") as handle:
                handle.write(b"texture Tex\nfloat \xff\n")
            result = self.run_tool("build", source, output)
            self.assertEqual(result.returncode, 1)
            self.assertIn("001_base.fx:2: error: the source is not UTF-8", result.stderr)

    def test_sources_are_listed_by_number_and_numbers_are_unique(self):
        with tempfile.TemporaryDirectory() as folder:
            for name in ("103_b.fx", "090_a.fx", "notes.txt"):
                open(os.path.join(folder, name), "w").close()
            self.assertEqual([(n, stem) for n, stem, _ in fxtool.effect_sources(folder)],
                             [(90, "090_a"), (103, "103_b")])
            open(os.path.join(folder, "90_c.fx"), "w").close()
            with self.assertRaisesRegex(fxtool.SourceError, "used twice"):
                fxtool.effect_sources(folder)


if __name__ == "__main__":
    unittest.main()
