"""Paints the lake landscape: sky with clouds, hazy mountains, wooded shores,
a cliff on the left with a waterfall into the lake, the lake with the
mirrored scene, and a grassy near bank.

The picture is painted at any size with the same layout (geometry.py, in
1024 x 768 picture pixels); colours are (r, g, b) float tuples until the
last step packs each row into RGB bytes. The hot loops are written out
inline because a function call per pixel would triple the running time.
"""
import math
import random

import geometry as geo
import noise

SKY_STOPS = [(0.0, (40, 80, 146)), (0.5, (104, 150, 200)), (0.82, (190, 196, 202)), (1.0, (240, 214, 180))]
HAZE = (196, 198, 204)
SUN_GLOW = (255, 226, 178)
DEEP_WATER = (20, 48, 58)
# Distant peaks: picture x, y of the summit and the steepness of the flanks.
PEAKS = [(300, 330, 0.9), (420, 268, 1.0), (536, 222, 1.1), (646, 258, 0.9), (760, 280, 1.0),
         (876, 244, 1.05), (1000, 296, 0.8)]
# Boulders on the near bank: centre and half axes in picture pixels.
BOULDERS = [(70.0, 748.0, 96.0, 36.0), (186.0, 756.0, 48.0, 22.0), (962.0, 752.0, 74.0, 30.0)]
# Byte lookup that clamps: indices above 255 give 255, negative ones (from the end) 0.
CLAMP = list(range(256)) + [255] * 512 + [0] * 256


