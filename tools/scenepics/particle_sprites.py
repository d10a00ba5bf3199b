"""The particle sprite pictures: 64 x 64 RGBA pictures drawn centred on
each painted point.

  particle_glint.png   a four-pointed glint: two thin crossed rays and a bright core
  particle_glow.png    a soft round glow, brightest at the centre
  particle_star.png    a five-pointed star with a soft rim
  particle_bolt.png    a lightning stroke: a bright band across the middle
                       rows with a soft halo, the same along its whole
                       length so that it repeats along a ribbon
  particle_frame0.png  to particle_frame3.png: a four-frame sequence, a disc
                       in a colour of its own per frame (red, green, blue,
                       yellow), so that a frame change shows

Glint, glow, star and bolt are white with the shape in the alpha channel, so the
particle colour tints them; the frames carry their colour themselves.
SPRITES maps each file name to its painter, which returns (width, height,
rows) for imagefiles.png_rgba.
"""
import math

SIZE = 64
FRAME_COLORS = [(255, 40, 40), (40, 255, 40), (40, 80, 255), (255, 230, 40)]
SHAPES = ["glint", "glow", "star", "bolt"] + ["frame%d" % i for i in range(len(FRAME_COLORS))]


def _clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def _glint(x, y):
    # x, y in [-1, 1]: rays along both axes thinning towards their tips, plus a core
    ax, ay = abs(x), abs(y)
    ray_h = _clamp01(1.0 - ax) * _clamp01(1.0 - ay / (0.06 + 0.1 * (1.0 - ax)))
    ray_v = _clamp01(1.0 - ay) * _clamp01(1.0 - ax / (0.06 + 0.1 * (1.0 - ay)))
    core = _clamp01(1.0 - math.hypot(x, y) / 0.35)
    return max(ray_h, ray_v, core)


def _glow(x, y):
    d = _clamp01(1.0 - math.hypot(x, y))
    return d * d


def _star(x, y):
    # distance to a five-pointed outline in polar form: radius swings between 0.4 and 0.95
    r = math.hypot(x, y)
    a = math.atan2(x, -y)  # 0 points up
    sector = (a % (2 * math.pi / 5)) / (2 * math.pi / 5)  # 0 at a point, 0.5 between points
    outline = 0.95 - 0.55 * (1.0 - abs(1.0 - 2.0 * sector))
    return _clamp01((outline - r) / 0.08)


def _bolt(x, y):
    # y across the ribbon: a sharp core band and a softer halo on both sides
    core = _clamp01((0.3 - abs(y)) / 0.1)
    halo = _clamp01(1.0 - abs(y))
    return max(core, 0.6 * halo * halo)


def _disc(x, y):
    return _clamp01((0.85 - math.hypot(x, y)) / 0.1)


def sprite_rows(name, size=SIZE):
    """Rows (top first) of size x size RGBA bytes for the named shape of SHAPES."""
    if name.startswith("frame"):
        color = FRAME_COLORS[int(name[5:])]
        shape = _disc
    else:
        color = (255, 255, 255)
        shape = {"glint": _glint, "glow": _glow, "star": _star, "bolt": _bolt}[name]
    rows = []
    for j in range(size):
        y = (j + 0.5) / size * 2.0 - 1.0
        # the colour stays where alpha is 0, so filtering at the rim does not darken it
        row = bytearray(bytes((color[0], color[1], color[2], 0)) * size)
        for i in range(size):
            x = (i + 0.5) / size * 2.0 - 1.0
            row[4 * i + 3] = int(shape(x, y) * 255.0 + 0.5)
        rows.append(bytes(row))
    return rows


SPRITES = {"particle_%s.png" % name: (lambda name=name: (SIZE, SIZE, sprite_rows(name))) for name in SHAPES}
