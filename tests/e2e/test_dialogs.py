"""The settings mode of the real screensaver: the settings dialog, the
display-settings dialog (one adapter, and a tab per monitor on two monitors)
and the sound dialog, driven as a user drives them, with what each stores in
the registry. A stand-in browser (the driver) records the command line the
Website button starts. Screenshots of every dialog are kept under the
build's e2e-screenshots folder."""
import os
import time
import unittest

from harness import BUILD, DRIVER, WM_KEYDOWN, Session, two_monitor_session

KEY = r"HKCU\Software\Tessaverd\Glimmerwright\Screensaver"
BROWSER_KEY = r"HKCR\http\shell\open\command"
WEBSITE = "http://corvalline.example/"
SHOTS = os.path.join(BUILD, "e2e-screenshots")
VK_RIGHT = 0x27

IDOK, IDCANCEL = 1, 2
DISPLAY_SETTINGS, SOUND_SETTINGS, WEBSITE_BUTTON, PICTURE_POSITION = 1006, 1007, 1017, 1023
TABS, ADAPTER_NAME, RENDERING, HELP, DISABLE_HARDWARE = 2000, 2002, 2003, 2004, 2005
SHOW_SAVER, LEAVE_BLACK, MODE_LIST = 2007, 2008, 2011
MODE_CONTROLS = (2009, 2010, 2011, 2013)
VOLUME, MUTE = 1021, 1022

HARDWARE_TEXT = "The screen saver can use hardware 3D rendering on this monitor."
HELP_HAL_TEXT = ("This video adapter supports hardware 3D rendering.  "
                 "This screen saver can be displayed on this monitor.")


class Control:
    """One line of the driver's "controls" answer."""

    def __init__(self, line):
        f = line.split("\t")
        self.hwnd, self.id = int(f[0]), int(f[1])
        self.cls = f[2]
        self.enabled, self.visible = f[3] == "1", f[4] == "1"
        self.checked = int(f[5]) == 1
        self.selection = int(f[6])
        self.rect = tuple(int(v) for v in f[7:11])
        self.text = f[11]
        self.entries = f[12:]

    def __repr__(self):
        return "Control(%d %s %r)" % (self.id, self.cls, self.text)


def dword(s, key, name):
    """A REG_DWORD value as a number, None when missing."""
    r = s.reg("query", key, "/v", name)
    if r.returncode != 0:
        return None
    for line in r.stdout.decode("utf-8", "replace").splitlines():
        if "REG_DWORD" in line:
            return int(line.split()[-1], 16)
    return None


def quoted(name):
    # A value name that includes the double-quote characters, escaped for
    # the Windows command line that reg.exe parses.
    return '"%s"' % name


