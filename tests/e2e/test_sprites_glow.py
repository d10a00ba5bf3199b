"""The glowing discharge: the composer's statements for it and what they
store, and the discharge as the screensaver plays it under Wine in
corvalline_sprites.scr (the landscape, camera still, picture position
Stretch): a bolt across the dark shore at the left whose glow turns the
picture beside it bluer, with and without common_res.dll beside the
program (the document holds the bolt pictures and the glow effect)."""
import os
import shutil
import tempfile
import time
import unittest

from harness import (BIN, EFFECTS, LIBRARY, SCENE_PICTURES as PICTURES, WM_CLOSE, Session, client_area, compose,
                     read_picture)

SPRITES_SCR = os.path.join(BIN, "corvalline_sprites.scr")
LANDSCAPE = os.path.join(PICTURES, "landscape.jpg")

SLIDE = "slide S\npicture landscape.jpg\n"
DISCHARGE = SLIDE + "sprite DS_DischargeFXConstructor\nfrom 50 480\nto 280 480\ncount 6\n"

# The discharge of sprites.scene runs from (50, 480) to (280, 480) of the
# 1024 x 768 landscape, its quads 60 pixels tall; stretched over the
# 600 x 400 client that is x 29 to 164 along row 250, the quads reaching 15
# rows either side.
BOLT_ROW = 250
BOLT_COLUMNS = (40, 150)
BESIDE = (5, 13)     # rows from the bolt's line: glow, hardly any bolt picture
BLUER = 20           # blue this much above the picture's counts as glowing


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


class TestDischargeGlow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.landscape = read_picture(LANDSCAPE)

    def glowing_points(self, img, area):
        """Points beside the bolt that are bluer than the picture there,
        and how many were looked at."""
        width, height = area[2] - area[0], area[3] - area[1]
        lw, lh = self.landscape.width, self.landscape.height
        bluer = total = 0
        for offset in range(BESIDE[0], BESIDE[1] + 1, 2):
            for y in (BOLT_ROW - offset, BOLT_ROW + offset):
                for x in range(BOLT_COLUMNS[0], BOLT_COLUMNS[1], 3):
                    shown = img.pixel(area[0] + x, area[1] + y)
                    picture = self.landscape.pixel(min(x * lw // width, lw - 1), min(y * lh // height, lh - 1))
                    total += 1
                    if shown[2] >= picture[2] + BLUER and shown[2] > shown[0]:
                        bluer += 1
        return bluer, total

    def check_glow(self, with_library):
        with Session() as s:
            program = s.program_folder(SPRITES_SCR, with_library)
            s.set_picture_position(0)  # Stretch: the landscape covers the client area
            p = s.start("/t", program=program)
            (w,) = s.wait_windows(timeout=120)
            area = client_area(w)
            best = (0, 1)
            deadline = time.time() + 90
            while time.time() < deadline:
                bluer, total = self.glowing_points(s.screenshot(), area)
                if bluer / total > best[0] / best[1]:
                    best = (bluer, total)
                if bluer >= total // 2:
                    break
                time.sleep(1.0)
            if best[0] < best[1] // 2:
                s.screenshot(os.path.join(s.tmp, "last.png"))
            self.assertGreaterEqual(best[0], best[1] // 2, "bluer points beside the bolt: %d of %d\n%s" % (
                best[0], best[1], s.output(p)))
            s.post(w.hwnd, WM_CLOSE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))

    def test_glow_with_library(self):
        self.check_glow(with_library=True)

    def test_glow_without_library(self):
        self.check_glow(with_library=False)


if __name__ == "__main__":
    unittest.main()
