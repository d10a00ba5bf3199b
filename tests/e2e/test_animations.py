"""The frame-sequence animations: the composer's statements for them and
what they store, and the animations as the real screensaver plays them
under Wine in corvalline_plants_text.scr (the landscape with the camera
still, picture position Stretch): a four-colour disc sequence as a static
animation in the sky at the upper left, as 6 Brownian sprites over the lake
at the lower right and as a sprite on a four-point path at the top.
Screenshots a second apart differ at each of them, with and without
common_res.dll beside the program (the document stores the static
animation's effect 116)."""
import os
import shutil
import tempfile
import unittest

from harness import (BIN, EFFECTS, SCENE_PICTURES, PictureView, changes_between, compose, read_picture,
                     screenshots_a_second_apart)

SCR = os.path.join(BIN, "corvalline_plants_text.scr")
LANDSCAPE = os.path.join(SCENE_PICTURES, "landscape.jpg")
PICTURE = (1024, 768)
# The animations of tests/variants/plants_text.scene, in picture pixels,
# with the sprites' size around their area.
STATIC = (60, 40, 220, 200)
BROWNIAN = (640, 540, 840, 740)
PATH = (268, 28, 592, 232)
# Where the picture shows once the slide has faded in: the cliff at the
# left, away from every item of the scene.
AWAY = [(0, 240, 200, 320)]
STEP = 4        # picture pixels between samples
NEAR = 24       # mean channel difference that still counts as the same
CHANGED = 30    # mean channel difference that counts as a change

FRAMES = "frames 0.5 particle_frame0.png particle_frame1.png particle_frame2.png particle_frame3.png\n"
SLIDE = "slide S\npicture landscape.jpg\n"


class TestAnimationComposer(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="corvalline-animations-")

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def test_settings_it_refuses(self):
        cases = [
            ("particles DS_StaticAnimation\n" + FRAMES + "count 3\n", "unknown statement 'count'"),
            ("particles DS_StaticAnimation\n" + FRAMES + "rect 1 2 3\n", "does not fit"),
            ("particles DS_BrownAnimation\n" + FRAMES + "play-speed 3\n", "unknown statement 'play-speed'"),
            ("particles DS_PathAnimtion\n" + FRAMES + "speed fast\n", "does not fit"),
            ("particles DS_PathAnimtion\nframes 0 particle_frame0.png\n", "does not fit"),
            ("particles DS_PathAnimtion\npoint 1 2\n", "an animation needs its frames"),
            ("particles DS_BrownAnimation\nframes 0.5 no_such_frame.png\n", "cannot read picture"),
        ]
        for body, message in cases:
            with self.subTest(body=body):
                code, err, output = compose(SLIDE + body, self.tmp)
                self.assertEqual(code, 1, err)
                self.assertIn(message, err)
                self.assertFalse(os.path.exists(output))

    def test_document_holds_the_frames_and_the_effect(self):
        code, err, output = compose(SLIDE + "particles DS_StaticAnimation\n" + FRAMES + "rect 0 0 100 100\n", self.tmp)
        self.assertEqual(code, 0, err)
        with open(output, "rb") as f:
            document = f.read()
        self.assertIn("DS_StaticAnimation".encode("utf-16-le"), document)
        for stored in [os.path.join(EFFECTS, "116_blend_normal.fxo")] + [
                os.path.join(SCENE_PICTURES, "particle_frame%d.png" % i) for i in range(4)]:
            with open(stored, "rb") as f:
                self.assertIn(f.read(), document, stored)


class View(PictureView):
    """A screenshot's client area, addressed in picture pixels."""

    def __init__(self, img, area, landscape):
        super().__init__(img, area, landscape, PICTURE, STEP, NEAR, CHANGED)


class TestAnimations(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.landscape = read_picture(LANDSCAPE)

    def check_animations(self, with_library):
        # Past the splash and the slide's fade-in.
        shots = screenshots_a_second_apart(self, SCR, lambda img, area: View(img, area, self.landscape),
                                           lambda view: view.like_picture(AWAY) > 0.9, count=4,
                                           with_library=with_library)
        for name, box, least in (("static", STATIC, 0.2), ("brownian", BROWNIAN, 0.005), ("path", PATH, 0.005)):
            with self.subTest(name):
                # The static square changes colour with its frames; the
                # sprites move (and change colour) a second apart.
                changes = changes_between(shots, box)
                self.assertGreater(max(changes), least, changes)
                self.assertLess(shots[-1].like_picture([box]), 0.99)

    def test_animations_with_library(self):
        self.check_animations(with_library=True)

    def test_animations_without_library(self):
        self.check_animations(with_library=False)


if __name__ == "__main__":
    unittest.main()
