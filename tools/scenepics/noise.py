"""Seeded fractal value noise: smooth 1D profiles and 2D fields.

A 2D field is built as a pyramid: the coarsest random lattice is refined by
halving its cell size (four-point interpolation of the midpoints) and adding
a fresh random lattice at each level, so every octave costs only the size of
its own lattice; one final linear resampling maps the finest lattice to the
samples. That keeps a field of a few hundred thousand samples well under a
tenth of a second.
"""
import math
import operator
import random


def _smooth(t):
    return t * t * (3.0 - 2.0 * t)


def profile(count, cells, seed, gain=0.5):
    """1D fractal noise in [0, 1]: one octave per cell size (in samples), amplitude times gain per octave."""
    rng = random.Random(seed)
    acc = [0.0] * count
    amp, total = 1.0, 0.0
    for cell in cells:
        lattice = [rng.random() for _ in range(int(count / cell) + 3)]
        offset = rng.random() * cell
        for i in range(count):
            p = (i + offset) / cell
            k = int(p)
            acc[i] += amp * (lattice[k] + (lattice[k + 1] - lattice[k]) * _smooth(p - k))
        total += amp
        amp *= gain
    return [a / total for a in acc]


def _refine(values):
    """Doubles the sampling of a sequence: the old values with four-point midpoints between them."""
    n = len(values)
    mids = [(9.0 * (b + c) - a - d) * 0.0625 for a, b, c, d in zip(values, values[1:], values[2:], values[3:])]
    out = [0.0] * (2 * n - 1)
    out[0::2] = values
    out[1] = 0.5 * (values[0] + values[1])
    out[3:2 * n - 4:2] = mids
    out[2 * n - 3] = 0.5 * (values[-2] + values[-1])
    return out


def _refine_rows(rows):
    rows = [_refine(r) for r in rows]
    n = len(rows)
    out = [None] * (2 * n - 1)
    out[0::2] = rows
    out[1] = [0.5 * (p + q) for p, q in zip(rows[0], rows[1])]
    for k in range(1, n - 2):
        a, b, c, d = rows[k - 1], rows[k], rows[k + 1], rows[k + 2]
        out[2 * k + 1] = [(9.0 * (q + r) - p - s) * 0.0625 for p, q, r, s in zip(a, b, c, d)]
    out[2 * n - 3] = [0.5 * (p + q) for p, q in zip(rows[-2], rows[-1])]
    return out


def field(width, height, cell, octaves, seed, gain=0.5):
    """2D fractal noise, about [0, 1], as a list of rows of floats.

    cell is the (width, height) of the coarsest octave's cell in samples;
    each further octave halves it and has gain times the amplitude. Octaves
    whose cell would be smaller than a sample are left out.
    """
    rng = random.Random(seed)
    cw, ch = cell
    octaves = max(1, min(octaves, 1 + int(math.log2(max(1.0, min(cw, ch))))))
    cols, rows_n = int(width / cw) + 4, int(height / ch) + 4
    grid = [[rng.random() for _ in range(cols)] for _ in range(rows_n)]
    amp, total = 1.0, 1.0
    for _ in range(octaves - 1):
        grid = _refine_rows(grid)
        amp *= gain
        total += amp
        grid = [[v + amp * rng.random() for v in row] for row in grid]
        cw, ch = cw / 2.0, ch / 2.0
    inv = 1.0 / total
    ox, oy = (1.0 + rng.random()) * cw, (1.0 + rng.random()) * ch
    xpos = [(i + 0.5) / cw + ox / cw for i in range(width)]
    k0 = [int(p) for p in xpos]
    t = [(p - k) * inv for p, k in zip(xpos, k0)]
    get0 = operator.itemgetter(*k0)
    get1 = operator.itemgetter(*[k + 1 for k in k0])
    out = []
    for y in range(height):
        p = (y + 0.5) / ch + oy / ch
        j = int(p)
        ty = p - j
        line = [a + (b - a) * ty for a, b in zip(grid[j], grid[j + 1])]
        out.append([a * inv + (b - a) * w for a, b, w in zip(get0(line), get1(line), t)])
    return out
