"""The brush masks: square RGBA pictures stretched over the whole landscape.

Inside its region a mask is opaque white, outside transparent black, with a
soft edge inward; red, green, blue and alpha all carry the same value, so an
effect may read any channel (the water, stream and radial-wave effects read
alpha).
"""
import geometry as geo


def mask_rows(name, size):
    """Rows (top first) of size x size RGBA bytes for the named mask of geometry.MASKS."""
    weight, (left, top, right, bottom) = geo.MASKS[name]
    sx, sy = geo.WIDTH / size, geo.HEIGHT / size
    # mask texel i covers picture x from i * sx to (i + 1) * sx; only texels touching the box are evaluated
    i0, i1 = max(0, int(left / sx)), min(size, int(right / sx) + 1)
    j0, j1 = max(0, int(top / sy)), min(size, int(bottom / sy) + 1)
    empty = bytes(4 * size)
    rows = []
    for j in range(size):
        if j < j0 or j >= j1:
            rows.append(empty)
            continue
        y = (j + 0.5) * sy
        row = bytearray(4 * size)
        for i in range(i0, i1):
            v = int(weight((i + 0.5) * sx, y) * 255.0 + 0.5)
            if v:
                row[4 * i:4 * i + 4] = bytes((v, v, v, v))
        rows.append(bytes(row))
    return rows
