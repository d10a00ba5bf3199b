"""Each command-line mode of the real screensaver under Wine."""
import time
import unittest

from harness import (PBT_APMSUSPEND, SAVER_CLASS, VK_SPACE, WM_ACTIVATEAPP, WM_CLOSE, WM_KEYDOWN, WM_LBUTTONDOWN,
                     WM_MOUSEMOVE, WM_POWERBROADCAST, WM_RBUTTONDOWN, WM_SYSKEYDOWN, Session, client_area,
                     make_lparam)


class TestWindowMode(unittest.TestCase):
    def test_test_window_runs_until_closed(self):
        with Session() as s:
            p = s.start("/t")
            (w,) = s.wait_windows()
            self.assertEqual(w.title, "Corvalline")
            self.assertEqual(w.client, (600, 400))
            self.assertEqual(client_area(w), (50, 50, 650, 450), w)
            self.assertFalse(w.topmost)
            # Input and losing the focus do not end the test window.
            s.post(w.hwnd, WM_KEYDOWN, VK_SPACE)
            s.post(w.hwnd, WM_ACTIVATEAPP, 0)
            s.post(w.hwnd, WM_LBUTTONDOWN, 1, make_lparam(10, 10))
            for i in range(8):
                s.post(w.hwnd, WM_MOUSEMOVE, 0, make_lparam(20 + 7 * i, 30 + 5 * i))
            self.assertTrue(s.alive_after(p, 1.5), s.output(p))
            # The render unit presents frames into the client area.
            x, y = (w.rect[0] + w.rect[2]) // 2, w.rect[3] - 100
            img = s.wait_screen(lambda im: im.pixel(x, y) != (0, 0, 0))
            inside = img.pixel(x, y)
            self.assertNotEqual(inside, (0, 0, 0), "the test window shows no rendered frame")
            s.post(w.hwnd, WM_CLOSE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))

    def test_test_window_ends_on_suspend(self):
        with Session() as s:
            p = s.start("/t")
            (w,) = s.wait_windows()
            s.post(w.hwnd, WM_POWERBROADCAST, PBT_APMSUSPEND)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))


class TestFullScreen(unittest.TestCase):
    def start(self, s):
        p = s.start("/s")
        (w,) = s.wait_windows()
        self.assertEqual(w.rect, (0, 0, 1024, 768))
        self.assertTrue(w.topmost)
        # Input is posted once frames show: the frame loop runs, and the
        # mouse-move count has been reset at the end of device creation.
        s.wait_screen(lambda im: im.pixel(512, 384) != (0, 0, 0))
        return p, w

    def test_ends_on_key_click_deactivation_and_suspend(self):
        for msg, wparam in ((WM_KEYDOWN, VK_SPACE), (WM_LBUTTONDOWN, 1), (WM_RBUTTONDOWN, 2), (WM_ACTIVATEAPP, 0),
                            (WM_POWERBROADCAST, PBT_APMSUSPEND)):
            with self.subTest(msg=msg), Session() as s:
                p, w = self.start(s)
                s.post(w.hwnd, msg, wparam, make_lparam(5, 5))
                self.assertEqual(s.wait_exit(p), 0, s.output(p))

    def test_system_key_does_not_end_it(self):
        with Session() as s:
            p, w = self.start(s)
            s.post(w.hwnd, WM_SYSKEYDOWN, 0x12)
            self.assertTrue(s.alive_after(p, 1.5))
            s.post(w.hwnd, WM_KEYDOWN, VK_SPACE)
            self.assertEqual(s.wait_exit(p), 0)

    def test_sixth_distinct_mouse_move_ends_it(self):
        with Session() as s:
            p, w = self.start(s)
            # Wine sends one move at the cursor when the window appears: a
            # move to the same place counts once in all.
            cx, cy = s.cursor()
            s.post(w.hwnd, WM_MOUSEMOVE, 0, make_lparam(cx, cy))
            for i in range(1, 5):
                s.post(w.hwnd, WM_MOUSEMOVE, 0, make_lparam(100 + 10 * i, 200))
            # Repeats of the last position do not count.
            for _ in range(5):
                s.post(w.hwnd, WM_MOUSEMOVE, 0, make_lparam(140, 200))
            self.assertTrue(s.alive_after(p, 1.5), "five distinct moves ended the saver")
            s.post(w.hwnd, WM_MOUSEMOVE, 0, make_lparam(300, 300))
            self.assertEqual(s.wait_exit(p), 0, "the sixth distinct move did not end the saver")

    def test_screen_shows_rendered_frames(self):
        with Session() as s:
            p, w = self.start(s)
            img = s.wait_screen(lambda im: im.pixel(512, 384) != (0, 0, 0))
            self.assertNotEqual(img.pixel(512, 384), (0, 0, 0))
            s.post(w.hwnd, WM_KEYDOWN, VK_SPACE)
            self.assertEqual(s.wait_exit(p), 0)


class TestPreview(unittest.TestCase):
    def test_preview_is_child_and_ends_with_parent(self):
        with Session() as s:
            parent = s.preview_host()
            p = s.start("/p", str(parent))
            (w,) = s.wait_windows()
            self.assertEqual(w.parent, parent)
            self.assertEqual(w.client, (152, 112))
            # Input never ends the preview.
            s.post(w.hwnd, WM_KEYDOWN, VK_SPACE)
            self.assertTrue(s.alive_after(p, 1.5))
            s.post(parent, WM_CLOSE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))

    def test_preview_without_window_shows_message(self):
        for args in (("/p",), ("/p", "999999")):
            with self.subTest(args=args), Session() as s:
                p = s.start(*args)
                (box,) = s.wait_windows("#32770")
                texts = [c.title for c in s.children(box.hwnd)]
                self.assertIn("There was an unspecified problem with this screen saver.", texts)
                s.post(box.hwnd, WM_CLOSE)
                self.assertEqual(s.wait_exit(p), 0)


class TestQuietModes(unittest.TestCase):
    def test_r_and_n_end_at_once(self):
        with Session() as s:
            for switch in ("/r", "/R", "-n", "/N"):
                p = s.start(switch)
                self.assertEqual(s.wait_exit(p, timeout=15), 0)
                self.assertEqual(s.windows(), [])

    def test_settings_mode_shows_the_settings_dialog(self):
        with Session() as s:
            p = s.start("/c")
            (dialog,) = s.wait_windows("#32770")
            self.assertEqual(dialog.title, "Corvalline")
            self.assertIn("Picture position:", [c.title for c in s.children(dialog.hwnd)])
            s.post(dialog.hwnd, WM_CLOSE)
            self.assertEqual(s.wait_exit(p, timeout=30), 0)

    def test_password_change_reaches_mpr(self):
        with Session() as s:
            p = s.start("/a", "1234", extra_env={"WINEDEBUG": "fixme+mpr"})
            self.assertEqual(s.wait_exit(p, timeout=30), 0)
            out = s.output(p)
            self.assertIn("PwdChangePasswordA", out)
            self.assertIn("4d2", out.lower())  # the handle 1234


if __name__ == "__main__":
    unittest.main()
