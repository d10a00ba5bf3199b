"""The brushes of the embedded scene as the real screensaver plays them
under Wine: two screenshots a second apart differ inside the masks (the
lake, the falls, the rings at their foot) and match outside them, with and
without common_res.dll beside the program.

The embedded scene's camera drifts, which would move every pixel between
the screenshots; the tests play a copy of the program whose document has
the camera switched off (the camera record's "enabled" field set to 0 in
place, so the document keeps its size and everything else)."""
import json
import os
import time
import unittest

from harness import BIN, BUILD, WM_CLOSE, Session, client_area

CAMERA = "DSM_Camera".encode("utf-16-le")
MARGIN = 16.0  # picture pixels kept away from every mask edge
CHANGED = 6    # sum of channel differences that counts as a change (the
               # stream moves slowly: its clock runs at 0.08 a second)


def still_program(program, document):
    """The program's bytes with the embedded document's camera off."""
    at = program.find(document)
    if at < 0 or program.find(document, at + 1) >= 0:
        raise AssertionError("the program does not hold the document exactly once")
    field = document.find(CAMERA)
    if field < 0:
        raise AssertionError("the document has no camera record")
    field += len(CAMERA)
    version, enabled = document[field:field + 4], document[field + 4:field + 8]
    if version != (2).to_bytes(4, "little") or enabled != (1).to_bytes(4, "little"):
        raise AssertionError("unexpected camera record %r %r" % (version, enabled))
    offset = at + field + 4
    return program[:offset] + (0).to_bytes(4, "little") + program[offset + 4:]


class Regions:
    """Sample points (picture pixels) well inside each mask and well outside
    all of them, from the regions the masks were painted from."""

    def __init__(self, regions):
        self.width = regions["picture"]["width"]
        self.height = regions["picture"]["height"]
        self.lake = regions["lake"]
        self.falls = regions["stream"]["polygon"]
        self.ring = regions["ripple"]
        self.feather = regions["feather"]

    def falls_span(self, y):
        (l0, top), (r0, _), (r1, bottom), (l1, _) = self.falls
        t = (y - top) / (bottom - top)
        return l0 + t * (l1 - l0), r0 + t * (r1 - r0)

    def ring_distance(self, x, y):
        cx, cy = self.ring["center"]
        return ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5

    def classify(self, x, y):
        lake, m = self.lake, MARGIN
        in_lake = lake["top"] + self.feather["water"] + m < y < lake["bottom"] - self.feather["water"] - m
        near_lake = lake["top"] - m < y < lake["bottom"] + m
        top, bottom = self.falls[0][1], self.falls[2][1]
        left, right = self.falls_span(min(max(y, top), bottom))
        in_falls = top + m < y < bottom - m and left + 6 < x < right - 6
        near_falls = top - m < y < bottom + m and left - m < x < right + m
        ring = self.ring_distance(x, y)
        in_ring = in_lake and ring < self.ring["radius"] - self.feather["ripple"] - 4
        near_ring = ring < self.ring["radius"] + m
        if in_ring:
            return "rings"
        if in_falls:
            return "falls"
        if in_lake and not near_ring:
            return "lake"
        if not (near_lake or near_falls or near_ring):
            return "outside"
        return None

    def points(self, step=6):
        groups = {"rings": [], "falls": [], "lake": [], "outside": []}
        for y in range(step // 2, self.height, step):
            for x in range(step // 2, self.width, step):
                kind = self.classify(x, y)
                if kind:
                    groups[kind].append((x, y))
        return groups


def changed(a, b):
    return sum(abs(p - q) for p, q in zip(a, b)) > CHANGED


class TestBrushes(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(os.path.join(BUILD, "scenepics", "regions.json")) as f:
            cls.groups = Regions(json.load(f)).points()
        with open(os.path.join(BUILD, "res", "scene.kvb"), "rb") as f:
            cls.document = f.read()

    def play_still(self, s, with_library):
        # The program alone, or with its library, in a folder of its own.
        with open(os.path.join(BIN, "corvalline.scr"), "rb") as f:
            patched = still_program(f.read(), self.document)
        program = s.program_folder(os.path.join(BIN, "corvalline.scr"), with_library, patched)
        # Stretch: the picture covers the client area exactly.
        s.set_picture_position(0)
        return s.start("/t", program=program)

    def check_animates_inside_masks(self, with_library):
        with Session() as s:
            p = self.play_still(s, with_library)
            (w,) = s.wait_windows(timeout=120)
            left, top, right, bottom = client_area(w)
            sx, sy = (right - left) / 1024.0, (bottom - top) / 768.0

            def screen(point):
                return int(left + point[0] * sx), int(top + point[1] * sy)

            # Past the splash and the fade-in: the sky is drawn and two
            # screenshots show the same sky.
            deadline = time.time() + 90
            while True:
                first = s.screenshot()
                time.sleep(1.0)
                second = s.screenshot()
                sky = [screen(pt) for pt in self.groups["outside"][:40]]
                settled = all(not changed(first.pixel(*q), second.pixel(*q)) for q in sky)
                lit = max(max(first.pixel(*q)) for q in sky) > 60
                if (settled and lit) or time.time() > deadline:
                    break
            report = {}
            for kind, points in self.groups.items():
                moved = sum(changed(first.pixel(*screen(pt)), second.pixel(*screen(pt))) for pt in points)
                report[kind] = (moved, len(points))
            s.post(w.hwnd, WM_CLOSE)
            self.assertEqual(s.wait_exit(p), 0, s.output(p))
        moved, total = report["outside"]
        self.assertGreater(total, 100, report)
        self.assertEqual(moved, 0, report)
        for kind in ("lake", "falls", "rings"):
            moved, total = report[kind]
            self.assertGreater(total, 5, (kind, report))
            self.assertGreater(moved, total // 10, (kind, report))

    def test_brushes_animate_inside_their_masks(self):
        self.check_animates_inside_masks(with_library=True)

    def test_brushes_play_without_the_library(self):
        self.check_animates_inside_masks(with_library=False)


if __name__ == "__main__":
    unittest.main()
