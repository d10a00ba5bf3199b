"""3D objects as the real screensaver plays them under Wine
(corvalline_objects3d.scr: the landscape with the camera still, three
butterflies over the upper left, a wall clock in the lower right and 20
leaves falling down the picture): screenshots a second apart differ where
the butterflies fly and where leaves pass and are the same over most of the
picture, and the clock's minute hand shows the local time of the time zone
the saver runs in; with and without common_res.dll beside the program."""
import math
import os
import time
import unittest

from harness import BIN, WM_CLOSE, Session, client_area

OBJECTS_SCR = os.path.join(BIN, "corvalline_objects3d.scr")
PICTURE = (1024, 768)               # the landscape, stretched over the client area
BUTTERFLY_AREA = (0.05, 0.05, 0.6, 0.45)  # fractions of the picture (objects3d.scene)
CLOCK_CENTRE, CLOCK_RADIUS = (820, 560), 150  # picture pixels (objects3d.scene)
# A zone half an hour off UTC, written so that both the C runtime under Wine
# and the host read it: the local minutes differ from UTC's by 30.
ZONE, ZONE_OFFSET = "IST-5:30", 5.5 * 3600
FACE = (245, 238, 220)
STEP = 6          # view pixels between sample points
CHANGED = 30      # summed channel difference that counts as a change
DARK = 100        # no channel above this: part of a hand
HAND_RADII = range(40, 75, 5)       # picture pixels from the centre: both hands there
TOLERANCE = 6     # degrees


def local_minute_angle():
    t = time.gmtime(time.time() + ZONE_OFFSET)
    return (t.tm_min + t.tm_sec / 60.0) * 6.0, ((t.tm_hour % 12) + t.tm_min / 60.0) * 30.0


class View:
    """A screenshot's client area in picture coordinates."""

    def __init__(self, img, area):
        self.img, self.area = img, area
        self.width, self.height = area[2] - area[0], area[3] - area[1]

    def at(self, px, py):
        """The view pixel of picture point (px, py)."""
        x = min(max(int(px * self.width / PICTURE[0]), 0), self.width - 1)
        y = min(max(int(py * self.height / PICTURE[1]), 0), self.height - 1)
        return x, y

    def shown(self, x, y):
        return self.img.pixel(self.area[0] + x, self.area[1] + y)

    def clock_point(self, degrees, radius):
        a = math.radians(degrees)
        return self.at(CLOCK_CENTRE[0] + radius * math.sin(a), CLOCK_CENTRE[1] - radius * math.cos(a))

    def face_shown(self):
        """The clock's face between the hour marks and the hands' reach."""
        hits = 0
        for degrees in range(15, 360, 30):
            p = self.shown(*self.clock_point(degrees, 90))
            hits += sum(abs(a - b) for a, b in zip(p, FACE)) < 60
        return hits >= 9

    def dark_near(self, x, y):
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                xx = min(max(x + dx, 0), self.width - 1)
                yy = min(max(y + dy, 0), self.height - 1)
                if max(self.shown(xx, yy)) <= DARK:
                    return True
        return False

    def hand_score(self, degrees):
        """Of the radii where both hands reach, how many are dark at this angle."""
        return sum(self.dark_near(*self.clock_point(degrees, r)) for r in HAND_RADII)


def in_butterfly_area(view, x, y):
    fx, fy = x / view.width, y / view.height
    return BUTTERFLY_AREA[0] <= fx <= BUTTERFLY_AREA[2] and BUTTERFLY_AREA[1] <= fy <= BUTTERFLY_AREA[3]


def in_clock(view, x, y):
    px, py = x * PICTURE[0] / view.width, y * PICTURE[1] / view.height
    return math.hypot(px - CLOCK_CENTRE[0], py - CLOCK_CENTRE[1]) <= CLOCK_RADIUS + 4


class TestObjects3D(unittest.TestCase):
    def check(self, with_library):
        with Session() as s:
            program = s.program_folder(OBJECTS_SCR, with_library)
            s.set_picture_position(0)  # Stretch
            p = s.start("/t", program=program, extra_env={"TZ": ZONE})
            (w,) = s.wait_windows(timeout=120)
            area = client_area(w)
            s.wait_screen(lambda img: View(img, area).face_shown(), timeout=90)
            time.sleep(1.5)  # past the slide's fade in

            # Motion: where butterflies fly and where leaves pass, while most
            # of the picture stays as it was.
            moved = False
            deadline = time.time() + 60
            while not moved and time.time() < deadline:
                first = View(s.screenshot(), area)
                time.sleep(1.0)
                second = View(s.screenshot(), area)
                points = [(x, y) for y in range(STEP // 2, first.height, STEP)
                          for x in range(STEP // 2, first.width, STEP)]
                changed = [(x, y) for x, y in points
                           if sum(abs(a - b) for a, b in zip(first.shown(x, y), second.shown(x, y))) > CHANGED]
                in_area = sum(1 for x, y in changed if in_butterfly_area(first, x, y))
                elsewhere = sum(1 for x, y in changed
                                if not in_butterfly_area(first, x, y) and not in_clock(first, x, y))
                moved = in_area >= 5 and elsewhere >= 5 and len(changed) < len(points) * 0.25
            if not moved:
                s.screenshot(os.path.join(s.tmp, "motion.png"))
            self.assertTrue(moved, "changed %d of %d points, %d in the butterflies' area, %d elsewhere\n%s"
                            % (len(changed), len(points), in_area, elsewhere, s.output(p)))

            # The minute hand, within a few degrees of the zone's time; the
            # face opposite it is not dark unless the hour hand is there. A
            # leaf passing over the clock spoils a screenshot: take another.
            found = ""
            deadline = time.time() + 60
            while time.time() < deadline:
                view = View(s.screenshot(), area)
                minute, hour = local_minute_angle()
                best = max(view.hand_score(minute + d) for d in range(-TOLERANCE, TOLERANCE + 1))
                opposite = (minute + 180) % 360
                hour_opposite = abs((hour - opposite + 180) % 360 - 180) < 20
                across = max(view.hand_score(opposite + d) for d in (-2, 0, 2))
                found = "minute %.1f: score %d, opposite %d" % (minute, best, across)
                if best >= 4 and (hour_opposite or across <= 1):
                    break
            else:
                s.screenshot(os.path.join(s.tmp, "clock.png"))
                self.fail(found + "\n" + s.output(p))

            s.post(w.hwnd, WM_CLOSE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))

    def test_objects_with_library(self):
        self.check(with_library=True)

    def test_objects_without_library(self):
        self.check(with_library=False)


if __name__ == "__main__":
    unittest.main()
