#!/usr/bin/python3
"""Draws the Voxlet program icon at 16, 32, 48 and 256 pixels and as SVG, and
writes voxlet-SIZE.png and voxlet.svg beside this script.

The picture is our own: a small white robot head with an orange antenna light
on a blue rounded square, and two sound waves coming from it. It is drawn from
shapes given in unit coordinates (with 8x8 supersampling, 4x4 at 256 pixels),
so every size and the SVG come from the same drawing. Only the standard
library is used (zlib for PNG).

    /usr/bin/python3 resources/icons/make_icons.py
"""
import math
import os
import struct
import zlib

BLUE = (43, 123, 214)
BLUE_DARK = (27, 86, 160)
WHITE = (246, 248, 252)
DARK = (28, 40, 58)
ORANGE = (255, 176, 32)


# A shape is (inside(x, y), SVG element in a 100x100 view box, without fill).
def u(v):
    return "%g" % round(v * 100, 3)


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    if 2 * r <= y1 - y0:
        return inside, '<rect x="%s" y="%s" width="%s" height="%s" rx="%s"' % (
            u(x0), u(y0), u(x1 - x0), u(y1 - y0), u(r))
    # Lower than two radii (as inside() has it): the lower half of a stadium
    # of height 2r that ends at y1, cut at y0.
    cut = "cut%s" % u(y0)
    return inside, ('<clipPath id="%s"><rect x="%s" y="%s" width="%s" height="%s"/></clipPath>'
                    '<rect x="%s" y="%s" width="%s" height="%s" rx="%s" clip-path="url(#%s)"' % (
                        cut, u(x0), u(y0), u(x1 - x0), u(y1 - y0),
                        u(x0), u(y1 - 2 * r), u(x1 - x0), u(2 * r), u(r), cut))


def circle(cx, cy, r):
    return (lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r,
            '<circle cx="%s" cy="%s" r="%s"' % (u(cx), u(cy), u(r)))


def arc(cx, cy, radius, width, half_angle):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if abs(d - radius) > width / 2:
            return False
        return abs(math.atan2(y - cy, x - cx)) <= half_angle
    dx, dy = radius * math.cos(half_angle), radius * math.sin(half_angle)
    return inside, ('<path d="M%s %s A%s %s 0 0 1 %s %s" stroke-width="%s" stroke-linecap="butt"' %
                    (u(cx + dx), u(cy - dy), u(radius), u(radius), u(cx + dx), u(cy + dy),
                     u(width)))


def rect(x0, y0, x1, y1):
    return (lambda x, y: x0 <= x <= x1 and y0 <= y <= y1,
            '<rect x="%s" y="%s" width="%s" height="%s"' % (u(x0), u(y0), u(x1 - x0), u(y1 - y0)))


# Layers from bottom to top: (shape, colour).
LAYERS = [
    (rounded_rect(0.02, 0.02, 0.98, 0.98, 0.20), BLUE),
    (rounded_rect(0.02, 0.80, 0.98, 0.98, 0.16), BLUE_DARK),
    (rounded_rect(0.02, 0.02, 0.98, 0.90, 0.20), BLUE),
    (rect(0.395, 0.15, 0.455, 0.30), WHITE),
    (circle(0.425, 0.14, 0.075), ORANGE),
    (rounded_rect(0.12, 0.27, 0.73, 0.82, 0.13), WHITE),
    (circle(0.31, 0.50, 0.075), DARK),
    (circle(0.54, 0.50, 0.075), DARK),
    (rounded_rect(0.31, 0.63, 0.54, 0.705, 0.03), DARK),
    (arc(0.70, 0.55, 0.14, 0.06, math.radians(50)), WHITE),
    (arc(0.70, 0.55, 0.245, 0.06, math.radians(45)), WHITE),
]


def render(size, samples=8):
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied r, g, b and alpha
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    colour = None
                    for (inside, _), c in LAYERS:
                        if inside(x, y):
                            colour = c
                    if colour is not None:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = samples * samples
            alpha = acc[3] / n
            if acc[3]:
                rgb = [round(acc[i] / acc[3]) for i in range(3)]
            else:
                rgb = [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], round(alpha * 255)))
        pixels.append(row)
    return pixels


def png(pixels):
    height = len(pixels)
    width = len(pixels[0])
    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def svg():
    lines = []
    for (_, element), colour in LAYERS:
        paint = "#%02x%02x%02x" % colour
        # Arcs are strokes; every other shape is filled.
        lines.append('  %s %s/>' % (element, 'fill="none" stroke="%s"' % paint
                                    if element.startswith("<path") else 'fill="%s"' % paint))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
            'viewBox="0 0 100 100">\n' + "\n".join(lines) + "\n</svg>\n")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for size in (16, 32, 48, 256):
        with open(os.path.join(here, "voxlet-%d.png" % size), "wb") as f:
            f.write(png(render(size, 8 if size <= 48 else 4)))
    with open(os.path.join(here, "voxlet.svg"), "w") as f:
        f.write(svg())


if __name__ == "__main__":
    main()
