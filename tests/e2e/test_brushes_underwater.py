"""The pattern, copy and fire brushes and the underwater slide as the real
screensaver plays them under Wine (corvalline_brushes_underwater.scr: the
landscape with the camera still; slide 1 has a two-frame pattern, a still
pattern, a mirrored copy and a fire, each in its own box with a margin of
picture around it; slide 2 is under water). The view is compared with the
landscape stretched over it, with and without common_res.dll beside the
program."""
import os
import time
import unittest

from harness import BIN, BUILD, WM_CLOSE, PictureView, Session, client_area, color_distance, read_picture

SCR = os.path.join(BIN, "corvalline_brushes_underwater.scr")
LANDSCAPE = os.path.join(BUILD, "scenepics", "landscape.jpg")
PICTURE = (1024, 768)
# The boxes of tests/variants/brushes_underwater.scene, in picture pixels,
# each shrunk by 16 pixels so that soft mask edges stay out.
FRAMES_BOX = (80, 80, 432, 304)
STILL_BOX = (592, 80, 944, 304)
COPY_BOX = (80, 464, 432, 688)
FIRE_BOX = (592, 464, 944, 688)
MARGINS = [(0, 0, 1024, 48), (0, 336, 1024, 432), (0, 720, 1024, 768), (464, 0, 560, 768)]
STEP = 8        # picture pixels between samples
NEAR = 24       # mean channel difference that still counts as the same
CHANGED = 30    # mean channel difference that counts as a change


class View(PictureView):
    """A screenshot's client area, addressed in picture pixels."""

    def __init__(self, img, area, landscape):
        super().__init__(img, area, landscape, PICTURE, STEP, NEAR, CHANGED)

    def like_mirrored_picture(self, box):
        return self.share([box],
                          lambda x, y: color_distance(self.shown(x, y), self.picture(PICTURE[0] - 1 - x, y)) < NEAR)

    def kind(self):
        """'brushes' (slide 1), 'underwater' (slide 2) or '' (the splash, a fade)."""
        whole = [(0, 0) + PICTURE]
        margins = self.like_picture(MARGINS)
        if margins > 0.9 and self.like_picture([STILL_BOX]) < 0.7:
            return "brushes"
        # Under water the picture is still there but displaced nearly
        # everywhere it has detail; the splash and a fade through black are
        # much further from it.
        if margins < 0.9 and 0.4 < self.like_picture(whole) < 0.9:
            return "underwater"
        return ""


class TestBrushesAndUnderwater(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.landscape = read_picture(LANDSCAPE)

    def check_both_slides(self, with_library):
        with Session() as s:
            program = s.program_folder(SCR, with_library)
            # Stretch: the landscape covers the client area exactly.
            s.set_picture_position(0)
            p = s.start("/t", program=program)
            (w,) = s.wait_windows(timeout=120)
            area = client_area(w)
            checked = set()
            deadline = time.time() + 120
            while checked != {"brushes", "underwater"} and time.time() < deadline:
                views = []
                for _ in range(3):
                    views.append(View(s.screenshot(), area, self.landscape))
                    time.sleep(0.5)
                kinds = {v.kind() for v in views}
                if kinds == {"brushes"} and "brushes" not in checked:
                    self.check_brushes(views)
                    checked.add("brushes")
                elif kinds == {"underwater"} and "underwater" not in checked:
                    # The wobble moves: the last view differs from the first.
                    self.assertGreater(views[2].changed_from(views[0], (0, 0) + PICTURE), 0.02)
                    checked.add("underwater")
            if checked != {"brushes", "underwater"}:
                s.screenshot(os.path.join(s.tmp, "last.png"))
            self.assertEqual(checked, {"brushes", "underwater"}, s.output(p))
            s.post(w.hwnd, WM_CLOSE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))

    def check_brushes(self, views):
        first, last = views[0], views[-1]
        # Outside the boxes the picture stays as it is.
        for v in views:
            self.assertGreater(v.like_picture(MARGINS), 0.9)
        # The two-frame pattern (0.7 s a frame) changes within a second; the
        # still pattern does not, and covers the picture.
        self.assertGreater(max(v.changed_from(first, FRAMES_BOX) for v in views[1:]), 0.2)
        self.assertLess(last.changed_from(first, STILL_BOX), 0.05)
        self.assertLess(first.like_picture([STILL_BOX]), 0.7)
        # The copy shows the picture mirrored left to right.
        for v in views:
            self.assertGreater(v.like_mirrored_picture(COPY_BOX), 0.8)
        # The fire moves.
        self.assertGreater(last.changed_from(first, FIRE_BOX), 0.02)

    def test_both_slides_with_library(self):
        self.check_both_slides(with_library=True)

    def test_both_slides_without_library(self):
        self.check_both_slides(with_library=False)


if __name__ == "__main__":
    unittest.main()
