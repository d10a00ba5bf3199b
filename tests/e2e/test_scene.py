"""The embedded scene as the real screensaver plays it under Wine: the splash,
then the landscape fading in, in each picture position. Then builds of the
program with test scenes whose camera stands still: the picture placed as
each picture position puts it, and two slides fading through black from one
picture to the other."""
import os
import time
import unittest

from harness import BIN, BUILD, VK_SPACE, WM_CLOSE, WM_KEYDOWN, Session, client_area, read_picture

KEY = r"HKCU\Software\Tessaverd\Glimmerwright\Screensaver"
PICTURES = os.path.join(BUILD, "scenepics")
STILL_SCR = os.path.join(BIN, "corvalline_still.scr")
TWO_PICTURES_SCR = os.path.join(BIN, "corvalline_two_pictures.scr")
STRETCH, FIT, FILL = 0, 1, 2
# Mean channel difference between the screen and a picture: below MATCH the
# picture is shown where expected (filtering while scaling accounts for
# the rest); above MISMATCH it is not, or not there.
MATCH = 8
MISMATCH = 12
# Mean brightness of the view below which a frame counts as dark: the fade
# overlay is then more than 60 % opaque over either test picture.
DARK = 35
BORDER = 64  # no channel of the dark border picture around a fitted picture reaches this


def is_sky(pixel):
    r, g, b = pixel
    return b > 90 and b > r + 15


