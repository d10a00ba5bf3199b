"""Layout of the landscape in picture pixels (1024 x 768), shared by the
painter and the masks so that the masks sit exactly on what they affect.
"""
import math

WIDTH, HEIGHT = 1024, 768

# Far shore line: the lake starts below it. The near bank starts at BANK.
HORIZON = 470.0
BANK = 708.0

# The waterfall: a curtain falling from the cliff lip to the lake, slightly
# widening. Corners: top left, top right, bottom right, bottom left.
FALLS_TOP = 292.0
FALLS = [(150.0, FALLS_TOP), (178.0, FALLS_TOP), (192.0, HORIZON), (140.0, HORIZON)]

# Where the falls hit the lake the water rings outward.
RIPPLE_CENTER = (166.0, 484.0)
RIPPLE_RADIUS = 92.0

SUN = (700.0, 210.0)

# Soft edge widths of the masks, in picture pixels, measured inward.
WATER_FEATHER = 10.0
STREAM_FEATHER = 4.0
RIPPLE_FEATHER = 40.0


def smoothstep(e0, e1, x):
    if x <= e0:
        return 0.0
    if x >= e1:
        return 1.0
    t = (x - e0) / (e1 - e0)
    return t * t * (3.0 - 2.0 * t)


def falls_span(y):
    """Left and right edge of the falls at picture row y (lerp between the lip and the foot)."""
    t = (y - FALLS_TOP) / (HORIZON - FALLS_TOP)
    (l0, _), (r0, _), (r1, _), (l1, _) = FALLS
    return l0 + (l1 - l0) * t, r0 + (r1 - r0) * t


def water_weight(x, y):
    """Water mask value at picture point (x, y): the lake rectangle, soft inward at the shore lines."""
    inside = min(y - HORIZON, BANK - y)
    return smoothstep(0.0, WATER_FEATHER, inside)


def stream_weight(x, y):
    """Stream mask value: the falls polygon, soft inward."""
    if y <= FALLS_TOP or y >= HORIZON:
        return 0.0
    left, right = falls_span(y)
    inside = min(x - left, right - x, y - FALLS_TOP, HORIZON - y)
    return smoothstep(0.0, STREAM_FEATHER, inside)


def ripple_weight(x, y):
    """Radial-wave mask value: the ripple circle, fading to its rim, only on the water."""
    cx, cy = RIPPLE_CENTER
    inside = RIPPLE_RADIUS - math.hypot(x - cx, y - cy)
    return smoothstep(0.0, RIPPLE_FEATHER, inside) * water_weight(x, y)


# Each mask: its value function and the box (left, top, right, bottom) outside which it is 0.
MASKS = {
    "water": (water_weight, (0.0, HORIZON, WIDTH, BANK)),
    "stream": (stream_weight, (min(p[0] for p in FALLS), FALLS_TOP, max(p[0] for p in FALLS), HORIZON)),
    "ripple": (ripple_weight, (RIPPLE_CENTER[0] - RIPPLE_RADIUS, RIPPLE_CENTER[1] - RIPPLE_RADIUS,
                               RIPPLE_CENTER[0] + RIPPLE_RADIUS, RIPPLE_CENTER[1] + RIPPLE_RADIUS)),
}


def regions():
    """The regions as written to regions.json (picture pixels)."""
    return {
        "picture": {"width": WIDTH, "height": HEIGHT},
        "lake": {"left": 0, "top": HORIZON, "right": WIDTH, "bottom": BANK},
        "stream": {"polygon": [list(p) for p in FALLS], "direction": [0, 1]},
        "ripple": {"center": list(RIPPLE_CENTER), "radius": RIPPLE_RADIUS, "clipped_to_lake": True},
        "feather": {"water": WATER_FEATHER, "stream": STREAM_FEATHER, "ripple": RIPPLE_FEATHER},
    }
