# Draws the About-box logo (an arcade joystick beside a gold star) as an 8-bit 74x61 BMP.
"""Usage: python3 tools/make_logo.py OUTPUT.bmp

The picture is built from a few signed-distance shapes, sampled 4x4 per pixel
for smooth edges, then mapped onto a fixed hand-picked palette. The background
is the About box's own grey, so the logo sits in the dialog without a frame.
Nothing random is involved: every run writes the same bytes.
"""

import math
import struct
import sys

WIDTH, HEIGHT = 74, 61
GREY = (128, 128, 128)
OUTLINE = (22, 22, 30)
SAMPLES = 4


# ---- palette ---------------------------------------------------------------

def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def ramp(stops, steps):
    """Evenly spaced colours along a path through the given stops."""
    out = []
    for i in range(steps):
        pos = i / (steps - 1) * (len(stops) - 1)
        k = min(int(pos), len(stops) - 2)
        out.append(mix(stops[k], stops[k + 1], pos - k))
    return out


RED = [(80, 0, 8), (205, 28, 32), (255, 215, 210)]
GOLD = [(140, 80, 0), (245, 190, 30), (255, 250, 205)]
METAL = [(70, 72, 82), (240, 240, 246)]
BODY = [(16, 16, 22), (112, 112, 128)]
BLUE = [(10, 30, 110), (40, 110, 230), (200, 225, 255)]


def build_palette():
    colours = [GREY]
    for stops, steps in ((RED, 32), (GOLD, 32), (METAL, 20), (BODY, 20),
                         (BLUE, 16), ([OUTLINE, GREY], 10)):
        colours += ramp(stops, steps)
    # Soft edges against the background: blend each key colour into the grey.
    for key in (RED[1], GOLD[1], GOLD[0], METAL[0], BODY[0], BODY[1], BLUE[1]):
        colours += ramp([GREY, key], 8)[1:-1]
    unique = []
    for c in colours:
        if c not in unique:
            unique.append(c)
    assert len(unique) <= 256
    return unique + [(0, 0, 0)] * (256 - len(unique))


# ---- shapes (negative distance = inside) -----------------------------------

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ellipse(cx, cy, rx, ry):
    # First-order distance: the implicit value divided by its gradient length,
    # which keeps outlines the same width at the ends and the sides.
    def d(x, y):
        u, v = (x - cx) / rx, (y - cy) / ry
        k = math.hypot(u, v)
        if k == 0:
            return -min(rx, ry)
        grad = math.hypot(u / rx, v / ry) / k
        return (k - 1) / grad
    return d


