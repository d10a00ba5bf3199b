"""The pictures of the effect sprites: what the explosion's effect reads.

  explosion_gradient.png  256 x 4 RGBA: the fire from its hot core (left,
                          white-yellow, opaque) through orange and red to a
                          dark transparent rim (right, alpha 0 over the last
                          columns), so the effect's read past the rim leaves
                          the picture alone
  explosion_noise.png     128 x 128 RGBA: grey fractal value noise (seeded),
                          black to white, opaque; the effect scrolls it to ruffle the fire

SPRITES maps each file name to its painter, which returns (width, height,
rows) for imagefiles.png_rgba.
"""
import noise

GRADIENT_SIZE = (256, 4)
NOISE_SIZE = 128
NOISE_SEED = 23
# (position 0..1, red, green, blue, alpha): the gradient's stops.
GRADIENT_STOPS = [(0.0, 255, 255, 220, 255), (0.25, 255, 220, 90, 255), (0.5, 255, 130, 30, 240),
                  (0.75, 190, 40, 10, 150), (0.94, 60, 10, 5, 0), (1.0, 60, 10, 5, 0)]


def _gradient_at(t):
    for (t0, *a), (t1, *b) in zip(GRADIENT_STOPS, GRADIENT_STOPS[1:]):
        if t <= t1:
            f = 0.0 if t1 == t0 else (t - t0) / (t1 - t0)
            return bytes(int(x + (y - x) * f + 0.5) for x, y in zip(a, b))
    return bytes(GRADIENT_STOPS[-1][1:])


def gradient():
    w, h = GRADIENT_SIZE
    row = b"".join(_gradient_at(i / (w - 1)) for i in range(w))
    return w, h, [row] * h


def noise_picture():
    size = NOISE_SIZE
    values = noise.field(size, size, (16, 16), 4, NOISE_SEED)
    # stretched over the whole grey range, so the fire's rim ruffles clearly
    low = min(min(line) for line in values)
    high = max(max(line) for line in values)
    scale = 255.0 / (high - low) if high > low else 0.0
    rows = []
    for line in values:
        row = bytearray()
        for v in line:
            g = max(0, min(255, int((v - low) * scale + 0.5)))
            row += bytes((g, g, g, 255))
        rows.append(bytes(row))
    return size, size, rows


SPRITES = {"explosion_gradient.png": gradient, "explosion_noise.png": noise_picture}