def sky_points(left, top, right, bottom):
    width = right - left
    return [(left + width * i // 8, top + 12) for i in range(1, 8)]


def shows_sky(img, area):
    return any(is_sky(img.pixel(x, y)) for x, y in sky_points(*area))


def placement(picture, width, height, mode):
    """Where a picture lands in a width x height view, as (left, top, right,
    bottom) in view pixels; Fill reaches outside the view."""
    if mode == STRETCH:
        return 0.0, 0.0, float(width), float(height)
    pick = min if mode == FIT else max
    scale = pick(width / picture.width, height / picture.height)
    w, h = picture.width * scale, picture.height * scale
    left, top = (width - w) / 2, (height - h) / 2
    return left, top, left + w, top + h


def grid(left, top, right, bottom, columns=29, rows=19):
    """View points spread evenly inside the rectangle."""
    return [(int(left + (right - left) * i / (columns + 1)), int(top + (bottom - top) * j / (rows + 1)))
            for j in range(1, rows + 1) for i in range(1, columns + 1)]


def placement_error(img, area, picture, rect, points):
    """Mean channel difference between the screen at these view points and
    the picture pixels that a placement at rect puts there."""
    left, top, right, bottom = rect
    total = 0.0
    for x, y in points:
        px = int((x + 0.5 - left) * picture.width / (right - left))
        py = int((y + 0.5 - top) * picture.height / (bottom - top))
        shown = img.pixel(area[0] + x, area[1] + y)
        expected = picture.pixel(min(max(px, 0), picture.width - 1), min(max(py, 0), picture.height - 1))
        total += sum(abs(shown[c] - expected[c]) for c in range(3)) / 3
    return total / len(points)


def brightness(img, area):
    return sum(img.mean(*area, step=8)) / 3


def border_width(img, area, y, from_left):
    """How many view columns from the left or right edge of row y show the
    dark border rather than the picture."""
    left, top, right, _ = area
    columns = range(left, right) if from_left else range(right - 1, left - 1, -1)
    width = 0
    for x in columns:
        if max(img.pixel(x, top + y)) >= BORDER:
            break
        width += 1
    return width


class TestScene(unittest.TestCase):
    def test_test_window_plays_the_landscape(self):
        with Session() as s:
            p = s.start("/t")
            (w,) = s.wait_windows()
            area = client_area(w)
            img = s.wait_screen(lambda im: shows_sky(im, area), timeout=60)
            self.assertTrue(shows_sky(img, area), [img.pixel(x, y) for x, y in sky_points(*area)])
            s.post(w.hwnd, WM_CLOSE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))

    def test_picture_positions(self):
        # A 4:3 picture in the 600 x 400 test window. Stretch and Fill cover
        # the client area; in Fit the embedded scene's camera zoom covers
        # the side bars, so every position shows picture at the edges.
        for mode in (0, 1, 2):
            with self.subTest(mode=mode), Session() as s:
                r = s.reg("add", KEY, "/v", '"PicPos"', "/t", "REG_DWORD", "/d", str(mode), "/f")
                self.assertEqual(r.returncode, 0)
                p = s.start("/t")
                (w,) = s.wait_windows()
                area = client_area(w)
                img = s.wait_screen(lambda im: shows_sky(im, area), timeout=60)
                mid = (area[1] + area[3]) // 2
                edge = img.pixel(area[0] + 6, mid)
                self.assertFalse(max(edge) < 8, edge)
                s.post(w.hwnd, WM_CLOSE)
                self.assertEqual(s.wait_exit(p), 0, s.output(p))

    def test_still_picture_in_each_position(self):
        # The 1024 x 768 landscape in the 600 x 400 test window: Stretch and
        # Fill cover the view, Fill cutting 25 pixels off the top and the
        # bottom; Fit is 533 pixels wide and leaves the border picture in a
        # band of 33 pixels on each side. Stretch and Fill differ in the
        # picture's height, so each placement matches its own mode only.
        landscape = read_picture(os.path.join(PICTURES, "landscape.jpg"))
        cases = (("Stretch", STRETCH, 0), ("Fit", FIT, 33), ("Fill", FILL, 0))
        for name, mode, side_band in cases:
            with self.subTest(position=name), Session() as s:
                r = s.reg("add", KEY, "/v", '"PicPos"', "/t", "REG_DWORD", "/d", str(mode), "/f")
                self.assertEqual(r.returncode, 0, r.stderr)
                p = s.start("/t", program=STILL_SCR)
                (w,) = s.wait_windows()
                area = client_area(w)
                width, height = w.client
                rects = {m: placement(landscape, width, height, m) for m in (STRETCH, FIT, FILL)}
                # Points inside the picture in every position.
                inside = grid(rects[FIT][0] + 8, 8, rects[FIT][2] - 8, height - 8)
                img = s.wait_screen(lambda im: placement_error(im, area, landscape, rects[mode], inside) < MATCH,
                                    timeout=60)
                errors = {m: round(placement_error(img, area, landscape, rect, inside), 1) for m, rect in rects.items()}
                self.assertLess(errors[mode], MATCH, errors)
                for other in rects:
                    if other != mode:
                        self.assertGreater(errors[other], MISMATCH, errors)

                # The sides, along a row of sky: border bands in Fit only.
                bands = border_width(img, area, 10, True), border_width(img, area, 10, False)
                self.assertLessEqual(abs(bands[0] - side_band), 2, bands)
                self.assertLessEqual(abs(bands[1] - side_band), 2, bands)
                left, _, right, _ = rects[mode]
                if side_band:
                    # The bands run from top to bottom.
                    for x0, x1 in ((0, left), (right, width)):
                        band = grid(x0 + 2, 0, x1 - 2, height, columns=4)
                        brightest = max(max(img.pixel(area[0] + x, area[1] + y)) for x, y in band)
                        self.assertLess(brightest, BORDER, (x0, x1))
                else:
                    # The picture reaches the view's left and right edges.
                    edges = [(x, y) for x in (1, width - 2) for _, y in grid(0, 0, 1, height, columns=1)]
                    self.assertLess(placement_error(img, area, landscape, rects[mode], edges), MATCH)
                s.post(w.hwnd, WM_CLOSE)
                self.assertEqual(s.wait_exit(p), 0, s.output(p))

    def test_two_slides_fade_through_black(self):
        # Each screenshot is told apart as the first picture (L), the second
        # (S), dark (D) or a frame in the middle of a fade (ignored). The
        # slides must go from one picture to the other only through dark
        # frames: L D S. Both pictures are shown in the default position,
        # Fill.
        pictures = {"L": read_picture(os.path.join(PICTURES, "landscape.jpg")),
                    "S": read_picture(os.path.join(PICTURES, "splash.bmp"))}
        with Session() as s:
            p = s.start("/t", program=TWO_PICTURES_SCR)
            (w,) = s.wait_windows()
            area = client_area(w)
            width, height = w.client
            points = grid(8, 8, width - 8, height - 8)
            rects = {mark: placement(picture, width, height, FILL) for mark, picture in pictures.items()}

            def classify(img):
                for mark, picture in pictures.items():
                    if placement_error(img, area, picture, rects[mark], points) < MATCH:
                        return mark
                return "D" if brightness(img, area) < DARK else ""

            seen = ""
            # The splash, then 3 s shown and 6 + 6 s of fades: about 15 s
            # after the first picture, with about 5 s of dark frames.
            deadline = time.time() + 60
            while "LDS" not in seen and time.time() < deadline:
                mark = classify(s.screenshot())
                if mark and not seen.endswith(mark):
                    seen += mark
            self.assertNotIn("LS", seen)
            self.assertNotIn("SL", seen)
            self.assertIn("LDS", seen)
            s.post(w.hwnd, WM_CLOSE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))

    def test_full_screen_plays_and_a_key_ends_it(self):
        with Session() as s:
            p = s.start("/s")
            (w,) = s.wait_windows()
            area = (0, 0, 1024, 768)
            img = s.wait_screen(lambda im: shows_sky(im, area), timeout=60)
            self.assertTrue(shows_sky(img, area))
            s.post(w.hwnd, WM_KEYDOWN, VK_SPACE)
            self.assertEqual(s.wait_exit(p, timeout=30), 0, s.output(p))


if __name__ == "__main__":
    unittest.main()
