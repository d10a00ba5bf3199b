"""Registry settings as the real screensaver reads them, and one device per
monitor."""
import time
import unittest

from harness import VK_SPACE, WM_CLOSE, WM_KEYDOWN, Session, two_monitor_session

KEY = r"HKCU\Software\Tessaverd\Glimmerwright\Screensaver"
SCREEN1 = KEY + r"\Screen 1"


def add_dword(s, key, name, value):
    r = s.reg("add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f")
    assert r.returncode == 0, r.stderr


def query(s, key, name=None):
    args = ["query", key] + (["/v", name] if name else [])
    r = s.reg(*args)
    return r.returncode, r.stdout.decode("utf-8", "replace")


def quoted(name):
    # A value name that includes the double-quote characters, escaped for
    # the Windows command line that reg.exe parses.
    return '"%s"' % name


def is_black(pixel):
    return max(pixel) < 8


class TestSettings(unittest.TestCase):
    def run_test_window(self, s):
        p = s.start("/t")
        (w,) = s.wait_windows()
        x, y = (w.rect[0] + w.rect[2]) // 2, w.rect[3] - 100
        img = s.wait_screen(lambda im: not is_black(im.pixel(x, y)))
        centre = img.pixel(x, y)
        s.post(w.hwnd, WM_CLOSE)
        self.assertEqual(s.wait_exit(p), 0, s.output(p))
        return centre

    def run_full_screen(self, s, expect_black=False):
        p = s.start("/s")
        (w,) = s.wait_windows()
        if expect_black:
            time.sleep(3.0)
            img = s.screenshot()
        else:
            img = s.wait_screen(lambda im: not is_black(im.pixel(512, 384)) and not is_black(im.pixel(1000, 700)))
        s.post(w.hwnd, WM_KEYDOWN, VK_SPACE)
        self.assertEqual(s.wait_exit(p), 0, s.output(p))
        return img

    def test_absent_key_is_created_and_defaults_are_used(self):
        with Session() as s:
            self.assertNotEqual(query(s, KEY)[0], 0)
            self.assertFalse(is_black(self.run_test_window(s)))
            code, out = query(s, SCREEN1)
            self.assertEqual(code, 0, "the settings key and the first screen's subkey are created")
            self.assertNotIn("Width", out, "defaults are not written back")

    def test_leave_black_blanks_full_screen_but_not_test_window(self):
        with Session() as s:
            add_dword(s, SCREEN1, "Leave Black", 1)
            img = self.run_full_screen(s, expect_black=True)
            self.assertTrue(is_black(img.pixel(512, 384)), img.pixel(512, 384))
            self.assertFalse(is_black(self.run_test_window(s)))

    def test_foreign_adapter_mode_is_ignored(self):
        with Session() as s:
            r = s.reg("add", SCREEN1, "/v", "Adapter ID", "/t", "REG_BINARY", "/d",
                      "11" * 16, "/f")
            self.assertEqual(r.returncode, 0)
            add_dword(s, SCREEN1, "Width", 800)
            add_dword(s, SCREEN1, "Height", 600)
            add_dword(s, SCREEN1, "Format", 22)
            img = self.run_full_screen(s)
            self.assertFalse(is_black(img.pixel(1000, 700)), "the whole 1024x768 screen is rendered")

    def test_out_of_range_values_are_not_used_or_rewritten(self):
        with Session() as s:
            add_dword(s, KEY, quoted("PicPos"), 7)
            add_dword(s, KEY, quoted("SoundVolume"), 500)
            add_dword(s, SCREEN1, "Width", 0)
            add_dword(s, SCREEN1, "Format", 12345)
            code, out = query(s, KEY)
            self.assertIn('"PicPos"', out)
            self.assertFalse(is_black(self.run_test_window(s)))
            self.assertFalse(is_black(self.run_full_screen(s).pixel(512, 384)))
            code, out = query(s, KEY)
            self.assertIn("0x1f4", out, "SoundVolume 500 is left as the user stored it")
            self.assertIn("0x7", out)


class TestTwoMonitors(unittest.TestCase):
    def test_one_window_and_device_per_monitor(self):
        with two_monitor_session(self) as s:
            p = s.start("/s")
            windows = s.wait_windows(count=2)
            rects = sorted(w.rect for w in windows)
            self.assertEqual(rects, [(0, 0, 800, 600), (800, 0, 1440, 480)])
            self.assertTrue(all(w.topmost for w in windows))
            first = min(windows, key=lambda w: w.rect[0])
            second = max(windows, key=lambda w: w.rect[0])
            self.assertEqual(second.owner, first.hwnd, "the second window is owned by the first")
            img = s.wait_screen(lambda im: not is_black(im.pixel(400, 300)) and not is_black(im.pixel(1120, 240)))
            self.assertFalse(is_black(img.pixel(400, 300)), "first monitor renders")
            self.assertFalse(is_black(img.pixel(1120, 240)), "second monitor renders")
            s.post(first.hwnd, WM_KEYDOWN, VK_SPACE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))


if __name__ == "__main__":
    unittest.main()
