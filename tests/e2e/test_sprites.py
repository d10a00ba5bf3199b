"""The moving sprite systems as the real screensaver plays them under Wine
(corvalline_sprites.scr: the landscape with the camera still and a sprite
system of each kind in a region of its own), from a folder without
common_res.dll, since the document holds every sprite picture: two
screenshots a second apart differ inside each moving kind's region, and
match each other and the landscape far from all of them."""
import os
import time
import unittest

from harness import BIN, BUILD, WM_CLOSE, Session, client_area, read_picture

SPRITES_SCR = os.path.join(BIN, "corvalline_sprites.scr")
LANDSCAPE = os.path.join(BUILD, "scenepics", "landscape.jpg")
STEP = 4          # view pixels between sample points
CHANGED = 30      # summed channel difference that counts as a change
NEAR = 24         # mean channel difference that still counts as the picture

# Each kind's area in tests/variants/sprites.scene (fractions of the
# picture: left, top, right, bottom).
MOVING = {
    "fog": (0.03, 0.03, 0.27, 0.27),
    "birds": (0.32, 0.05, 0.68, 0.28),
    "rain": (0.80, 0.02, 0.98, 0.58),
    "petals": (0.02, 0.36, 0.22, 0.58),
    "fish": (0.32, 0.66, 0.78, 0.88),
    "ghosts": (0.82, 0.68, 0.98, 0.95),
}
# The far shore below the peaks: no sprite comes near.
FAR = (0.36, 0.38, 0.66, 0.56)


class View:
    """A screenshot's client area, with the landscape stretched over it
    (picture position Stretch) to compare with."""

    def __init__(self, img, area, landscape):
        self.img, self.area, self.landscape = img, area, landscape
        self.width, self.height = area[2] - area[0], area[3] - area[1]

    def points(self, box):
        left, top, right, bottom = box
        return [(x, y) for y in range(int(top * self.height), int(bottom * self.height), STEP)
                for x in range(int(left * self.width), int(right * self.width), STEP)]

    def shown(self, x, y):
        return self.img.pixel(self.area[0] + x, self.area[1] + y)

    def picture(self, x, y):
        lw, lh = self.landscape.width, self.landscape.height
        return self.landscape.pixel(min(x * lw // self.width, lw - 1), min(y * lh // self.height, lh - 1))

    def changed_share(self, other, box):
        points = self.points(box)
        changed = sum(1 for x, y in points
                      if sum(abs(a - b) for a, b in zip(self.shown(x, y), other.shown(x, y))) > CHANGED)
        return changed / len(points)

    def picture_share(self, box):
        points = self.points(box)
        near = sum(1 for x, y in points
                   if sum(abs(a - b) for a, b in zip(self.shown(x, y), self.picture(x, y))) / 3 < NEAR)
        return near / len(points)


class TestSprites(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.landscape = read_picture(LANDSCAPE)

    def test_each_kind_moves_in_its_region_only(self):
        with Session() as s:
            program = s.program_folder(SPRITES_SCR, with_library=False)
            s.set_picture_position(0)
            p = s.start("/t", program=program)
            (w,) = s.wait_windows(timeout=120)
            area = client_area(w)
            moved = set()
            far_still = False
            deadline = time.time() + 120
            while (moved != set(MOVING) or not far_still) and time.time() < deadline:
                first = View(s.screenshot(), area, self.landscape)
                time.sleep(1.0)
                second = View(s.screenshot(), area, self.landscape)
                if first.picture_share(FAR) < 0.9 or second.picture_share(FAR) < 0.9:
                    continue  # the splash or the fade-in
                far_still = far_still or first.changed_share(second, FAR) == 0.0
                moved |= {kind for kind, box in MOVING.items() if second.changed_share(first, box) >= 0.01}
            if moved != set(MOVING) or not far_still:
                s.screenshot(os.path.join(s.tmp, "last.png"))
            self.assertEqual(moved, set(MOVING), s.output(p))
            self.assertTrue(far_still, s.output(p))
            s.post(w.hwnd, WM_CLOSE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))


if __name__ == "__main__":
    unittest.main()
