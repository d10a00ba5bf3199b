"""The lake light's ripple map: a tileable du/dv map (the slopes of a sum of
waves whose periods divide the map size), stored as a V8U8 DDS."""
import math
import struct

SIZE = 256
# (waves along x, waves along y, phase, weight): whole numbers of waves
# across the map, so the map tiles without a seam.
WAVES = [(3, 1, 0.0, 1.0), (-2, 5, 1.3, 0.7), (7, -4, 2.1, 0.45), (1, 9, 4.0, 0.35), (11, 6, 0.6, 0.2)]

DDSD_CAPS, DDSD_HEIGHT, DDSD_WIDTH, DDSD_PITCH, DDSD_PIXELFORMAT = 0x1, 0x2, 0x4, 0x8, 0x1000
DDPF_BUMPDUDV = 0x80000
DDSCAPS_TEXTURE = 0x1000


def slopes(size=SIZE):
    """Rows of (du, dv) pairs in -1..1: the height field's x and y slopes,
    scaled so that the steepest slope is 1."""
    rows = []
    peak = 0.0
    for y in range(size):
        row = []
        for x in range(size):
            du = dv = 0.0
            for kx, ky, phase, weight in WAVES:
                angle = 2.0 * math.pi * (kx * x + ky * y) / size + phase
                c = weight * math.cos(angle)
                du += c * kx
                dv += c * ky
            row.append((du, dv))
            peak = max(peak, abs(du), abs(dv))
        rows.append(row)
    return [[(du / peak, dv / peak) for du, dv in row] for row in rows]


def signed_byte(value):
    return max(-127, min(127, int(round(value * 127.0)))) & 0xFF


def dds_v8u8(size=SIZE):
    """The DDS file: U (du) in the low byte of each 16-bit texel, V (dv) in
    the high byte, both signed."""
    pixel_format = struct.pack("<8I", 32, DDPF_BUMPDUDV, 0, 16, 0x00FF, 0xFF00, 0, 0)
    header = struct.pack("<7I", 124, DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT,
                         size, size, size * 2, 0, 0)
    header += b"\0" * 44 + pixel_format + struct.pack("<5I", DDSCAPS_TEXTURE, 0, 0, 0, 0)
    assert len(header) == 124
    texels = bytearray()
    for row in slopes(size):
        for du, dv in row:
            texels += bytes((signed_byte(du), signed_byte(dv)))
    return b"DDS " + header + bytes(texels)
