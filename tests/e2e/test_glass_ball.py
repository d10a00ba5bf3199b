"""The glass ball as the screensaver plays it under Wine, in the build with
flame_glassball.scene (camera still): while the second slide shows, the
landscape sways inside a glass ball over a red-to-blue gradient, so
screenshots a second apart differ inside the ball's disc and match outside
it. The same holds without common_res.dll: the document carries the
pictures the ball uses."""
import math
import os
import time
import unittest

from harness import BIN, WM_CLOSE, Session, client_area

GLASS_BALL_SCR = os.path.join(BIN, "corvalline_flame_glassball.scr")
# In the 600 x 400 test window the ball's disc (ball size 100) is centred
# and about as wide as the window, so the gradient shows in the corners;
# the margins keep clear of the disc's blurred rim.
INSIDE = 180
OUTSIDE = 335
STEP = 3
CHANGED = 24  # a channel moving further than this counts as a change
MOVING = 300  # changed pixels inside the disc that show the sway
STILL = 10    # changed pixels outside that still count as unchanged


def regions(area):
    """The sampled points inside the disc and outside it, in screen pixels."""
    left, top, right, bottom = area
    cx, cy = (left + right) / 2.0, (top + bottom) / 2.0
    inside, outside = [], []
    for y in range(top, bottom, STEP):
        for x in range(left, right, STEP):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if d < INSIDE:
                inside.append((x, y))
            elif d > OUTSIDE:
                outside.append((x, y))
    return inside, outside


def changed(a, b, points):
    return sum(1 for x, y in points
               if max(abs(p - q) for p, q in zip(a.pixel(x, y), b.pixel(x, y))) > CHANGED)


def shows_gradient(image, area):
    """Red along the top of the client area and blue along its bottom."""
    left, top, right, bottom = area
    r, g, b = image.mean(left + 4, top + 2, left + 60, top + 8, step=2)
    top_red = r > 200 and g < 50 and b < 50
    r, g, b = image.mean(left + 4, bottom - 8, left + 60, bottom - 2, step=2)
    bottom_blue = b > 200 and r < 50 and g < 50
    return top_red and bottom_blue


class TestGlassBall(unittest.TestCase):
    def check_ball(self, with_library):
        with Session() as s:
            program = s.program_folder(GLASS_BALL_SCR, with_library)
            p = s.start("/t", program=program)
            (w,) = s.wait_windows(timeout=120)
            area = client_area(w)
            inside, outside = regions(area)
            self.assertGreater(len(outside), 100)
            # The splash, then the stand-in slide (8 s between 1 s fades),
            # then the ball.
            deadline = time.time() + 90
            result = None
            while time.time() < deadline:
                first = s.screenshot()
                if not shows_gradient(first, area):
                    time.sleep(0.5)
                    continue
                time.sleep(1.0)
                second = s.screenshot()
                if not shows_gradient(second, area):
                    continue
                result = (changed(first, second, inside), changed(first, second, outside))
                if result[0] >= MOVING:
                    break
            if result is None or result[0] < MOVING:
                s.screenshot(os.path.join(s.tmp, "last.png"))
            self.assertIsNotNone(result, "the gradient never showed\n" + s.output(p))
            self.assertGreaterEqual(result[0], MOVING, result)
            self.assertLessEqual(result[1], STILL, result)
            s.post(w.hwnd, WM_CLOSE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))

    def test_ball_with_library(self):
        self.check_ball(with_library=True)

    def test_ball_without_library(self):
        self.check_ball(with_library=False)


if __name__ == "__main__":
    unittest.main()
