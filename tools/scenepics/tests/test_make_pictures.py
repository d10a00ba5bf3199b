"""Tests of the scene pictures: sizes and formats, masks against the regions
they describe, the landscape's content where the regions say, the splash
title, byte-identical output, and the error path of the command line.

Pictures are decoded by ImageMagick, not by the generator's own code.
"""
import json
import math
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))

import make_pictures  # noqa: E402

CONVERT = make_pictures.CONVERT


def identify(path):
    out = subprocess.run([CONVERT, path, "-format", "%m %w %h %[channels]", "info:"],
                         check=True, stdout=subprocess.PIPE).stdout.decode().split()
    return out[0], int(out[1]), int(out[2]), out[3]


def pixels(path, mode):
    """Raw pixels (mode 'rgb' or 'rgba') with width and height."""
    _, w, h, _ = identify(path)
    data = subprocess.run([CONVERT, path, "-depth", "8", mode + ":-"], check=True, stdout=subprocess.PIPE).stdout
    return data, w, h


def luminance(data, w, x0, y0, x1, y1):
    """Mean luminance of an RGB picture over the box [x0, x1) x [y0, y1)."""
    total, n = 0.0, 0
    for y in range(int(y0), int(y1)):
        for x in range(int(x0), int(x1)):
            p = 3 * (y * w + x)
            total += 0.3 * data[p] + 0.59 * data[p + 1] + 0.11 * data[p + 2]
            n += 1
    return total / n