def export(s):
    """The settings key as reg.exe exports it (text), for before/after checks."""
    path = os.path.join(s.tmp, "export-%f.reg" % time.time())
    r = s.reg("export", KEY, "Z:" + path.replace("/", "\\"), "/y")
    if r.returncode != 0:
        return None
    with open(path, "rb") as f:
        return f.read().decode("utf-16", "replace")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Dialogs:
    """The settings mode's dialogs in one session."""

    def __init__(self, test, session):
        self.test, self.s = test, session

    def start(self, *args):
        p = self.s.start(*args)
        return p, self.wait("Corvalline")

    def wait(self, title, timeout=60, exclude=()):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for w in self.s.windows("#32770", timeout=30):
                if w.title == title and w.hwnd not in exclude:
                    return w
            time.sleep(0.3)
        raise AssertionError("no dialog %r after %d s" % (title, timeout))

    def open(self, owner, button, title):
        """Clicks a button of owner that opens the dialog titled title."""
        self.click(owner, button)
        return self.wait(title, exclude=(owner.hwnd,))

    def gone(self, window, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if window.hwnd not in [w.hwnd for w in self.s.windows("#32770", timeout=30)]:
                return True
            time.sleep(0.3)
        return False

    def controls(self, window):
        return {c.id: c for c in (Control(line) for line in self.s.drv("controls", window.hwnd).splitlines()
                                  if line.strip()) if c.id not in (-1, 0xFFFF)}

    def labels(self, window):
        return [Control(line) for line in self.s.drv("controls", window.hwnd).splitlines() if line.strip()]

    def click(self, window, control):
        self.s.drv("click", window.hwnd, control)

    def select(self, window, control, index):
        self.s.drv("select", window.hwnd, control, index)

    def shot(self, name, window):
        """Keeps a screenshot and checks that every visible control with a
        label shows text on a light face inside its rectangle: nothing
        paints over it."""
        # Wine 8 on Xvfb without a window manager, 2026-12: a dialog that lies
        # wholly inside its owner stays black on the screen (so does a
        # message box); moved off its owner it is drawn.
        owners = [w for w in self.s.windows("#32770") if w.hwnd == window.owner]
        if owners and inside(window.rect, owners[0].rect):
            self.s.drv("move", window.hwnd, 0, 0)
        os.makedirs(SHOTS, exist_ok=True)
        time.sleep(1.0)
        img = self.s.screenshot(os.path.join(SHOTS, name + ".png"))
        for c in self.labels(window):
            if not c.visible or not c.text.strip() or c.cls not in ("Button", "Static"):
                continue
            l, t, r, b = c.rect
            pixels = [max(img.pixel(x, y)) for y in range(max(t, 0), min(b, img.height))
                      for x in range(max(l, 0), min(r, img.width))]
            # Text on a light face; greyed text is light grey, so only its
            # contrast with the face is asked for.
            self.test.assertTrue(pixels and max(pixels) > 180 and min(pixels) < max(pixels) - 50,
                                 "%s: %r shows no text on the screen" % (name, c))
        return img


def inside(rect, outer):
    return rect[0] >= outer[0] and rect[1] >= outer[1] and rect[2] <= outer[2] and rect[3] <= outer[3]


class SettingsDialog(unittest.TestCase):
    def test_opens_in_every_settings_form_and_writes_the_screens(self):
        with Session() as s:
            d = Dialogs(self, s)
            host = s.preview_host()
            forms = (("/c",), (), ("/c:%d" % host,), ("/c:999999",))
            for i, args in enumerate(forms):
                with self.subTest(args=args):
                    p, dialog = d.start(*args)
                    self.assertEqual(dialog.owner, host if args == ("/c:%d" % host,) else 0)
                    controls = d.controls(dialog)
                    position = controls[PICTURE_POSITION]
                    self.assertEqual(position.entries, ["Stretch", "Fit", "Fill"])
                    if i == 0:
                        d.shot("settings_106", dialog)
                        # A fresh prefix: Fill, and every screen written.
                        self.assertEqual(position.selection, 2)
                        self.assertEqual(dword(s, KEY, "AllScreensSame"), 0)
                        for name in ("Leave Black", "Disable Hardware", "Width", "Height", "Format"):
                            self.assertEqual(dword(s, KEY + r"\Screen 1", name), 0, name)
                        r = s.reg("query", KEY + r"\Screen 1", "/v", "Adapter ID")
                        self.assertIn("REG_BINARY", r.stdout.decode("utf-8", "replace"))
                        self.assertIsNone(dword(s, KEY, quoted("PicPos")))
                    d.click(dialog, IDCANCEL)
                    self.assertEqual(s.wait_exit(p), 0, s.output(p))

    def test_ok_stores_the_picture_position(self):
        with Session() as s:
            d = Dialogs(self, s)
            p, dialog = d.start("/c")
            d.select(dialog, PICTURE_POSITION, 0)
            d.click(dialog, IDOK)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))
            self.assertEqual(dword(s, KEY, quoted("PicPos")), 0)
            # The next settings dialog shows it.
            p, dialog = d.start("/c")
            self.assertEqual(d.controls(dialog)[PICTURE_POSITION].selection, 0)
            d.click(dialog, IDCANCEL)
            self.assertEqual(s.wait_exit(p), 0)


