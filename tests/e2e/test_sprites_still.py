"""The still and light sprite systems as the real screensaver plays them
under Wine (corvalline_sprites.scr, from a folder without common_res.dll:
the document holds every sprite picture). Two screenshots a second apart
differ inside the region of each swaying, drifting or flickering kind, a
lightning flash shows within a few seconds, the picture stays itself far
from every sprite, and the still sprite stands where its fixed point,
size and rotation put it."""
import math
import unittest

from harness import read_picture
from test_sprites import LANDSCAPE, changed_in, watch_sprites

PICTURE = (1024.0, 768.0)

# Regions (fractions of the picture: left, top, right, bottom) that only
# the named kind of tests/variants/sprites.scene reaches.
MOVING = {
    "god rays": (0.245, 0.40, 0.31, 0.52),
    "sparkles": (0.72, 0.08, 0.78, 0.24),
    "grass": (0.03, 0.95, 0.15, 0.99),
    "flower": (0.60, 0.92, 0.65, 0.95),
    "discharge": (0.40, 0.93, 0.42, 0.99),
}
LIGHTNING = (0.69, 0.34, 0.79, 0.62)

# The still sprite: the sign (48 x 24, size 60: half extents 30 by 15) at
# (512, 738) turned by 20 degrees (the sprite turns by -20 about z), red
# inside its dark border.
SIGN_CENTRE = (512.0, 738.0)
SIGN_HALF = (30.0, 15.0)
SIGN_ROTATION = math.radians(20.0)
SIGN_RED = (204, 51, 25)


def sign_bounds():
    """Left, right, top, bottom of the turned sign in picture pixels."""
    a1 = (math.cos(-SIGN_ROTATION), math.sin(-SIGN_ROTATION))
    a2 = (-math.sin(-SIGN_ROTATION), math.cos(-SIGN_ROTATION))
    hw, hh = SIGN_HALF
    ex = abs(a1[0] * hw) + abs(a2[0] * hh)
    ey = abs(hh * a2[1]) + abs(a1[1] * hw)
    x, y = SIGN_CENTRE
    return x - ex, x + ex, y - ey, y + ey


def sign_points():
    """Points inside the sign's red (along its turned long axis) and points just outside its bounds."""
    a1 = (math.cos(-SIGN_ROTATION), math.sin(-SIGN_ROTATION))
    x, y = SIGN_CENTRE
    inside = [(x + d * a1[0], y + d * a1[1]) for d in (-18.0, 0.0, 18.0)]
    left, right, top, bottom = sign_bounds()
    outside = [(left - 8.0, y), (right + 8.0, y), (x, bottom + 4.0)]
    return inside, outside


def near(a, b, limit):
    return sum(abs(p - q) for p, q in zip(a, b)) / 3 < limit


class TestStillSprites(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.landscape = read_picture(LANDSCAPE)

    def test_kinds_move_in_their_regions_and_the_sign_stands(self):
        checks = {kind: changed_in(box) for kind, box in MOVING.items()}
        checks["lightning"] = changed_in(LIGHTNING)
        checks["sign"] = lambda first, second: self.sign_stands(second)
        watch_sprites(self, self.landscape, checks)

    def sign_stands(self, view):
        """Whether the sign's red shows inside it and the picture just outside its bounds."""
        def at(point):
            return int(point[0] / PICTURE[0] * view.width), int(point[1] / PICTURE[1] * view.height)
        inside, outside = sign_points()
        if not all(near(view.shown(*at(q)), SIGN_RED, 40) for q in inside):
            return False
        return all(near(view.shown(*at(q)), view.picture(*at(q)), 24) for q in outside)


if __name__ == "__main__":
    unittest.main()
