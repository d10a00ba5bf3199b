"""The effect sprites as the real screensaver plays them under Wine, from a
folder without common_res.dll (the documents carry the effects and
pictures): in corvalline_plants_text.scr "Corvalline" shows in its green,
centred on the picture, and stays still while the three-line text scrolls
through its box; in corvalline_particle_shows.scr the explosion over the
lake changes between screenshots a second apart."""
import os
import unittest

from harness import BIN, BUILD, PictureView, changes_between, read_picture, screenshots_a_second_apart

PLANTS_TEXT_SCR = os.path.join(BIN, "corvalline_plants_text.scr")
PARTICLE_SHOWS_SCR = os.path.join(BIN, "corvalline_particle_shows.scr")
LANDSCAPE = os.path.join(BUILD, "scenepics", "landscape.jpg")
PICTURE = (1024, 768)
# The boxes of tests/variants/plants_text.scene and particle_shows.scene,
# in picture pixels.
STATIC_TEXT = (212, 324, 812, 444)
SCROLLING_TEXT = (40, 530, 360, 710)
EXPLOSION = (680, 480, 920, 720)
STEP = 4        # picture pixels between samples
NEAR = 24       # mean channel difference that still counts as the same
CHANGED = 30    # mean channel difference that counts as a change


class View(PictureView):
    """A screenshot's client area, addressed in picture pixels."""

    def __init__(self, img, area, landscape):
        super().__init__(img, area, landscape, PICTURE, STEP, NEAR, CHANGED)

    def green_share(self, box):
        def green(x, y):
            r, g, b = self.shown(x, y)[:3]
            return g > 200 and r < 90 and b < 90
        return self.share([box], green)


def shots_a_second_apart(test, program, ready, count=3, keep=None):
    """The program without common_res.dll: count views a second apart once
    ready(view) holds (see harness.screenshots_a_second_apart)."""
    return screenshots_a_second_apart(test, program, lambda img, area: View(img, area, test.landscape), ready,
                                      count=count, keep=keep)


changes = changes_between


class TestEffectSprites(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.landscape = read_picture(LANDSCAPE)

    def test_static_text_shows_its_colour_and_stays_while_the_scrolling_text_moves(self):
        # Past the splash and the slide's fade-in the text's green shows.
        shots = shots_a_second_apart(self, PLANTS_TEXT_SCR, lambda view: view.green_share(STATIC_TEXT) > 0.03)
        # The glyphs sit in the middle of the box: nothing green at its ends.
        left, top, right, bottom = STATIC_TEXT
        for view in shots:
            self.assertGreater(view.green_share(STATIC_TEXT), 0.03)
            self.assertLess(view.green_share((left, top, left + 60, bottom)), 0.002)
            self.assertLess(view.green_share((right - 60, top, right, bottom)), 0.002)
        self.assertLess(max(changes(shots, STATIC_TEXT)), 0.002)
        moved = changes(shots, SCROLLING_TEXT)
        self.assertGreater(min(moved), 0.005, moved)

    def test_explosion_changes_a_second_later(self):
        # Past the splash: most of the picture shows as it is (the shows
        # cover small parts of it).
        shots = shots_a_second_apart(self, PARTICLE_SHOWS_SCR,
                                     lambda view: view.like_picture([(0, 0) + PICTURE]) > 0.7)
        covered = [1.0 - view.like_picture([EXPLOSION]) for view in shots]
        self.assertGreater(max(covered), 0.05, covered)
        changed = changes(shots, EXPLOSION)
        self.assertGreater(max(changed), 0.01, changed)


if __name__ == "__main__":
    unittest.main()
