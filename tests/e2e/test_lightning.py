"""The lightning bolt as the real screensaver plays it under Wine, from a
folder without common_res.dll: in corvalline_particle_shows.scr a bolt
strikes from (560, 20) toward (640, 330) within a few seconds, covering the
sky along that line from its top to its bottom, and it changes between
screenshots a second apart as it fades, flickers and strikes anew."""
import os
import unittest

from harness import BIN, BUILD, read_picture
from test_effect_sprites import changes, shots_a_second_apart

PARTICLE_SHOWS_SCR = os.path.join(BIN, "corvalline_particle_shows.scr")
LANDSCAPE = os.path.join(BUILD, "scenepics", "landscape.jpg")
# The bolt's box in tests/variants/particle_shows.scene (picture pixels),
# with room for its branches, and the two ends of its line.
PICTURE = (1024, 768)
BOLT = (500, 10, 700, 340)
TOP = (530, 20, 600, 90)
BOTTOM = (590, 230, 660, 300)


def covered(view, box):
    return 1.0 - view.like_picture([box])


class TestLightning(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.landscape = read_picture(LANDSCAPE)

    def test_bolt_strikes_between_its_end_points_and_changes(self):
        def struck(view):
            # Past the splash (most of the picture shows as it is), with the
            # bolt lit at both ends of its line.
            return (view.like_picture([(0, 0) + PICTURE]) > 0.7 and covered(view, TOP) > 0.02
                    and covered(view, BOTTOM) > 0.02)

        shots = shots_a_second_apart(self, PARTICLE_SHOWS_SCR, struck, count=4)
        # The strike covers only a thin part of its box (a bolt, not a fill).
        self.assertLess(covered(shots[0], BOLT), 0.6)
        changed = changes(shots, BOLT)
        self.assertGreater(max(changed), 0.01, changed)


if __name__ == "__main__":
    unittest.main()