def box(x0, y0, x1, y1):
    def d(x, y):
        dx = max(x0 - x, x - x1)
        dy = max(y0 - y, y - y1)
        return math.hypot(max(dx, 0), max(dy, 0)) + min(max(dx, dy), 0)
    return d


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def polygon(points):
    def d(x, y):
        best = float("inf")
        inside = False
        n = len(points)
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[i - 1]
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            t = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
            best = min(best, math.hypot(wx - ex * t, wy - ey * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return -best if inside else best
    return d


def star(cx, cy, outer, inner):
    pts = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        r = outer if i % 2 == 0 else inner
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return polygon(pts)


def grow(shape, by):
    return lambda x, y: shape(x, y) - by


# ---- shading ---------------------------------------------------------------

def flat(colour):
    return lambda x, y: colour


def sphere(cx, cy, r, stops):
    """Lit from the upper left, with a bright spot near the top."""
    def f(x, y):
        nx, ny = (x - cx) / r, (y - cy) / r
        nz = math.sqrt(max(0.0, 1 - nx * nx - ny * ny))
        light = max(0.0, -0.45 * nx - 0.55 * ny + 0.70 * nz)
        spot = max(0.0, 1 - math.hypot(nx + 0.38, ny + 0.42) / 0.28)
        t = min(1.0, 0.12 + 0.48 * light + 0.40 * spot)
        return ramp_at(stops, t)
    return f


def across(x0, x1, stops, lo=0.0, hi=1.0, peak=0.35):
    """Horizontal shading for a cylinder, brightest a little left of centre."""
    def f(x, y):
        u = (x - x0) / (x1 - x0)
        t = 1 - abs(u - peak) / max(peak, 1 - peak)
        return ramp_at(stops, lo + (hi - lo) * max(0.0, min(1.0, t)))
    return f


def down(y0, y1, stops, lo, hi):
    def f(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return ramp_at(stops, hi + (lo - hi) * t)
    return f


def ramp_at(stops, t):
    pos = t * (len(stops) - 1)
    k = min(int(pos), len(stops) - 2)
    return mix(stops[k], stops[k + 1], pos - k)


# ---- the picture -----------------------------------------------------------

def layers():
    """Shapes from front to back; each is (distance function, colour function)."""
    sx = 27                     # stick centre
    base_top = ellipse(sx + 6, 43, 26, 7)
    base_body = union(box(sx - 20, 43, sx + 32, 51), ellipse(sx + 6, 51, 26, 7))
    shaft = box(sx - 2, 18, sx + 2, 43)
    washer = ellipse(sx, 43, 6.5, 2.4)
    ball = circle(sx, 15, 11)
    button = ellipse(sx + 20, 42, 5, 2.6)
    button_side = union(box(sx + 15, 40, sx + 25, 42), ellipse(sx + 20, 42, 5, 2.6))
    button_cap = ellipse(sx + 20, 40, 5, 2.6)
    trophy = star(60, 14, 12, 5)

    return [
        (ball, sphere(sx, 15, 11, RED)),
        (grow(ball, 1), flat(OUTLINE)),
        (shaft, across(sx - 2, sx + 2, METAL, 0.15, 1.0)),
        (grow(shaft, 1), flat(OUTLINE)),
        (washer, down(41, 45, BODY, 0.0, 0.35)),
        (button_cap, down(38, 42, BLUE, 0.45, 0.75)),
        (button_side, across(sx + 15, sx + 25, BLUE, 0.1, 0.45)),
        (grow(union(button_cap, button_side, button), 1), flat(OUTLINE)),
        (base_top, down(36, 50, BODY, 0.55, 0.95)),
        (base_body, across(sx - 20, sx + 32, BODY, 0.05, 0.45, 0.3)),
        (grow(union(base_top, base_body), 1), flat(OUTLINE)),
        (trophy, sphere(60, 14, 12, GOLD)),
        (grow(trophy, 1), flat(OUTLINE)),
    ]


def render():
    shapes = layers()
    pixels = []
    for py in range(HEIGHT):
        row = []
        for px in range(WIDTH):
            acc = [0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) / SAMPLES
                    y = py + (sy + 0.5) / SAMPLES
                    colour = GREY
                    for dist, paint in shapes:
                        if dist(x, y) < 0:
                            colour = paint(x, y)
                            break
                    for i in range(3):
                        acc[i] += colour[i]
            row.append(tuple(v / SAMPLES ** 2 for v in acc))
        pixels.append(row)
    return pixels


def nearest(palette, colour, cache):
    key = tuple(round(v) for v in colour)
    if key not in cache:
        cache[key] = min(range(256), key=lambda i: sum(
            (palette[i][k] - key[k]) ** 2 for k in range(3)))
    return cache[key]


# ---- file output -----------------------------------------------------------

def write_bmp(path, palette, indices):
    stride = (WIDTH + 3) & ~3
    image = bytearray()
    for row in reversed(indices):       # bottom-up
        image += bytes(row) + bytes(stride - WIDTH)
    offset = 14 + 40 + 256 * 4
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0,
                       len(image), 2835, 2835, 256, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    with open(path, "wb") as f:
        f.write(header + info + table + image)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_logo.py OUTPUT.bmp")
    palette = build_palette()
    cache = {}
    indices = [[nearest(palette, c, cache) for c in row] for row in render()]
    write_bmp(sys.argv[1], palette, indices)


if __name__ == "__main__":
    main()
