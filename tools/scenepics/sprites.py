"""The sprite pictures of the sprite scenes: small RGBA pictures with
straight (not premultiplied) alpha, each drawn on a transparent ground.

  sprite_fish.png   64 x 32  a golden fish facing right (towards larger x)
  sprite_bird.png   64 x 32  a dark gull with raised wings, seen from below
  sprite_drop.png    8 x 64  a pale blue rain streak, fading at both ends
  sprite_fog.png   128 x 128 a soft white patch, opaque nowhere
  sprite_petal.png  32 x 32  a pink petal, a soft ellipse
  sprite_glow.png   64 x 64  the glowing discharge's glow: a soft white band
                             in each half (the discharge shows one half of its
                             pictures on each segment), clear at the half's
                             edges, fading out towards both ends along u

SPRITES maps each file name to its painter, which returns (width, height,
rows) for imagefiles.png_rgba.
"""
import math

import geometry as geo


def _paint(width, height, texel):
    """Rows of RGBA bytes; texel(u, v) gives (r, g, b, a) as floats 0..1 at
    the texel centre (u across, v down, both 0..1)."""
    rows = []
    for j in range(height):
        row = bytearray(4 * width)
        v = (j + 0.5) / height
        for i in range(width):
            r, g, b, a = texel((i + 0.5) / width, v)
            row[4 * i:4 * i + 4] = bytes(int(max(0.0, min(1.0, c)) * 255.0 + 0.5) for c in (r, g, b, a))
        rows.append(bytes(row))
    return width, height, rows


def fish():
    def texel(u, v):
        # Body: an ellipse from u 0.2 to 0.95; tail: a triangle at the left.
        dx, dy = (u - 0.58) / 0.37, (v - 0.5) / 0.34
        body = 1.0 - geo.smoothstep(0.85, 1.0, math.hypot(dx, dy))
        tail = 0.0
        if u < 0.3:
            tail = geo.smoothstep(0.0, 0.04, (0.3 - u) * 0.9 - abs(v - 0.5) + 0.02) * geo.smoothstep(0.0, 0.05, u)
        a = max(body, tail)
        eye = math.hypot(u - 0.84, (v - 0.42) * 0.5) < 0.035
        if eye:
            return 0.05, 0.05, 0.1, a
        shade = 0.75 + 0.25 * (1.0 - v)
        return 1.0 * shade, 0.62 * shade, 0.1 * shade, a
    return _paint(64, 32, texel)


def bird():
    def texel(u, v):
        # Two wing strokes meeting at the body: an "M" seen from below.
        x = abs(u - 0.5) * 2.0
        wing = 0.55 - 0.45 * math.sin(min(x, 1.0) * math.pi * 0.9)
        thickness = 0.10 * (1.0 - x) + 0.03
        a = 1.0 - geo.smoothstep(thickness * 0.6, thickness, abs(v - wing))
        body = 1.0 - geo.smoothstep(0.08, 0.12, math.hypot(u - 0.5, (v - 0.55) * 0.6))
        a = max(a, body) * (1.0 - geo.smoothstep(0.92, 1.0, x))
        return 0.12, 0.12, 0.16, a
    return _paint(64, 32, texel)


def drop():
    def texel(u, v):
        across = 1.0 - geo.smoothstep(0.2, 0.5, abs(u - 0.5))
        along = math.sin(v * math.pi) ** 0.5
        return 0.82, 0.9, 1.0, 0.9 * across * along
    return _paint(8, 64, texel)


def fog():
    def texel(u, v):
        d = math.hypot(u - 0.5, v - 0.5) * 2.0
        a = (1.0 - geo.smoothstep(0.0, 1.0, d)) * 0.7
        return 0.95, 0.95, 0.97, a
    return _paint(128, 128, texel)


def petal():
    def texel(u, v):
        d = math.hypot((u - 0.5) / 0.42, (v - 0.5) / 0.28)
        a = 1.0 - geo.smoothstep(0.8, 1.0, d)
        return 1.0, 0.55 + 0.2 * v, 0.75, a
    return _paint(32, 32, texel)


def glow():
    def texel(u, v):
        across = 1.0 - geo.smoothstep(0.0, 0.5, abs((v * 2.0) % 1.0 - 0.5))
        # The bolt's end segments show u below 0.195 and above 0.805 only.
        along = geo.smoothstep(0.0, 0.195, u) * geo.smoothstep(0.0, 0.195, 1.0 - u)
        return 1.0, 1.0, 1.0, across * across * along
    return _paint(64, 64, texel)


SPRITES = {
    "sprite_fish.png": fish,
    "sprite_bird.png": bird,
    "sprite_drop.png": drop,
    "sprite_fog.png": fog,
    "sprite_petal.png": petal,
    "sprite_glow.png": glow,
}
