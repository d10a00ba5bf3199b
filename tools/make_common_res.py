#!/usr/bin/env python3
"""Draws the pictures and builds the meshes of the sibling resource library
common_res.dll, and writes the resource script that names them.

Usage: make_common_res.py OUT_DIR [NUMBER=PATH ...]

Every NUMBER=PATH argument adds a compiled effect as an RCDATA resource.
Pictures are uncompressed power-of-two images (BMP, 32-bit DDS or RGBA PNG):
Wine's D3DX resizes with point sampling and loads grey PNGs as L8, so
nothing here relies on resizing or on grey PNGs. Meshes are text .x files
with every float written with a decimal point (Wine's .x parser rejects
"1;"). Only the standard library is used, so the build needs nothing more
than Python 3.
"""
import math
import os
import random
import struct
import sys
import zlib


# --- image writers -------------------------------------------------------

def clamp8(v):
    return max(0, min(255, int(v + 0.5)))


def write_bmp(path, w, h, px):
    """24-bit bottom-up BMP; px is a row-major list of (r, g, b, a)."""
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b, _ = px[y * w + x]
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        body += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + body)


def write_dds(path, w, h, px):
    """Uncompressed A8R8G8B8 DDS, one level."""
    pf = struct.pack("<II4sIIIII", 32, 0x41, b"\0\0\0\0", 32,
                     0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    header = struct.pack("<IIIIIII", 124, 0x100F, h, w, w * 4, 0, 1)
    header += b"\0" * 44 + pf + struct.pack("<IIIII", 0x1000, 0, 0, 0, 0)
    body = bytearray()
    for r, g, b, a in px:
        body += bytes((b, g, r, a))
    with open(path, "wb") as f:
        f.write(b"DDS " + header + body)


def write_png(path, w, h, px):
    """RGBA PNG, 8 bits a channel (never grey: Wine loads grey PNGs as L8)."""
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        for x in range(w):
            raw += bytes(px[y * w + x])

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
                + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# --- drawing helpers -----------------------------------------------------

def smoothstep(e0, e1, x):
    t = max(0.0, min(1.0, (x - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c0, c1, t):
    return tuple(lerp(a, b, t) for a, b in zip(c0, c1))


class TileNoise:
    """Value noise that tiles with the given period (in lattice cells)."""

    def __init__(self, seed, period):
        rnd = random.Random(seed)
        self.period = period
        self.grid = [[rnd.random() for _ in range(period)] for _ in range(period)]

    def at(self, x, y):
        p = self.period
        x0, y0 = int(math.floor(x)), int(math.floor(y))
        fx, fy = x - x0, y - y0
        fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
        g = self.grid
        a = g[y0 % p][x0 % p]
        b = g[y0 % p][(x0 + 1) % p]
        c = g[(y0 + 1) % p][x0 % p]
        d = g[(y0 + 1) % p][(x0 + 1) % p]
        return lerp(lerp(a, b, fx), lerp(c, d, fx), fy)


def fractal(seed, size, base_cells, octaves):
    """A tileable size x size field in 0..1 from octaves of value noise."""
    layers = [TileNoise(seed + i, base_cells << i) for i in range(octaves)]
    field = []
    norm = sum(0.5 ** i for i in range(octaves))
    for y in range(size):
        for x in range(size):
            v = 0.0
            for i, layer in enumerate(layers):
                cells = base_cells << i
                v += layer.at(x * cells / size, y * cells / size) * 0.5 ** i
            field.append(v / norm)
    return field


def stretch(field):
    lo, hi = min(field), max(field)
    return [(v - lo) / (hi - lo) for v in field]


# --- the pictures --------------------------------------------------------

def landscape(w, h):
    """A daylight landscape: sky, sun, hills, a lake and a meadow."""
    px = []
    for y in range(h):
        for x in range(w):
            fx, fy = x / (w - 1), y / (h - 1)
            horizon = 0.55
            hill = 0.48 - 0.07 * math.sin(fx * 6.28 * 1.5 + 0.7) - 0.04 * math.sin(fx * 6.28 * 4.1)
            if (fx - 0.72) ** 2 + (fy - 0.2) ** 2 < 0.0036:
                c = (255, 246, 210)
            elif fy < hill:
                c = mix((60, 110, 200), (200, 225, 245), fy / horizon)
            elif fy < horizon:
                c = mix((70, 110, 80), (50, 90, 60), (fy - hill) / (horizon - hill + 1e-6))
            elif fy < 0.7:
                ripple = 0.08 * math.sin(fy * 240 + fx * 9)
                c = mix((90, 140, 190), (40, 80, 130), (fy - horizon) / 0.15 + ripple)
            else:
                grass = 0.15 * math.sin(fx * 300 + fy * 40) * math.sin(fy * 170)
                c = mix((110, 160, 60), (50, 110, 30), (fy - 0.7) / 0.3 + grass)
            px.append(tuple(clamp8(v) for v in c) + (255,))
    return px


def dark_weave(size):
    """Dark brown-black with a fine weave: a plain surround for the picture
    borders and the butterfly's body."""
    noise = fractal(6, size, 8, 3)
    px = []
    for y in range(size):
        for x in range(size):
            weave = 0.5 + 0.5 * math.sin((x + y) * math.pi / 4) * math.sin((x - y) * math.pi / 4)
            v = 0.55 * noise[y * size + x] + 0.45 * weave
            px.append((clamp8(24 + 22 * v), clamp8(18 + 14 * v), clamp8(14 + 10 * v), 255))
    return px


def flames(w, h, seed, tongues, sharp):
    """Flame tongues rising from the bottom edge (v = 1) towards the top,
    tiling left to right; colour and alpha fade out towards the tips."""
    rnd = random.Random(seed)
    waves = [(k, rnd.random() * 6.28, rnd.uniform(0.3, 1.0) / k) for k in range(1, 5)]
    noise = fractal(seed + 50, w if w == h else max(w, h), 4, 3)
    size = max(w, h)
    px = []
    for y in range(h):
        for x in range(w):
            fx, fy = x / w, y / h
            edge = sum(a * math.sin(2 * math.pi * k * fx * tongues / 4 + p) for k, p, a in waves)
            tip = 0.35 + 0.18 * edge + 0.12 * math.cos(2 * math.pi * fx * tongues) ** 2
            n = noise[(y * size // h) * size + (x * size // w)]
            heat = smoothstep(tip - 0.1, tip + sharp, fy + 0.15 * (n - 0.5))
            c = mix((200, 40, 0), (255, 170, 30), heat)
            c = mix(c, (255, 250, 200), smoothstep(0.75, 1.0, fy) * heat)
            px.append(tuple(clamp8(v) for v in c) + (clamp8(255 * heat),))
    return px


def grey_noise(size, seed):
    field = stretch(fractal(seed, size, 4, 5))
    return [(clamp8(255 * v),) * 3 + (255,) for v in field]


def distortion_map(size):
    """Smooth tileable offsets around mid-grey: red and green from
    independent noise, so a bump-map pass shifts both ways."""
    red = stretch(fractal(620, size, 4, 3))
    green = stretch(fractal(621, size, 4, 3))
    return [(clamp8(255 * r), clamp8(255 * g), 128, 255) for r, g in zip(red, green)]


GLYPH_ROWS = [  # 5 x 7 glyphs, one string per row
    ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    ["11110", "00001", "00001", "01110", "00001", "00001", "11110"],
    ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    ["11111", "10000", "11110", "00001", "00001", "10001", "01110"],
    ["11111", "00001", "00010", "00100", "01000", "01000", "01000"],
    ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    ["11111", "00100", "11111", "00100", "01010", "10001", "10001"],
    ["10000", "11110", "10000", "10000", "10111", "10001", "01110"],
    ["00100", "11111", "00100", "01110", "10101", "00100", "00100"],
    ["11111", "00001", "01111", "00001", "00010", "00100", "11000"],
    ["10001", "01010", "11111", "00100", "11111", "00100", "00100"],
    ["00001", "00010", "11111", "00100", "01100", "10100", "00100"],
    ["01000", "11111", "01001", "01001", "01010", "01000", "00111"],
    ["11111", "10001", "10001", "11111", "00001", "00010", "01100"],
    ["10101", "10101", "00001", "00010", "00100", "01000", "10000"],
    ["01110", "00000", "11111", "00100", "00100", "01000", "10000"],
]


def glyph_strip(w, h):
    """White glyphs on transparent, stacked in N = h / w + 2 equal bands
    (the count the falling-glyph light derives from the picture's size)."""
    count = h // w + 2
    band = h / count
    px = [(255, 255, 255, 0)] * (w * h)
    cell = min(w / 7.0, band / 9.0)
    for g in range(count):
        rows = GLYPH_ROWS[g % len(GLYPH_ROWS)]
        top = g * band + (band - 7 * cell) / 2
        left = (w - 5 * cell) / 2
        for y in range(int(g * band), min(h, int((g + 1) * band))):
            for x in range(w):
                gx = (x + 0.5 - left) / cell
                gy = (y + 0.5 - top) / cell
                a = 0.0
                for dy in (-0.25, 0.25):
                    for dx in (-0.25, 0.25):
                        cx, cy = int(math.floor(gx + dx)), int(math.floor(gy + dy))
                        if 0 <= cx < 5 and 0 <= cy < 7 and rows[cy][cx] == "1":
                            a += 0.25
                if a > 0:
                    px[y * w + x] = (255, 255, 255, clamp8(255 * a))
    return px


def ball_highlight(size):
    """Glass highlight: a soft white window reflection at the upper left."""
    px = []
    for y in range(size):
        for x in range(size):
            u, v = x / size - 0.5, y / size - 0.5
            d = math.hypot((u + 0.17) / 1.3, v + 0.2)
            spot = 1 - smoothstep(0.02, 0.16, d)
            r = math.hypot(u, v)
            rim = smoothstep(0.42, 0.49, r) * (1 - smoothstep(0.49, 0.5, r))
            a = max(spot * 0.85, rim * 0.25)
            px.append((255, 255, 255, clamp8(255 * a)))
    return px


def ball_shade(size):
    """Glass shading: a darker rim and a small reflection at the lower right."""
    px = []
    for y in range(size):
        for x in range(size):
            u, v = x / size - 0.5, y / size - 0.5
            r = math.hypot(u, v)
            rim = smoothstep(0.3, 0.49, r) * (1 - smoothstep(0.49, 0.5, r))
            glint = 1 - smoothstep(0.0, 0.05, math.hypot(u - 0.2, (v - 0.24) * 2.2))
            if glint > rim * 0.5:
                px.append((255, 255, 240, clamp8(200 * glint)))
            else:
                px.append((10, 20, 40, clamp8(150 * rim)))
    return px


def stand(w, h):
    """A turned wooden stand, wider at the foot, transparent around it."""
    px = []
    for y in range(h):
        for x in range(w):
            fx, fy = x / (w - 1), y / (h - 1)
            half = 0.3 + 0.18 * fy - 0.05 * math.cos(fy * math.pi * 3)
            inside = abs(fx - 0.5) < half and 0.08 < fy < 0.97
            if not inside:
                px.append((0, 0, 0, 0))
                continue
            shade = 1 - abs(fx - 0.5) / half
            grain = 0.1 * math.sin(fx * 90 + 6 * math.sin(fy * 12))
            c = mix((60, 30, 12), (170, 105, 55), shade * 0.9 + grain)
            px.append(tuple(clamp8(v) for v in c) + (255,))
    return px


def clock_face(size):
    """A cream dial with a dark rim, hour marks and minute ticks; twelve
    o'clock at the top (v = 0). Transparent outside the disc."""
    px = []
    for y in range(size):
        for x in range(size):
            u, v = (x + 0.5) / size - 0.5, (y + 0.5) / size - 0.5
            r = math.hypot(u, v)
            if r > 0.5:
                px.append((0, 0, 0, 0))
                continue
            angle = math.degrees(math.atan2(u, -v)) % 360
            c = (245, 238, 220)
            if r > 0.46:
                c = (50, 40, 35)
            elif 0.36 < r < 0.44:
                hour = abs((angle + 15) % 30 - 15)
                minute = abs((angle + 3) % 6 - 3)
                if hour * r * math.pi / 180 < (0.02 if angle < 15 or angle > 345 else 0.012):
                    c = (30, 30, 30)
                elif r > 0.41 and minute * r * math.pi / 180 < 0.004:
                    c = (60, 60, 60)
            if r < 0.02:
                c = (30, 30, 30)
            px.append(c + (255,))
    return px


def clock_hand(w, h):
    """A dark hand: the whole picture is stretched over one hand, its tip at
    the top (v = 0) and its tail at the bottom."""
    px = []
    for y in range(h):
        for x in range(w):
            u, v = (x + 0.5) / w, (y + 0.5) / h
            half = 0.45 * smoothstep(0.0, 0.35, v)
            a = 1 - smoothstep(half - 0.05, half + 0.02, abs(u - 0.5))
            px.append((20, 22, 30, clamp8(255 * a)))
    return px


def water_bump(size):
    """A tileable normal map of crossing waves (RGB = normal x 0.5 + 0.5)."""
    waves = [(3, 1, 1.0), (-2, 3, 0.6), (5, -2, 0.35), (1, 6, 0.25)]
    heights = []
    for y in range(size):
        for x in range(size):
            t = 0.0
            for kx, ky, a in waves:
                t += a * math.sin(2 * math.pi * (kx * x + ky * y) / size)
            heights.append(t)
    px = []
    for y in range(size):
        for x in range(size):
            dx = heights[y * size + (x + 1) % size] - heights[y * size + (x - 1) % size]
            dy = heights[((y + 1) % size) * size + x] - heights[((y - 1) % size) * size + x]
            nx, ny, nz = -dx * 2.0, -dy * 2.0, 1.0
            n = math.sqrt(nx * nx + ny * ny + nz * nz)
            px.append((clamp8(127.5 + 127.5 * nx / n), clamp8(127.5 + 127.5 * ny / n),
                       clamp8(127.5 + 127.5 * nz / n), 255))
    return px


def bolt(w, h, seed, jagged):
    """Two bolt segments, one in each half of the picture, running along u.
    Between u = 0.195 and 0.805 (the part repeated along a bolt) each line
    starts and ends on the half's centre line so segments join; the ends
    before and after taper off into tips."""
    rnd = random.Random(seed)
    px = [(0, 0, 0, 0)] * (w * h)
    half = h // 2
    for part in range(2):
        points = [rnd.uniform(-1, 1) for _ in range(9)] if jagged else [0.0] * 9
        for x in range(w):
            u = (x + 0.5) / w
            t = (u - 0.195) / 0.61
            if 0 <= t <= 1:
                i = min(7, int(t * 8))
                f = t * 8 - i
                offset = lerp(points[i], points[i + 1], f) * math.sin(math.pi * t) * 0.22
            else:
                offset = 0.0
            taper = smoothstep(0.0, 0.17, u) * smoothstep(0.0, 0.17, 1 - u)
            for y in range(half):
                d = abs((y + 0.5) / half - 0.5 - offset)
                core = 1 - smoothstep(0.01, 0.04 if jagged else 0.07, d)
                glow = math.exp(-d * (18 if jagged else 9))
                a = max(core, glow * 0.7) * taper
                c = mix((120, 160, 255), (255, 255, 255), core)
                px[(part * half + y) * w + x] = tuple(clamp8(v) for v in c) + (clamp8(255 * a),)
    return px


# --- the meshes ----------------------------------------------------------

def write_x(path, vertices, faces, uvs):
    def f(v):
        return "%.6f" % v
    lines = ["xof 0303txt 0032", "", "Mesh {", " %d;" % len(vertices)]
    for i, (x, y, z) in enumerate(vertices):
        lines.append("  %s;%s;%s;%s" % (f(x), f(y), f(z), ";" if i == len(vertices) - 1 else ","))
    lines.append(" %d;" % len(faces))
    for i, face in enumerate(faces):
        lines.append("  3;%d,%d,%d;%s" % (face + (";" if i == len(faces) - 1 else ",",)))
    lines += ["", " MeshTextureCoords {", "  %d;" % len(uvs)]
    for i, (u, v) in enumerate(uvs):
        lines.append("  %s;%s;%s" % (f(u), f(v), ";" if i == len(uvs) - 1 else ","))
    lines += [" }", "}", ""]
    with open(path, "w", newline="\n") as out:
        out.write("\n".join(lines))


def body_mesh(path):
    """The butterfly's body: a slim spindle along z (the wings' hinge line),
    90 units long; u runs round it, v from head to tail."""
    rings, sides, length = 12, 8, 90.0
    verts, uvs, faces = [], [], []
    for i in range(rings + 1):
        t = i / rings
        z = length * (0.5 - t)
        radius = 6.0 * math.sin(math.pi * t) ** 0.6 * (1.2 if t < 0.3 else 1.0)
        for j in range(sides + 1):
            a = 2 * math.pi * j / sides
            verts.append((radius * math.cos(a), radius * math.sin(a), z))
            uvs.append((j / sides, t))
    for i in range(rings):
        for j in range(sides):
            a = i * (sides + 1) + j
            b = a + sides + 1
            faces += [(a, b, a + 1), (a + 1, b, b + 1)]
    write_x(path, verts, faces, uvs)


def wing_mesh(path):
    """One flat wing in the xz plane, hinged on the z axis and reaching out
    along +x (the second wing is its mirror image): a fore lobe towards +z and
    a smaller hind lobe towards -z, as a fan round the hinge point."""
    steps = 24
    verts, uvs = [(0.0, 0.0, 0.0)], [(0.0, 0.5)]
    for i in range(steps + 1):
        a = math.pi * i / steps - math.pi / 2  # -90 (towards -z) to +90 degrees (+z)
        reach = 100.0 * (0.55 + 0.45 * math.sin(a * 0.5 + math.pi / 4) ** 2) \
            * (1 - 0.35 * math.exp(-((a + 0.1) / 0.25) ** 2))
        x, z = reach * math.cos(a), reach * math.sin(a)
        verts.append((x, 0.0, z))
        uvs.append((x / 100.0, 0.5 - z / 200.0))
    faces = [(0, i + 1, i + 2) for i in range(steps)]
    write_x(path, verts, faces, uvs)


def clock_mesh(path):
    """A disc of radius 50 in the xz plane, its normal along y; twelve
    o'clock (+z) at v = 0. The clock scales it to its size and the hands
    flatten it into needles."""
    sides = 48
    verts, uvs = [(0.0, 0.0, 0.0)], [(0.5, 0.5)]
    for i in range(sides):
        a = 2 * math.pi * i / sides
        x, z = 50.0 * math.sin(a), 50.0 * math.cos(a)
        verts.append((x, 0.0, z))
        uvs.append((0.5 + x / 100.0, 0.5 - z / 100.0))
    faces = [(0, 1 + i, 1 + (i + 1) % sides) for i in range(sides)]
    write_x(path, verts, faces, uvs)


# --- the library ---------------------------------------------------------

PICTURES = [  # number, file name, writer, drawing
    (5, "landscape.bmp", write_bmp, lambda: (256, 256, landscape(256, 256))),
    (6, "dark_weave.bmp", write_bmp, lambda: (64, 64, dark_weave(64))),
    (7, "flame_pattern.dds", write_dds, lambda: (128, 256, flames(128, 256, 7, 4, 0.25))),
    (8, "noise.dds", write_dds, lambda: (128, 128, grey_noise(128, 8))),
    (40, "glyphs.png", write_png, lambda: (64, 1024, glyph_strip(64, 1024))),
    (58, "ball_highlight.dds", write_dds, lambda: (256, 256, ball_highlight(256))),
    (59, "ball_shade.dds", write_dds, lambda: (256, 256, ball_shade(256))),
    (60, "stand.dds", write_dds, lambda: (256, 128, stand(256, 128))),
    (62, "distortion.dds", write_dds, lambda: (128, 128, distortion_map(128))),
    (71, "clock_face.dds", write_dds, lambda: (256, 256, clock_face(256))),
    (72, "clock_hand.dds", write_dds, lambda: (32, 128, clock_hand(32, 128))),
    (89, "water_bump.png", write_png, lambda: (128, 128, water_bump(128))),
    (93, "fire_pattern.dds", write_dds, lambda: (128, 128, flames(128, 128, 93, 6, 0.4))),
    (95, "bolt_sharp.dds", write_dds, lambda: (256, 128, bolt(256, 128, 95, True))),
    (98, "bolt_soft.dds", write_dds, lambda: (256, 128, bolt(256, 128, 98, False))),
    (2016, "preview.bmp", write_bmp, lambda: (128, 128, landscape(128, 128))),
]

MESHES = [(68, "butterfly_body.x", body_mesh), (69, "butterfly_wing.x", wing_mesh),
          (70, "clock.x", clock_mesh)]


def rc_path(path):
    return '"%s"' % path.replace("\\", "/")


def main(argv):
    if len(argv) < 2:
        sys.stderr.write(__doc__)
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    lines = ["// Generated by tools/make_common_res.py: do not edit.", ""]
    for number, name, writer, draw in PICTURES:
        w, h, px = draw()
        writer(os.path.join(out, name), w, h, px)
        lines.append("%d DDS %s" % (number, rc_path(name)))
    for number, name, build in MESHES:
        build(os.path.join(out, name))
        lines.append("%d DDS %s" % (number, rc_path(name)))
    for pair in argv[2:]:
        if not pair:
            continue
        number, _, path = pair.partition("=")
        if not number.isdigit() or not path:
            sys.stderr.write("bad effect resource %r (want NUMBER=PATH)\n" % pair)
            return 2
        lines.append("%s RCDATA %s" % (number, rc_path(os.path.abspath(path))))
    with open(os.path.join(out, "common_res.rc"), "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