def segment_distance(px, py, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def inside_polygon(px, py, poly):
    inside = False
    for (ax, ay), (bx, by) in zip(poly, poly[1:] + poly[:1]):
        if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
            inside = not inside
    return inside


def signed_depth(kind, region, x, y):
    """How far (picture pixels) the point lies inside the region; negative outside."""
    if kind == "lake":
        return min(x - region["left"], region["right"] - x, y - region["top"], region["bottom"] - y)
    if kind == "stream":
        poly = region["polygon"]
        d = min(segment_distance(x, y, a, b) for a, b in zip(poly, poly[1:] + poly[:1]))
        return d if inside_polygon(x, y, poly) else -d
    cx, cy = region["center"]
    return region["radius"] - math.hypot(x - cx, y - cy)


class ScenePicturesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.out = os.path.join(cls.tmp.name, "first")
        make_pictures.make(cls.out)
        with open(os.path.join(cls.out, "regions.json")) as f:
            cls.regions = json.load(f)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def path(self, name):
        return os.path.join(self.out, name)

    def test_files_have_their_sizes_and_formats(self):
        cases = [
            ("landscape.jpg", "JPEG", 1024, 768, "srgb"),
            ("splash.bmp", "BMP3", 512, 512, "srgb"),
            ("mask_water.png", "PNG", 512, 512, "srgba"),
            ("mask_stream.png", "PNG", 512, 512, "srgba"),
            ("mask_ripple.png", "PNG", 512, 512, "srgba"),
        ]
        for name, fmt, w, h, channels in cases:
            with self.subTest(name):
                self.assertEqual(identify(self.path(name)), (fmt, w, h, channels))

    def test_second_run_gives_the_same_bytes(self):
        again = os.path.join(self.tmp.name, "second")
        make_pictures.make(again)
        for name in make_pictures.OUTPUTS:
            with self.subTest(name), open(self.path(name), "rb") as a, open(os.path.join(again, name), "rb") as b:
                self.assertEqual(a.read(), b.read())

    def test_masks_cover_their_regions_and_nothing_else(self):
        lake = self.regions["lake"]
        feather = self.regions["feather"]
        pw, ph = self.regions["picture"]["width"], self.regions["picture"]["height"]
        for name, kind in (("water", "lake"), ("stream", "stream"), ("ripple", "ripple")):
            with self.subTest(name):
                data, w, h = pixels(self.path("mask_%s.png" % name), "rgba")
                texel = max(pw / w, ph / h)
                region = self.regions[kind]
                full = outside = 0
                for j in range(0, h, 2):  # every other texel: enough, and four times faster
                    for i in range(j % 4 // 2, w, 2):
                        x, y = (i + 0.5) * pw / w, (j + 0.5) * ph / h
                        r, g, b, a = data[4 * (j * w + i):4 * (j * w + i) + 4]
                        self.assertTrue(r == g == b == a, (name, i, j))
                        depth = signed_depth(kind, region, x, y)
                        if kind == "ripple":  # ripples only on the water
                            lake_depth = signed_depth("lake", lake, x, y)
                            if lake_depth < 0:
                                depth = lake_depth
                            elif lake_depth < feather["water"] + texel:
                                continue
                        if depth < 0:
                            self.assertEqual(a, 0, (name, x, y))
                            outside += 1
                        elif depth > feather[name] + texel:
                            self.assertEqual(a, 255, (name, x, y))
                            full += 1
                self.assertGreater(full, 50)
                self.assertGreater(outside, w * h // 8)

    def test_landscape_shows_falls_sky_and_lake_where_the_regions_say(self):
        data, w, h = pixels(self.path("landscape.jpg"), "rgb")
        (lx0, top), (lx1, _), (rx1, bottom), (rx0, _) = self.regions["stream"]["polygon"]
        mid = (top + bottom) / 2
        falls = luminance(data, w, lx0 + 4, mid - 40, lx1 - 4, mid + 40)
        rock = luminance(data, w, lx0 - 50, mid - 40, lx0 - 20, mid + 40)
        self.assertGreater(falls, rock + 60)
        band = data[:3 * 60 * w]
        red, blue = sum(band[0::3]) / (60 * w), sum(band[2::3]) / (60 * w)
        self.assertGreater(blue, red + 30, "the top of the sky is blue")
        lake = self.regions["lake"]
        water = luminance(data, w, 400, lake["bottom"] - 40, 700, lake["bottom"] - 10)
        self.assertLess(water, luminance(data, w, 400, 0, 700, 60), "near water is darker than the sky")

    def test_splash_shows_a_light_title_across_its_middle(self):
        data, w, h = pixels(self.path("splash.bmp"), "rgb")

        def bright_share(y0, y1):
            n = sum(1 for p in range(3 * y0 * w, 3 * y1 * w, 3) if min(data[p:p + 3]) > 225)
            return n / ((y1 - y0) * w)

        title = bright_share(h // 2 - 110, h // 2 - 20)
        self.assertGreater(title, 0.08)
        self.assertLess(bright_share(h - 90, h), title / 4)

    def test_particle_sprites_are_shapes_in_alpha_centred_and_frames_differ_in_colour(self):
        frame_colors = set()
        for name in ("glint", "glow", "star", "frame0", "frame1", "frame2", "frame3"):
            with self.subTest(name):
                path = self.path("particle_%s.png" % name)
                self.assertEqual(identify(path)[:3], ("PNG", 64, 64))
                data, w, h = pixels(path, "rgba")

                def at(x, y):
                    return tuple(data[4 * (y * w + x):4 * (y * w + x) + 4])

                self.assertGreater(at(w // 2, h // 2)[3], 200, "opaque centre")
                for x, y in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
                    self.assertEqual(at(x, y)[3], 0, "clear corner")
                if name.startswith("frame"):
                    frame_colors.add(at(w // 2, h // 2)[:3])
                else:
                    self.assertEqual(at(w // 2, h // 2)[:3], (255, 255, 255), "white, tinted by the particle colour")
        self.assertEqual(len(frame_colors), 4)

    def test_explosion_gradient_fades_out_to_its_right_end_and_noise_varies(self):
        data, w, h = pixels(self.path("explosion_gradient.png"), "rgba")
        self.assertEqual((w, h), (256, 4))
        alphas = [data[4 * x + 3] for x in range(w)]
        self.assertEqual(alphas[0], 255, "opaque hot core")
        self.assertEqual(alphas[-1], 0, "a read past the rim draws nothing")
        self.assertEqual(alphas, sorted(alphas, reverse=True), "alpha never rises outward")
        data, w, h = pixels(self.path("explosion_noise.png"), "rgba")
        self.assertEqual((w, h), (128, 128))
        greys = data[0::4]
        self.assertGreater(max(greys) - min(greys), 80)
        self.assertEqual(set(data[3::4]), {255})

    def test_command_line_reports_failures(self):
        cases = [
            ("no convert program", ["--convert", os.path.join(self.tmp.name, "no-such-convert")], None),
            ("output folder is a file", [], "occupied"),
        ]
        for label, extra, blocker in cases:
            with self.subTest(label):
                outdir = os.path.join(self.tmp.name, "failed-" + label.replace(" ", "-"))
                if blocker:
                    with open(outdir, "w") as f:
                        f.write(blocker)
                result = subprocess.run([sys.executable, make_pictures.__file__, outdir] + extra,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
                self.assertEqual(result.returncode, 1)
                self.assertIn(b"make_pictures:", result.stderr)


if __name__ == "__main__":
    unittest.main()
