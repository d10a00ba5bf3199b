"""The embedded scene as the real screensaver plays it under Wine: the splash,
then the landscape fading in, in each picture position, and the error
display for a program whose scene document is missing or damaged."""
import os
import shutil
import unittest

from harness import SCR, VK_SPACE, WM_CLOSE, WM_KEYDOWN, Session
from test_errors import find_box

KEY = r"HKCU\Software\Tessaverd\Glimmerwright\Screensaver"


def is_sky(pixel):
    r, g, b = pixel
    return b > 90 and b > r + 15


def client_area(w):
    border = (w.rect[2] - w.rect[0] - w.client[0]) // 2
    left = w.rect[0] + border
    top = w.rect[3] - border - w.client[1]
    return left, top, left + w.client[0], top + w.client[1]


def sky_points(left, top, right, bottom):
    width = right - left
    return [(left + width * i // 8, top + 12) for i in range(1, 8)]


def shows_sky(img, area):
    return any(is_sky(img.pixel(x, y)) for x, y in sky_points(*area))


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


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
        # A 4:3 picture in the 600 x 400 test window: Fit leaves black bars
        # at the sides, Stretch and Fill cover the whole client area.
        for mode, bars in ((0, False), (1, True), (2, False)):
            with self.subTest(mode=mode), Session() as s:
                r = s.reg("add", KEY, "/v", '"PicPos"', "/t", "REG_DWORD", "/d", str(mode), "/f")
                self.assertEqual(r.returncode, 0)
                p = s.start("/t")
                (w,) = s.wait_windows()
                area = client_area(w)
                img = s.wait_screen(lambda im: shows_sky(im, area), timeout=60)
                mid = (area[1] + area[3]) // 2
                edge = img.pixel(area[0] + 6, mid)
                if bars:
                    self.assertTrue(max(edge) < 8, edge)
                else:
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

    def test_missing_or_damaged_document_shows_message(self):
        for variant in ("missing", "truncated"):
            with self.subTest(variant=variant), Session() as s:
                program = os.path.join(s.tmp, "saver.scr")
                shutil.copy(SCR, program)
                args = [windows_path(program), "DDS", "107"]
                if variant == "truncated":
                    data = os.path.join(s.tmp, "short.kvb")
                    with open(data, "wb") as f:
                        # The header string and a few bytes of the root record.
                        f.write(b"\xff\xfe\xff\x0bK\x00V\x00B\x00 \x00v\x00 \x004\x00.\x000\x00.\x000\x00\xff\xfe")
                    args.append(windows_path(data))
                s.drv("setres", *args)
                p = s.start("/t", program=program)
                (w,) = s.wait_windows()
                area = client_area(w)
                img = s.wait_screen(lambda im: find_box(im, *area) is not None, timeout=60)
                box = find_box(img, *area)
                self.assertIsNotNone(box, "no error box")
                self.assertEqual((box[2] - box[0], box[3] - box[1]), (298, 148))
                s.post(w.hwnd, WM_CLOSE)
                self.assertEqual(s.wait_exit(p), 0, s.output(p))


if __name__ == "__main__":
    unittest.main()
