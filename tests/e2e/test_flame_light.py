"""The flame slide as the screensaver plays it under Wine
(corvalline_flame_glassball.scr: the landscape with the camera still, slide 1
the flame light). Flames move in the band over the lower 65 % of the
picture; above it only the faint heat-haze shimmer moves, so screenshots a
second apart differ in the band far more than above it. The same with and
without common_res.dll beside the program: the document carries the flame
pictures and effects."""
import os
import time
import unittest

from harness import BIN, BUILD, WM_CLOSE, Session, client_area, read_picture

SCR = os.path.join(BIN, "corvalline_flame_glassball.scr")
LANDSCAPE = os.path.join(BUILD, "scenepics", "landscape.jpg")
PICTURE = (1024, 768)
# Picture pixels: above the band (it starts at 0.35 x 768 = 268.8) and well
# inside it.
ABOVE = (0, 0, 1024, 250)
BAND = (0, 400, 1024, 768)
STEP = 8
NEAR = 24      # mean channel difference that still counts as the same
CHANGED = 30   # mean channel difference that counts as a change


def diff(p, q):
    return sum(abs(a - b) for a, b in zip(p, q)) / 3


class View:
    """A screenshot's client area, addressed in picture pixels (Stretch)."""

    def __init__(self, img, area):
        self.img, self.area = img, area
        self.width, self.height = area[2] - area[0], area[3] - area[1]

    def shown(self, x, y):
        return self.img.pixel(self.area[0] + x * self.width // PICTURE[0],
                              self.area[1] + y * self.height // PICTURE[1])

    @staticmethod
    def points(box):
        left, top, right, bottom = box
        return [(x, y) for y in range(top + STEP // 2, bottom, STEP) for x in range(left + STEP // 2, right, STEP)]

    def share(self, box, test):
        points = self.points(box)
        return sum(1 for x, y in points if test(x, y)) / len(points)


class TestFlameLight(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.landscape = read_picture(LANDSCAPE)

    def like_picture(self, view, box):
        lw, lh = self.landscape.width, self.landscape.height

        def same(x, y):
            return diff(view.shown(x, y), self.landscape.pixel(x * lw // PICTURE[0], y * lh // PICTURE[1])) < NEAR
        return view.share(box, same)

    def check_flames(self, with_library):
        with Session() as s:
            program = s.program_folder(SCR, with_library)
            # Stretch: the landscape covers the client area exactly.
            s.set_picture_position(0)
            p = s.start("/t", program=program)
            (w,) = s.wait_windows(timeout=120)
            area = client_area(w)
            measured = None
            deadline = time.time() + 120
            while measured is None and time.time() < deadline:
                first = View(s.screenshot(), area)
                time.sleep(1.0)
                second = View(s.screenshot(), area)
                # The flame slide, not a fade or the splash: above the band
                # both show the picture.
                if min(self.like_picture(v, ABOVE) for v in (first, second)) < 0.85:
                    continue
                changed = {name: second.share(box, lambda x, y: diff(first.shown(x, y), second.shown(x, y)) > CHANGED)
                           for name, box in (("band", BAND), ("above", ABOVE))}
                measured = changed
            if measured is None:
                s.screenshot(os.path.join(s.tmp, "last.png"))
            self.assertIsNotNone(measured, s.output(p))
            self.assertGreater(measured["band"], 0.02, measured)
            self.assertGreater(measured["band"], 5 * measured["above"], measured)
            s.post(w.hwnd, WM_CLOSE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))

    def test_flames_with_library(self):
        self.check_flames(with_library=True)

    def test_flames_without_library(self):
        self.check_flames(with_library=False)


if __name__ == "__main__":
    unittest.main()
