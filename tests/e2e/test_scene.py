"""The embedded scene as the real screensaver plays it under Wine: the splash,
then the landscape fading in, in each picture position."""
import unittest

from harness import VK_SPACE, WM_CLOSE, WM_KEYDOWN, Session, client_area

KEY = r"HKCU\Software\Tessaverd\Glimmerwright\Screensaver"


def is_sky(pixel):
    r, g, b = pixel
    return b > 90 and b > r + 15


def sky_points(left, top, right, bottom):
    width = right - left
    return [(left + width * i // 8, top + 12) for i in range(1, 8)]


def shows_sky(img, area):
    return any(is_sky(img.pixel(x, y)) for x, y in sky_points(*area))


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