class SoundDialog(unittest.TestCase):
    def test_ok_stores_at_once_and_cancel_stores_nothing(self):
        with Session() as s:
            d = Dialogs(self, s)
            p, settings = d.start("/c")
            sound = d.open(settings, SOUND_SETTINGS, "Sound Settings")
            controls = d.controls(sound)
            self.assertEqual(controls[VOLUME].selection, 0, "full volume is the top of the trackbar")
            self.assertFalse(controls[MUTE].checked)
            d.shot("sound_2214", sound)
            s.drv("trackbar", sound.hwnd, VOLUME, 60)
            d.click(sound, MUTE)
            d.click(sound, IDOK)
            self.assertTrue(d.gone(sound))
            self.assertEqual(dword(s, KEY, quoted("SoundVolume")), 40, "written before the settings dialog ends")
            self.assertEqual(dword(s, KEY, quoted("MuteSound")), 1)

            sound = d.open(settings, SOUND_SETTINGS, "Sound Settings")
            controls = d.controls(sound)
            self.assertEqual(controls[VOLUME].selection, 60)
            self.assertTrue(controls[MUTE].checked)
            before = export(s)
            s.drv("trackbar", sound.hwnd, VOLUME, 0)
            d.click(sound, MUTE)
            d.click(sound, IDCANCEL)
            self.assertTrue(d.gone(sound))
            self.assertEqual(export(s), before, "the sound dialog's Cancel wrote something")

            d.click(settings, IDCANCEL)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))
            self.assertEqual(dword(s, KEY, quoted("SoundVolume")), 40, "kept after the settings Cancel")
            self.assertEqual(dword(s, KEY, quoted("MuteSound")), 1)


