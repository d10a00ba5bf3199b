"""The falling-glyph light as the real screensaver plays it under Wine
(corvalline_glyphs.scr: the landscape with the camera still, a slide of
green glyphs over the picture, then one over black): each slide is seen
and changes between screenshots a second apart, with and without
common_res.dll beside the program."""
import os
import shutil
import time
import unittest

from harness import BIN, BUILD, WM_CLOSE, Session, client_area, read_picture

KEY = r"HKCU\Software\Tessaverd\Glimmerwright\Screensaver"
GLYPHS_SCR = os.path.join(BIN, "corvalline_glyphs.scr")
LANDSCAPE = os.path.join(BUILD, "scenepics", "landscape.jpg")
STEP = 6          # view pixels between sample points
DARK = 24         # no channel above this: black
NEAR = 24         # mean channel difference that still counts as the picture
CHANGED = 30      # summed channel difference that counts as a change


def is_glyph_green(p):
    r, g, b = p
    return g > 60 and g > r + 40 and g > b + 40


def sample_points(width, height):
    return [(x, y) for y in range(STEP // 2, height, STEP) for x in range(STEP // 2, width, STEP)]


class View:
    """A screenshot's client area compared with the landscape stretched
    over it (picture position Stretch)."""

    def __init__(self, img, area, landscape):
        self.img, self.area, self.landscape = img, area, landscape
        self.width, self.height = area[2] - area[0], area[3] - area[1]
        self.points = sample_points(self.width, self.height)

    def shown(self, x, y):
        return self.img.pixel(self.area[0] + x, self.area[1] + y)

    def picture(self, x, y):
        lw, lh = self.landscape.width, self.landscape.height
        return self.landscape.pixel(min(x * lw // self.width, lw - 1), min(y * lh // self.height, lh - 1))

    def kind(self):
        """'picture' (glyphs over the landscape), 'black' (glyphs over
        black) or '' (anything else: the splash, a fade)."""
        n = len(self.points)
        dark = greenish = green = green_over_picture = landscape = 0
        for x, y in self.points:
            p, q = self.shown(x, y), self.picture(x, y)
            if max(p) <= DARK:
                dark += 1
            elif p[1] > p[0] + 8 and p[1] > p[2] + 8:
                greenish += 1
            if is_glyph_green(p):
                green += 1
                if not is_glyph_green(q):
                    green_over_picture += 1
            if sum(abs(a - b) for a, b in zip(p, q)) / 3 < NEAR:
                landscape += 1
        # Black but for glyphs, some of them plainly green.
        if dark + greenish >= n * 0.97 and dark > n // 2 and green >= n // 400:
            return "black"
        # Mostly the landscape, with green glyphs where it is not green.
        if landscape > n * 0.6 and green_over_picture >= n // 400:
            return "picture"
        return ""

    def differs_from(self, other):
        changed = sum(1 for x, y in self.points
                      if sum(abs(a - b) for a, b in zip(self.shown(x, y), other.shown(x, y))) > CHANGED)
        return changed >= len(self.points) // 400


class TestGlyphs(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.landscape = read_picture(LANDSCAPE)

    def check_both_slides(self, with_library):
        with Session() as s:
            folder = os.path.join(s.tmp, "bin")
            os.mkdir(folder)
            program = os.path.join(folder, "corvalline_glyphs.scr")
            shutil.copy(GLYPHS_SCR, program)
            if with_library:
                shutil.copy(os.path.join(BIN, "common_res.dll"), folder)
            # Stretch: the landscape covers the client area exactly.
            r = s.reg("add", KEY, "/v", '"PicPos"', "/t", "REG_DWORD", "/d", "0", "/f")
            self.assertEqual(r.returncode, 0)
            p = s.start("/t", program=program)
            (w,) = s.wait_windows(timeout=120)
            area = client_area(w)
            # Each slide shows 8 s between 1 s fades: two screenshots a second
            # apart of the same kind that differ show its glyphs falling.
            seen = set()
            deadline = time.time() + 120
            while seen != {"picture", "black"} and time.time() < deadline:
                first = View(s.screenshot(), area, self.landscape)
                time.sleep(1.0)
                second = View(s.screenshot(), area, self.landscape)
                kind = first.kind()
                if kind and kind == second.kind() and second.differs_from(first):
                    seen.add(kind)
            if seen != {"picture", "black"}:
                s.screenshot(os.path.join(s.tmp, "last.png"))
            self.assertEqual(seen, {"picture", "black"}, s.output(p))
            s.post(w.hwnd, WM_CLOSE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))

    def test_glyphs_with_library(self):
        self.check_both_slides(with_library=True)

    def test_glyphs_without_library(self):
        self.check_both_slides(with_library=False)


if __name__ == "__main__":
    unittest.main()
