"""A document read and written again through the classes' own Write
operations plays without common_res.dll as the original plays with it.
corvalline_rewritten.scr holds the composer's --rewrite of the document of
corvalline_rewrite.scr (tests/variants/rewrite.scene: the landscape, camera
still, a still pattern and a mirrored copy drawn by library effects, and a
still text drawn by an effect stored in the document). In the Fit position
the border picture, a library picture, fills the bands beside the picture.
The original is played beside common_res.dll, so everything it names is at
hand; the rewritten document alone, from a folder without the library, must
show the same pixels: picture, border bands, brushes and text."""
import os
import time
import unittest

from harness import BIN, BUILD, WM_CLOSE, PictureView, Session, client_area, color_distance, read_picture

ORIGINAL = os.path.join(BIN, "corvalline_rewrite.scr")
REWRITTEN = os.path.join(BIN, "corvalline_rewritten.scr")
LANDSCAPE = os.path.join(BUILD, "scenepics", "landscape.jpg")
PICTURE = (1024, 768)
FIT = 1
STEP = 4        # picture pixels between samples
NEAR = 24       # mean channel difference that still counts as the landscape
SAME = 10       # mean channel difference above which two runs' pixels differ
# Regions of tests/variants/rewrite.scene in picture pixels (boxes shrunk by
# 16 pixels so that soft mask edges stay out); the border bands lie left and
# right of the picture (negative and past-the-end picture pixels).
REGIONS = {
    "pattern": (80, 80, 432, 304),
    "copy": (592, 80, 944, 304),
    "text": (224, 512, 800, 608),
    "picture": (0, 0) + PICTURE,
    "left border": (-48, 8, -8, 760),
    "right border": (PICTURE[0] + 8, 8, PICTURE[0] + 48, 760),
}
# Margins of picture that no item covers.
MARGINS = [(0, 0, 1024, 48), (0, 336, 1024, 480), (464, 0, 560, 336)]
GREEN = (0, 255, 0)


def fitted(area, picture_size=PICTURE):
    """The screen rectangle of the picture in the Fit position inside area."""
    width, height = area[2] - area[0], area[3] - area[1]
    scale = min(width / picture_size[0], height / picture_size[1])
    w, h = round(picture_size[0] * scale), round(picture_size[1] * scale)
    left, top = area[0] + (width - w) // 2, area[1] + (height - h) // 2
    return left, top, left + w, top + h


class View(PictureView):
    def __init__(self, img, area, landscape):
        super().__init__(img, fitted(area), landscape, PICTURE, STEP, NEAR, SAME)

    def same_as(self, other, region):
        return 1.0 - self.changed_from(other, REGIONS[region])

    def green_in(self, region):
        return self.share([REGIONS[region]], lambda x, y: color_distance(self.shown(x, y), GREEN) < 60)


def settled_view(test, program, with_library, landscape):
    """Plays program in the test window (Fit position) from a folder of its
    own, with or without common_res.dll, until the landscape shows in the
    margins and two screenshots a second apart agree; returns the last
    view and ends the program."""
    with Session() as s:
        copy = s.program_folder(program, with_library=with_library)
        s.set_picture_position(FIT)
        p = s.start("/t", program=copy)
        (w,) = s.wait_windows(timeout=120)
        area = client_area(w)
        deadline = time.time() + 90
        earlier = View(s.screenshot(), area, landscape)
        while True:
            time.sleep(1.0)
            view = View(s.screenshot(), area, landscape)
            settled = view.like_picture(MARGINS) > 0.9 and view.same_as(earlier, "picture") > 0.999
            if settled or time.time() > deadline:
                break
            earlier = view
        test.assertTrue(settled, "the scene did not settle within 90 s\n" + s.output(p))
        s.post(w.hwnd, WM_CLOSE)
        test.assertEqual(s.wait_exit(p), 0, s.output(p))
    return view


class TestRewrittenDocument(unittest.TestCase):
    def test_rewritten_document_plays_like_the_original(self):
        landscape = read_picture(LANDSCAPE)
        original = settled_view(self, ORIGINAL, True, landscape)
        # What the comparison stands on: the original shows its items.
        self.assertGreater(original.green_in("pattern"), 0.2)
        self.assertGreater(original.green_in("text"), 0.05)
        self.assertLess(original.like_picture([REGIONS["copy"]]), 0.5)
        rewritten = settled_view(self, REWRITTEN, False, landscape)
        shares = {region: round(rewritten.same_as(original, region), 3) for region in REGIONS}
        for region, share in shares.items():
            self.assertGreater(share, 0.99, (region, shares))


if __name__ == "__main__":
    unittest.main()
