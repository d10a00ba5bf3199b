"""The plant, the radial rays and the smoke as the real screensaver plays
them under Wine (corvalline_plants_text.scr in /t: the landscape with the
camera still; a grass plant swaying through the document's plant effect,
twelve seeded rays swinging through the particle layer in screen blend,
smoke rising without an effect). Screenshots a second apart differ at each
of them and match the picture away from every item of the scene; the same
without common_res.dll, since the document carries its pictures and
effects."""
import os
import unittest

from harness import BIN, BUILD, PictureView, changes_between, read_picture, screenshots_a_second_apart

SCR = os.path.join(BIN, "corvalline_plants_text.scr")
LANDSCAPE = os.path.join(BUILD, "scenepics", "landscape.jpg")
PICTURE = (1024, 768)
# The regions of tests/variants/plants_text.scene, in picture pixels: the
# upper half of the plant (the base stands still), the rays' swing around
# their origin, the smoke's three seconds of rise (one puff a second).
PLANT = (380, 480, 500, 620)
RAYS = (680, 0, 1024, 320)
SMOKE = (480, 440, 640, 768)
# Away from every item of the scene, texts and animations included.
AWAY = [(830, 340, 1024, 480), (0, 230, 200, 320)]
STEP = 4        # picture pixels between samples
NEAR = 24       # mean channel difference that still counts as the same
CHANGED = 30    # mean channel difference that counts as a change


class View(PictureView):
    """A screenshot's client area, addressed in picture pixels."""

    def __init__(self, img, area, landscape):
        super().__init__(img, area, landscape, PICTURE, STEP, NEAR, CHANGED)


class TestPlants(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.landscape = read_picture(LANDSCAPE)

    def check_items_move(self, with_library):
        shots = screenshots_a_second_apart(self, SCR, lambda img, area: View(img, area, self.landscape),
                                           lambda view: view.like_picture(AWAY) > 0.9, with_library=with_library)
        first = shots[0]
        for earlier, later in zip(shots, shots[1:]):
            for box in AWAY:
                self.assertLess(later.changed_from(earlier, box), 0.002, box)
        for name, box in (("plant", PLANT), ("rays", RAYS), ("smoke", SMOKE)):
            with self.subTest(name):
                # Drawn over the picture, and moving between shots.
                self.assertLess(first.like_picture([box]), 0.98)
                changes = changes_between(shots, box)
                self.assertGreater(max(changes), 0.005, changes)

    def test_items_move_over_a_kept_picture(self):
        self.check_items_move(with_library=True)

    def test_items_move_without_common_res(self):
        self.check_items_move(with_library=False)


if __name__ == "__main__":
    unittest.main()
