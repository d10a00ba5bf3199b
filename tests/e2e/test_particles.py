"""The painted particle brushes as the real screensaver plays them under Wine
(corvalline_particles.scr: the landscape with the camera still; glints in
the sky on the left, added to the scene through the effect; discs of a
four-frame sequence over the lake, composed through the effect; twinkling
stars in the sky on the right, drawn plainly). Screenshots a second apart
differ at each brush and match the picture away from them."""
import os
import unittest

from harness import BIN, BUILD, PictureView, changes_between, read_picture, screenshots_a_second_apart

SCR = os.path.join(BIN, "corvalline_particles.scr")
LANDSCAPE = os.path.join(BUILD, "scenepics", "landscape.jpg")
PICTURE = (1024, 768)
# The regions of tests/variants/particles.scene, in picture pixels: its
# points with the largest sprite around them.
GLINTS = (32, 0, 352, 256)
DISCS = (352, 576, 672, 704)
STARS = (624, 32, 1008, 256)
# Away from every brush.
AWAY = [(0, 304, 1024, 544), (0, 720, 1024, 768), (700, 576, 1024, 704), (0, 576, 320, 704)]
STEP = 4        # picture pixels between samples
NEAR = 24       # mean channel difference that still counts as the same
CHANGED = 30    # mean channel difference that counts as a change


class View(PictureView):
    """A screenshot's client area, addressed in picture pixels."""

    def __init__(self, img, area, landscape):
        super().__init__(img, area, landscape, PICTURE, STEP, NEAR, CHANGED)

    def brighter_than_picture(self, box):
        return self.share([box], lambda x, y: sum(self.shown(x, y)) > sum(self.picture(x, y)) + 3 * CHANGED)


class TestParticles(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.landscape = read_picture(LANDSCAPE)

    def test_three_brushes_change_over_a_kept_picture(self):
        # Past the splash and the slide's fade-in: the picture shows away
        # from the brushes.
        shots = screenshots_a_second_apart(self, SCR, lambda img, area: View(img, area, self.landscape),
                                           lambda view: view.like_picture(AWAY) > 0.9, with_library=True)
        first = shots[0]
        for earlier, later in zip(shots, shots[1:]):
            self.assertGreater(later.like_picture(AWAY), 0.9)
            for box in AWAY:
                self.assertLess(later.changed_from(earlier, box), 0.002, box)
        for name, box in (("glints", GLINTS), ("discs", DISCS), ("stars", STARS)):
            with self.subTest(name):
                # Sprites lighten the scene where they are drawn, and
                # turn, step or flicker between shots a second apart.
                # Nothing else moves there, so a few changed samples are
                # a change: stars flicker now and then and only a little
                # (seen 0.1 to 2 % of the samples), glints turn 1.5 to
                # 3 %, discs change colour 14 %.
                self.assertGreater(first.brighter_than_picture(box), 0.01)
                changes = changes_between(shots, box)
                self.assertGreater(max(changes), 0.0005, changes)


if __name__ == "__main__":
    unittest.main()