def lerp3(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def scale3(a, k):
    return (a[0] * k, a[1] * k, a[2] * k)


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def stretch(v, lo, hi):
    """Maps v from [lo, hi] to [0, 1], clamped."""
    v = (v - lo) / (hi - lo)
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def sky_color(t):
    for (t0, c0), (t1, c1) in zip(SKY_STOPS, SKY_STOPS[1:]):
        if t <= t1:
            return lerp3(c0, c1, (t - t0) / (t1 - t0))
    return SKY_STOPS[-1][1]


class Painter:
    def __init__(self, width, height, seed):
        self.w, self.h = width, height
        self.s = width / geo.WIDTH
        self.seed = seed
        self.xs = [(i + 0.5) / self.s for i in range(width)]  # picture x of each column
        # first lake row
        self.lake_row = int(math.ceil(geo.HORIZON * self.s - 0.5))
        # The sun's glow is separable: a column factor times a row factor.
        self.glow_cols = [(math.exp(-((x - geo.SUN[0]) / 190.0) ** 2 / 2), math.exp(-((x - geo.SUN[0]) / 34.0) ** 2 / 2))
                          for x in self.xs]

    def field(self, rows, cell, octaves, seed, gain=0.5):
        return noise.field(self.w, rows, (cell[0] * self.s, cell[1] * self.s), octaves, self.seed + seed, gain)

    def picture_y(self, row):
        return (row + 0.5) / self.s

    def glow_row(self, py):
        dy = (py - geo.SUN[1]) * 1.4
        return 0.55 * math.exp(-(dy / 190.0) ** 2 / 2), 0.45 * math.exp(-(dy / 34.0) ** 2 / 2)

    def haze_at(self, i, py):
        a, b = self.glow_row(py)
        ca, cb = self.glow_cols[i]
        return lerp3(HAZE, SUN_GLOW, 0.7 * (a * ca + b * cb))

    # ---- outlines -------------------------------------------------------
    def ridge(self, cells, seed, base, height):
        """Top outline (picture y per column) from 1D noise."""
        p = noise.profile(self.w, [c * self.s for c in cells], self.seed + seed)
        return [base - height * stretch(v, 0.25, 0.75) for v in p]

    def add_trees(self, outline, rng, x0, x1, spacing, h0, h1, ground):
        """Raises the outline with conifer spikes standing on ground between picture x0 and x1."""
        x = x0
        while x < x1:
            hgt = rng.uniform(h0, h1)
            half = hgt * rng.uniform(0.16, 0.24)
            centre = x + rng.uniform(-0.3, 0.3) * spacing
            lo = max(0, int((centre - half) * self.s))
            hi = min(self.w - 1, int((centre + half) * self.s) + 1)
            for i in range(lo, hi + 1):
                d = abs(self.xs[i] - centre) / half
                if d < 1.0:
                    top = ground[i] + 3.0 - hgt * (1.0 - d) ** 1.4
                    if top < outline[i]:
                        outline[i] = top
            x += spacing * rng.uniform(0.55, 1.1)

    def edge_factors(self, outline):
        """Per column 1/sqrt(1 + slope^2): turns a vertical distance to the outline into a true distance."""
        n = len(outline)
        out = []
        for i in range(n):
            slope = (outline[min(n - 1, i + 1)] - outline[max(0, i - 1)]) * self.s / 2.0
            out.append(1.0 / math.sqrt(1.0 + slope * slope))
        return out

    def build_outlines(self):
        rng = random.Random(self.seed + 10)
        xs = self.xs
        detail = self.ridge([60, 28, 12, 6, 3], 1, 0.0, 1.0)
        peaks = [min(py + k * abs(x - px) for px, py, k in PEAKS) for x in xs]
        self.mountains = [p - 22.0 * d for p, d in zip(peaks, detail)]
        # light side of the mountains: facing the sun on the right of each summit
        self.mountain_peak = [min(PEAKS, key=lambda p: p[1] + p[2] * abs(x - p[0])) for x in xs]
        self.hills = self.ridge([420, 210, 90, 40, 18], 2, 432.0, 62.0)
        bumps = self.ridge([90, 40, 18], 3, 0.0, 14.0)
        self.wood = [geo.HORIZON - 8.0 - 150.0 * geo.smoothstep(500.0, 1080.0, x) ** 1.2 + b for x, b in zip(xs, bumps)]
        self.add_trees(self.wood, rng, 560.0, 1040.0, 13.0, 14.0, 40.0, list(self.wood))
        self.shore = self.ridge([140, 60, 26, 12], 4, 463.0, 12.0)
        self.add_trees(self.shore, rng, 300.0, 1040.0, 9.0, 6.0, 22.0, list(self.shore))
        # The cliff: a wooded plateau on the left, sloping down to the lake,
        # with a notch where the stream leaves it as the falls.
        rough = self.ridge([60, 24, 10, 5], 5, 0.0, 18.0)
        fl, fr = geo.FALLS[0][0], geo.FALLS[1][0]
        plateau = []
        for x, r in zip(xs, rough):
            if x > 380.0:  # below the far shore line: covers nothing
                plateau.append(geo.HORIZON + 2.0 * (x - 380.0))
                continue
            top = 262.0 + r + 0.035 * x
            if x > 220.0:
                top += (geo.HORIZON - top) * geo.smoothstep(220.0, 380.0, x) ** 1.1
            notch = geo.smoothstep(fl - 30.0, fl + 2.0, x) * (1.0 - geo.smoothstep(fr - 2.0, fr + 30.0, x))
            plateau.append(top + (geo.FALLS_TOP - 2.0 - top) * notch)
        self.rock_top = plateau
        self.cliff = list(plateau)
        self.add_trees(self.cliff, rng, -10.0, 122.0, 16.0, 34.0, 78.0, plateau)
        self.add_trees(self.cliff, rng, 206.0, 300.0, 15.0, 26.0, 60.0, plateau)
        outlines = [self.mountains, self.hills, self.wood, self.shore, self.cliff]
        self.layers = [(o, self.edge_factors(o), c) for o, c in zip(outlines, (
            self.mountain_color, self.hill_color, self.wood_color, self.shore_color, self.cliff_color))]

    # ---- colours of the layers above the far shore ----------------------
    def mountain_color(self, i, y, x, py):
        depth = py - self.mountains[i]
        t, v = self.tex[y][i], self.streak[y][i]
        px, top, k = self.mountain_peak[i]
        ridge_x = px + (py - top) * (0.35 + 0.5 * (v - 0.5))
        side = 0.5 + 0.5 * math.tanh((x - ridge_x) / 6.0)
        m = self.relief[y]
        relief = max(-0.25, min(0.25, (m[min(self.w - 1, i + 1)] - m[i - 1]) / self.s * 2.5))
        light = 0.7 + 0.34 * side + relief + 0.06 * (v - 0.5) + 0.2 * (t - 0.5)
        col = scale3((74, 90, 126), light)
        snow = stretch(34.0 + 60.0 * (t - 0.5) + 40.0 * (v - 0.5) - depth, 0.0, 6.0) * stretch(305.0 - py, 0.0, 25.0)
        if snow > 0.0:
            col = lerp3(col, scale3((236, 240, 250), 0.78 + 0.25 * side), snow)
        haze = 0.22 + 0.5 * stretch(depth, 10.0, geo.HORIZON - 40.0 - self.mountains[i])
        return lerp3(col, self.haze_at(i, py), haze)

    def hill_color(self, i, y, x, py):
        depth = py - self.hills[i]
        col = scale3((56, 84, 92), 0.8 + 0.5 * (self.tex[y][i] - 0.5) + 0.1 * math.exp(-depth / 10.0))
        return lerp3(col, self.haze_at(i, py), 0.32 + 0.35 * stretch(depth, 0.0, 50.0))

    def wood_color(self, i, y, x, py):
        t, v = self.tex[y][i], self.streak[y][i]
        k = 0.72 + 0.6 * (t - 0.5) + 0.25 * (v - 0.5) + 0.3 * stretch(x, 700.0, 1024.0) * stretch(t, 0.5, 0.7)
        col = scale3((36, 64, 44), k)
        return lerp3(col, self.haze_at(i, py), 0.14 + 0.12 * stretch(py, 380.0, geo.HORIZON))

    def shore_color(self, i, y, x, py):
        col = scale3((26, 46, 32), 0.75 + 0.6 * (self.tex[y][i] - 0.5))
        if py > geo.HORIZON - 3.0:
            col = lerp3(col, (112, 104, 86), 0.5)
        return lerp3(col, self.haze_at(i, py), 0.1)

    def cliff_color(self, i, y, x, py):
        t, v = self.tex[y][i], self.streak[y][i]
        if py < self.rock_top[i]:
            return scale3((24, 42, 28), 0.75 + 0.6 * (t - 0.5))
        strata = 0.5 + 0.5 * math.sin(py * 0.19 + 7.0 * t + 2.0 * v)
        crevice = stretch(0.42 - v, 0.0, 0.12) * 0.35
        k = 0.6 + 0.7 * (t - 0.5) + 0.22 * strata * strata + 0.25 * stretch(x, 200.0, 340.0) - crevice
        col = scale3((106, 96, 84), k)
        moss = stretch(self.tex2[y][i], 0.52, 0.66) * (0.4 + 0.6 * stretch(x, 180.0, 320.0))
        if moss > 0.0:
            col = lerp3(col, scale3((52, 74, 38), 0.7 + 0.6 * t), moss)
        if py >= geo.FALLS_TOP - 4.0:
            left, right = geo.falls_span(py)
            gap = max(left - x, x - right)
            if gap < 14.0:  # wet, darker rock beside the falls
                col = scale3(col, 0.6 + 0.4 * stretch(gap, 0.0, 14.0))
                if py >= geo.FALLS_TOP:
                    col = self.falls_over(col, i, y, x, py, left, right)
        return col

    def falls_over(self, col, i, y, x, py, left, right):
        """The falling water over the rock: bright streaks, soft translucent edges."""
        inside = min(x - left, right - x) - 1.0 + 2.0 * (self.tex[y][i] - 0.5)
        if inside <= -1.0:
            return col
        alpha = stretch(inside, -1.0, 3.0) * stretch(py, geo.FALLS_TOP - 1.0, geo.FALLS_TOP + 4.0)
        white = stretch(self.falls_streaks[y][i], 0.3, 0.7) * 0.8 + 0.2 * stretch(py, geo.FALLS_TOP, geo.FALLS_TOP + 60.0)
        water = lerp3((118, 146, 160), (246, 250, 252), white)
        return lerp3(col, water, alpha * (0.75 + 0.25 * white))

    def sky_pixel(self, i, y, base, ga, gb, band, above, lift):
        ca, cb = self.glow_cols[i]
        g = ga * ca + gb * cb
        r, gg, b = base
        r += (SUN_GLOW[0] - r) * g
        gg += (SUN_GLOW[1] - gg) * g
        b += (SUN_GLOW[2] - b) * g
        dens = (self.clouds[y][i] + band - 0.52) / 0.12
        if dens > 0.0:
            dens = 0.95 if dens >= 1.0 else dens * 0.95
            shade = stretch(above[min(self.w - 1, i + lift)] + band, 0.52, 0.72) * (0.7 - 0.6 * g)
            lit = lerp3((252, 250, 246), (255, 236, 200), min(1.0, g * 1.5))
            dark = lerp3((136, 146, 172), base, 0.3)
            cr, cg, cbb = lerp3(lit, dark, shade)
            r += (cr - r) * dens
            gg += (cg - gg) * dens
            b += (cbb - b) * dens
        return (r, gg, b)

    def paint_above(self):
        """Rows above the far shore line: sky, then the layers from the nearest down to the first opaque one."""
        n, w, s = self.lake_row, self.w, self.s
        self.clouds = self.field(n, (280, 90), 7, 20)
        self.tex = self.field(n, (40, 40), 5, 21)
        self.tex2 = self.field(n, (70, 50), 4, 22)
        self.streak = self.field(n, (14, 90), 4, 23)
        self.relief = self.field(n, (36, 70), 4, 25)
        self.falls_streaks = self.field(n, (6, 120), 3, 24, gain=0.7)
        self.build_outlines()
        layers = self.layers[::-1]
        xs = self.xs
        lift = int(5 * s)
        rows = []
        for y in range(n):
            py = self.picture_y(y)
            base = sky_color(py / geo.HORIZON)
            ga, gb = self.glow_row(py)
            band = 0.06 * math.sin(math.pi * min(1.0, py / 360.0)) - 0.12 * stretch(py, 280.0, geo.HORIZON)
            above = self.clouds[max(0, y - int(7 * s))]
            row = []
            for i in range(w):
                partial = []
                col = None
                for outline, factors, colour in layers:
                    d = (py - outline[i]) * s * factors[i] + 0.5
                    if d >= 1.0:
                        col = colour(i, y, xs[i], py)
                        break
                    if d > 0.0:
                        partial.append((colour, d))
                if col is None:
                    col = self.sky_pixel(i, y, base, ga, gb, band, above, lift)
                for colour, cov in reversed(partial):
                    col = lerp3(col, colour(i, y, xs[i], py), cov)
                row.append(col)
            rows.append(row)
        return rows

    # ---- the lake and the near bank -------------------------------------
    def paint_lake(self, above):
        """The lake: the scene above mirrored in the far shore line, rippled, fading to deep water nearby."""
        s, w = self.s, self.w
        n = self.h - self.lake_row  # down to the bottom: the bank's ragged edge shows water between its blades
        waves = self.field(n, (200, 9), 5, 30)
        wind = self.field(n, (420, 14), 3, 31)
        span = geo.BANK - geo.HORIZON
        sky_low = sky_color(0.93)
        foam_cols = [math.exp(-((x - geo.RIPPLE_CENTER[0]) / 42.0) ** 2) for x in self.xs]
        sun_x = geo.SUN[0]
        top = self.lake_row - 1
        rows = []
        for j in range(n):
            py = self.picture_y(self.lake_row + j)
            d = py - geo.HORIZON
            near = min(1.0, d / span)
            amp = (1.0 + d * 0.05) * s
            mirror = int((geo.HORIZON - d) * s)
            fres = 0.9 - 0.4 * near
            keep = 0.86 * fres
            deep = scale3(DEEP_WATER, 1.0 - fres)
            streak_k = 0.14 * (1.0 - near) / 0.16
            foam_row = math.exp(-((d - 4.0) / 9.0) ** 2)
            glint_w = 30.0 + d * 0.7
            glint_k = 0.45 * (1.0 - 0.5 * near) / 0.1
            wrow, windrow = waves[j], wind[j]
            out = []
            for i in range(w):
                wv = wrow[i]
                ry = mirror + int((wrow[i - 3] - 0.5) * 2.5 * amp)
                rx = i + int((wv - 0.5) * 5.0 * amp)
                src = above[top if ry > top else 0 if ry < 0 else ry][w - 1 if rx >= w else 0 if rx < 0 else rx]
                r, g, b = deep[0] + src[0] * keep, deep[1] + src[1] * keep, deep[2] + src[2] * keep
                streak = (windrow[i] - 0.58) * streak_k
                if streak > 0.0:
                    streak = min(streak, 0.14)
                    r += (sky_low[0] - r) * streak
                    g += (sky_low[1] - g) * streak
                    b += (sky_low[2] - b) * streak
                if wv > 0.6 and abs(self.xs[i] - sun_x) < 3.0 * glint_w:
                    k = math.exp(-((self.xs[i] - sun_x) / glint_w) ** 2) * min(0.1, wv - 0.6) * glint_k
                    r, g, b = r + (255 - r) * k, g + (240 - g) * k, b + (210 - b) * k
                foam = foam_cols[i] * foam_row
                if foam > 0.01:
                    k = clamp01(foam * (0.6 + 1.2 * (wv - 0.45)))
                    r, g, b = r + (236 - r) * k, g + (242 - g) * k, b + (244 - b) * k
                out.append((r, g, b))
            if d < 2.0:
                out = [lerp3(c, (150, 146, 132), 0.35 * (1.0 - d / 2.0)) for c in out]
            rows.append(out)
        return rows

    def paint_bank(self, rows):
        """Paints the near bank over the bottom rows, with grass and reeds reaching up over the water."""
        s, w = self.s, self.w
        rng = random.Random(self.seed + 40)
        top = self.ridge([90, 30, 10], 41, geo.BANK + 8.0, 10.0)
        x = 0.0
        while x < geo.WIDTH:  # grass blades: thin spikes on the bank line
            hgt = rng.uniform(4.0, 16.0) * (1.0 + 1.5 * geo.smoothstep(700.0, 1000.0, x))
            half = rng.uniform(1.5, 3.0)
            c = int(x * s)
            for i in range(max(0, c - int(half * s) - 1), min(w, c + int(half * s) + 2)):
                dd = abs(self.xs[i] - x) / half
                if dd < 1.0:
                    top[i] = min(top[i], geo.BANK + 6.0 - hgt * (1.0 - dd))
            x += rng.uniform(2.0, 7.0)
        factors = self.edge_factors(top)
        first = int(min(top) * s)
        grass = self.field(self.h - first, (30, 12), 4, 42)
        reeds = [(rng.uniform(790.0, 1000.0), rng.uniform(30.0, 70.0), rng.uniform(-8.0, 8.0)) for _ in range(14)]
        for y in range(first, self.h):
            py = self.picture_y(y)
            row = rows[y]
            g = grass[y - first]
            dark = 0.9 - 0.45 * stretch(py, geo.BANK, geo.HEIGHT)
            for i, t in enumerate(top):
                cov = (py - t) * s * factors[i] + 0.5
                if cov > 0.0:
                    k = dark + 0.8 * (g[i] - 0.5)
                    tip = 0.6 * (1.0 - stretch(py - t, 0.0, 16.0)) * (0.5 + g[i])
                    col = ((46 + 50 * tip) * k, (62 + 48 * tip) * k, (32 + 14 * tip) * k)
                    row[i] = col if cov >= 1.0 else lerp3(row[i], col, cov)
            for cx, cy, rx, ry in BOULDERS:
                dy = (py - cy) / ry
                if abs(dy) < 1.0:
                    half = rx * math.sqrt(1.0 - dy * dy)
                    for i in range(max(0, int((cx - half) * s) - 1), min(w, int((cx + half) * s) + 2)):
                        dx = (self.xs[i] - cx) / rx
                        r2 = dx * dx + dy * dy
                        if r2 < 1.0:
                            nz = math.sqrt(1.0 - r2)
                            light = clamp01(0.5 * dx - 0.7 * dy + 0.4 * nz)
                            k = (0.22 + 1.05 * light) * (0.8 + 0.6 * (g[i] - 0.5))
                            cov = clamp01((1.0 - math.sqrt(r2)) * ry * s * 0.8)
                            row[i] = lerp3(row[i], (124 * k, 114 * k, 98 * k), cov)
            for rx, rh, lean in reeds:
                y0, y1 = geo.BANK + 10.0, geo.BANK - rh
                if y1 <= py <= y0:
                    f = (y0 - py) / (y0 - y1)
                    cx = rx + lean * f * f
                    i0 = int(cx * s)
                    for i in range(max(0, i0 - 2), min(w, i0 + 3)):
                        cov = clamp01((1.3 - f * 0.5) - abs(self.xs[i] - cx))
                        if cov > 0.0:
                            row[i] = lerp3(row[i], (30, 38, 22), cov)
        return rows

    def finish(self, rows):
        """Mist at the foot of the falls, a light vignette, and packing into RGB bytes."""
        mist_cols = [0.5 * math.exp(-((x - geo.RIPPLE_CENTER[0]) / 60.0) ** 2) for x in self.xs]
        vig_cols = [0.35 * 0.8 * (x / geo.WIDTH - 0.5) ** 2 for x in self.xs]
        out = []
        for y, row in enumerate(rows):
            py = self.picture_y(y)
            vy = 1.0 - 0.35 * (py / geo.HEIGHT - 0.5) ** 2
            my = math.exp(-((py - geo.HORIZON + 6.0) / 30.0) ** 2)
            if my > 0.02:
                row = [lerp3(c, (232, 236, 238), m * my) for c, m in zip(row, mist_cols)]
            flat = []
            for (r, g, b), v in zip(row, vig_cols):
                k = vy - v
                flat += (r * k, g * k, b * k)
            out.append(bytes(map(CLAMP.__getitem__, map(int, flat))))
        return out

    def paint(self):
        above = self.paint_above()
        rows = above + self.paint_lake(above)
        return self.finish(self.paint_bank(rows))


def paint(width, height, seed=7):
    """The landscape as a list of rows of packed RGB bytes."""
    return Painter(width, height, seed).paint()
