"""The glowing discharge: the composer's statements for it and what they
store."""
import os
import shutil
import tempfile
import unittest

from harness import EFFECTS, LIBRARY, SCENE_PICTURES as PICTURES, compose

SLIDE = "slide S\npicture landscape.jpg\n"
DISCHARGE = SLIDE + "sprite DS_DischargeFXConstructor\nfrom 50 480\nto 280 480\ncount 6\n"


class TestDischargeComposer(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="corvalline-glow-")

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def compose(self, scene, library=LIBRARY):
        return compose(scene, self.tmp, library)

    def test_settings_it_refuses(self):
        cases = [
            ("from 1\n", "from wants X Y"),
            ("to 1 2 3\n", "to wants X Y"),
            ("amplitude -1\n", "amplitude wants a whole number"),
            ("flicker 101\n", "flicker wants 0 to 100"),
            ("bolt-picture 2\n", "bolt-picture wants 0 or 1"),
            ("glow-color 1000000\n", "glow-color wants BBGGRR"),
            ("edge left 0 0 0 0 0\n", "unknown statement 'edge'"),
        ]
        for body, message in cases:
            with self.subTest(body=body):
                code, err, output = self.compose(DISCHARGE + body)
                self.assertEqual(code, 1, err)
                self.assertIn(message, err)
                self.assertFalse(os.path.exists(output))

    def test_document_holds_the_bolt_pictures_and_the_effect(self):
        code, err, output = self.compose(DISCHARGE + "bolt-picture 0\nglow-color FF8000\nintensity 80\n")
        self.assertEqual(code, 0, err)
        with open(output, "rb") as f:
            document = f.read()
        self.assertIn("DS_DischargeFXConstructor".encode("utf-16-le"), document)
        for stored in (os.path.join(EFFECTS, "097_glow.fxo"), os.path.join(LIBRARY, "bolt_sharp.dds"),
                       os.path.join(LIBRARY, "bolt_soft.dds")):
            with open(stored, "rb") as f:
                self.assertIn(f.read(), document, stored)

    def test_missing_library_picture_is_an_error(self):
        code, err, output = self.compose(DISCHARGE, library=self.tmp)
        self.assertEqual(code, 1, err)
        self.assertIn("no library picture 95", err)
        self.assertFalse(os.path.exists(output))


if __name__ == "__main__":
    unittest.main()