class DisplaySettings(unittest.TestCase):
    def test_one_adapter_mode_help_and_ok(self):
        with Session() as s:
            d = Dialogs(self, s)
            p, settings = d.start("/c")
            display = d.open(settings, DISPLAY_SETTINGS, "Display Settings")
            controls = d.controls(display)
            self.assertNotIn(TABS, controls, "one adapter: no tabs")
            self.assertNotIn(LEAVE_BLACK, controls)
            adapter = controls[ADAPTER_NAME].text
            self.assertTrue(adapter)
            self.assertEqual(controls[RENDERING].text, HARDWARE_TEXT)
            self.assertEqual(controls[MODE_LIST].entries, ["Automatic", "1024 by 768, 32 bit color"])
            self.assertEqual(controls[MODE_LIST].selection, 0)
            self.assertTrue(controls[DISABLE_HARDWARE].enabled)
            d.shot("display_200", display)

            d.click(display, HELP)
            box = d.wait(adapter, exclude=(display.hwnd,))
            self.assertIn(HELP_HAL_TEXT, [c.title for c in s.children(box.hwnd)])
            d.click(box, IDOK)
            self.assertTrue(d.gone(box))

            d.select(display, MODE_LIST, 1)
            d.click(display, IDOK)
            self.assertTrue(d.gone(display))
            self.assertEqual(dword(s, KEY + r"\Screen 1", "Width"), 0, "nothing is written before the settings OK")
            d.click(settings, IDOK)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))
            screen = KEY + r"\Screen 1"
            self.assertEqual((dword(s, screen, "Width"), dword(s, screen, "Height"), dword(s, screen, "Format")),
                             (1024, 768, 22))

    def test_settings_cancel_undoes_display_changes(self):
        with Session() as s:
            d = Dialogs(self, s)
            p, settings = d.start("/c")
            before = export(s)
            self.assertIsNotNone(before)
            display = d.open(settings, DISPLAY_SETTINGS, "Display Settings")
            d.click(display, DISABLE_HARDWARE)
            d.select(display, MODE_LIST, 1)
            d.click(display, IDOK)
            self.assertTrue(d.gone(display))
            # The edit is kept while the settings dialog is open.
            display = d.open(settings, DISPLAY_SETTINGS, "Display Settings")
            self.assertTrue(d.controls(display)[DISABLE_HARDWARE].checked)
            d.click(display, IDOK)
            self.assertTrue(d.gone(display))
            d.click(settings, IDCANCEL)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))
            self.assertEqual(export(s), before)

    def test_two_monitors_tab_per_monitor(self):
        with two_monitor_session(self) as s:
            d = Dialogs(self, s)
            p, settings = d.start("/c")
            display = d.open(settings, DISPLAY_SETTINGS, "Display Settings")
            controls = d.controls(display)
            self.assertIn(TABS, controls, "two adapters: a tab per monitor")
            self.assertEqual(controls[TABS].selection, 0)
            self.assertTrue(controls[SHOW_SAVER].checked)
            d.select(display, MODE_LIST, 1)
            d.shot("display_201", display)

            s.post(controls[TABS].hwnd, WM_KEYDOWN, VK_RIGHT)
            deadline = time.time() + 10
            while time.time() < deadline and d.controls(display)[TABS].selection != 1:
                time.sleep(0.3)
            controls = d.controls(display)
            self.assertEqual(controls[TABS].selection, 1, "the key changed to monitor 2")
            # Both dummy outputs offer the same modes: the list is filled again
            # for monitor 2, with its own stored mode ("Automatic") selected.
            self.assertEqual(controls[MODE_LIST].entries[0], "Automatic")
            self.assertEqual(controls[MODE_LIST].selection, 0)
            self.assertTrue(controls[SHOW_SAVER].checked)

            d.click(display, LEAVE_BLACK)
            deadline = time.time() + 10
            while time.time() < deadline and d.controls(display)[MODE_LIST].enabled:
                time.sleep(0.3)
            controls = d.controls(display)
            for control in MODE_CONTROLS:
                self.assertFalse(controls[control].enabled, control)
            d.shot("display_201_nothing", display)
            d.click(display, IDOK)
            self.assertTrue(d.gone(display))
            d.click(settings, IDOK)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))
            self.assertEqual(dword(s, KEY + r"\Screen 2", "Leave Black"), 1)
            self.assertEqual(dword(s, KEY + r"\Screen 1", "Leave Black"), 0)
            self.assertNotEqual(dword(s, KEY + r"\Screen 1", "Width"), 0, "the mode chosen on monitor 1")
            self.assertEqual(dword(s, KEY + r"\Screen 2", "Width"), 0)


class Website(unittest.TestCase):
    def test_starts_the_registered_browser_with_our_address(self):
        with Session() as s:
            d = Dialogs(self, s)
            record = os.path.join(s.tmp, "browser.txt")
            command = '"%s" record %s "%%1"' % (windows_path(DRIVER), windows_path(record))
            r = s.reg("add", BROWSER_KEY, "/ve", "/d", command, "/f")
            self.assertEqual(r.returncode, 0, r.stderr)
            p, settings = d.start("/c")
            d.click(settings, WEBSITE_BUTTON)
            deadline = time.time() + 30
            while time.time() < deadline and not os.path.exists(record):
                time.sleep(0.3)
            time.sleep(0.5)
            with open(record, "rb") as f:
                line = f.read().decode("utf-8")
            self.assertIn('"%s"' % WEBSITE, line)
            self.assertIn("record", line)

            # Without a registered browser the button does nothing.
            os.remove(record)
            r = s.reg("delete", BROWSER_KEY, "/f")
            self.assertEqual(r.returncode, 0, r.stderr)
            d.click(settings, WEBSITE_BUTTON)
            time.sleep(3)
            self.assertFalse(os.path.exists(record))
            self.assertTrue(settings.hwnd in [w.hwnd for w in s.windows("#32770")])
            d.click(settings, IDCANCEL)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))


if __name__ == "__main__":
    unittest.main()
