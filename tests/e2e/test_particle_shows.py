"""The particle shows as the real screensaver plays them under Wine, from a
folder without common_res.dll (the document carries the effect and the
pictures): in corvalline_particle_shows.scr the falling stars in the sky,
the bursting firework over the hills and the streaming firework in the
middle each change the picture and change between screenshots a second
apart, while the picture away from them stays as it is."""
import os
import unittest

from harness import read_picture
from test_effect_sprites import LANDSCAPE, PARTICLE_SHOWS_SCR, PICTURE, changes, shots_a_second_apart

# Boxes of tests/variants/particle_shows.scene, in picture pixels.
STARS = (40, 30, 980, 260)
BURST = (150, 230, 350, 430)
STREAM = (500, 320, 620, 440)
# The shore below the middle: no show reaches it.
QUIET = (300, 620, 520, 740)
# Screenshots to keep when CORVALLINE_SHOTS names a folder.
SHOTS = os.environ.get("CORVALLINE_SHOTS")


class TestParticleShows(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.landscape = read_picture(LANDSCAPE)

    def test_stars_and_fireworks_show_and_move(self):
        shots = shots_a_second_apart(self, PARTICLE_SHOWS_SCR,
                                     lambda view: view.like_picture([(0, 0) + PICTURE]) > 0.7, count=4,
                                     keep=SHOTS)
        for name, box in (("stars", STARS), ("burst", BURST), ("stream", STREAM)):
            covered = [1.0 - view.like_picture([box]) for view in shots]
            self.assertGreater(max(covered), 0.01, (name, covered))
            changed = changes(shots, box)
            self.assertGreater(max(changed), 0.005, (name, changed))
        quiet = changes(shots, QUIET)
        self.assertLess(max(quiet), 0.002, quiet)


if __name__ == "__main__":
    unittest.main()
