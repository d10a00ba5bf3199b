"""The water lights as the screensaver plays them under Wine, in the build
with water_lights.scene (the landscape, camera still): the lake slide
mirrors the picture below its horizon and ripples it, so screenshots a
second apart differ below the horizon and match above the tinted strip;
then two ring slides, each changing over the whole picture as drops fall,
with a fade between them."""
import os
import time
import unittest

from harness import BIN, WM_CLOSE, Session, client_area

WATER_SCR = os.path.join(BIN, "corvalline_water_lights.scr")
# The 1024 x 768 landscape fills the 600 x 400 test window (the default
# position, Fill): 450 rows, 25 cut off at the top. The lake's horizon, at
# 5/8 of the picture, lies on client row 256, its strip 4 rows above it.
ABOVE_STRIP = (5, 240)
BELOW_HORIZON = (270, 395)
STEP = 2  # every second pixel of every row
CHANGED = 24  # a channel moving further than this counts as a change
STILL = 20  # changed pixels that still count as the same frame
RIPPLED = 200
FADING = 20000  # a fade changes nearly every pixel of the rows above the strip


def changed_pixels(a, b, area, rows):
    left, top = area[0], area[1]
    count = 0
    for y in range(top + rows[0], top + rows[1]):
        row = y * a.width * 3
        for x in range(left, area[2], STEP):
            i = row + x * 3
            if max(abs(a.data[i + c] - b.data[i + c]) for c in range(3)) > CHANGED:
                count += 1
    return count


def classify(a, b, area):
    """L: the lake (still above the strip, moving below the horizon); R:
    rings (moving above the strip); F: a fade; '' otherwise."""
    above = changed_pixels(a, b, area, ABOVE_STRIP)
    if above > FADING:
        return "F"
    if above <= STILL:
        return "L" if changed_pixels(a, b, area, BELOW_HORIZON) >= RIPPLED else ""
    return "R"


class TestWaterLights(unittest.TestCase):
    def test_lake_then_rings_over_the_picture_and_over_the_scene(self):
        with Session() as s:
            p = s.start("/t", program=WATER_SCR)
            (w,) = s.wait_windows()
            area = client_area(w)
            seen = ""
            # The splash, then three slides of 8 s each; the show starts over
            # after them.
            deadline = time.time() + 90
            previous = s.screenshot()
            while "LFRFR" not in seen and time.time() < deadline:
                time.sleep(0.5)
                current = s.screenshot()
                mark = classify(previous, current, area)
                if mark and not seen.endswith(mark):
                    seen += mark
                previous = current
            self.assertIn("LFRFR", seen)
            s.post(w.hwnd, WM_CLOSE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))


if __name__ == "__main__":
    unittest.main()
