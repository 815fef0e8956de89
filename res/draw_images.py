#!/usr/bin/env python3
"""Draws the program's pictures: the toolbar strip, the device list's controller and the icon.

    draw_images.py OUTPUT_DIR

writes toolbar.bmp, controller.bmp and norvatessa.ico into OUTPUT_DIR. Only the standard library, so
that the build needs nothing but Python; the files depend on nothing but this script.

Shapes are painted over a grid of samples, several per pixel, and each pixel takes the mean of its
samples: edges between shapes come out smooth. The two bitmaps are keyed on magenta, which must stay
pure, so a pixel there is either the picture's colour or magenta, never a blend of the two.
"""

import math
import os
import struct
import sys

# One small palette for every picture.
SLATE = (47, 59, 69)
SLATE_LIGHT = (96, 110, 122)
HOLE = (22, 27, 32)
STEEL_DARK = (46, 94, 138)
STEEL = (70, 130, 180)
STEEL_LIGHT = (128, 172, 212)
GLASS = (214, 230, 244)
SILVER = (200, 206, 212)
GREEN = (52, 206, 72)
GREEN_OFF = (34, 92, 46)
WHITE = (255, 255, 255)
MAGENTA = (255, 0, 255)


# Shapes: a bounding box (x0, y0, x1, y1) and a test of whether a point lies inside. Coordinates are
# in the drawing's own units, pixels unless a canvas scales them.


def rect(x0, y0, x1, y1):
    return (x0, y0, x1, y1), lambda x, y: x0 <= x < x1 and y0 <= y < y1


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        dx = max(x0 + r - x, 0.0, x - (x1 - r))
        dy = max(y0 + r - y, 0.0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r

    return (x0, y0, x1, y1), inside


def disc(cx, cy, r):
    return (cx - r, cy - r, cx + r, cy + r), lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def arc(cx, cy, r0, r1, a0, a1):
    """The part of a ring between the angles a0 and a1, in degrees, counter-clockwise from the right."""

    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not r0 * r0 <= d2 <= r1 * r1:
            return False
        a = math.degrees(math.atan2(cy - y, x - cx))
        return (a - a0) % 360 <= (a1 - a0) % 360

    return (cx - r1, cy - r1, cx + r1, cy + r1), inside


def line(x0, y0, x1, y1, width):
    """A stroke with round ends."""
    h = width / 2
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        return (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= h * h

    return (min(x0, x1) - h, min(y0, y1) - h, max(x0, x1) + h, max(y0, y1) + h), inside


def polygon(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]

    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result

    return (min(xs), min(ys), max(xs), max(ys)), inside


def union(*shapes):
    boxes = [s[0] for s in shapes]
    box = (min(b[0] for b in boxes), min(b[1] for b in boxes), max(b[2] for b in boxes),
           max(b[3] for b in boxes))
    return box, lambda x, y: any(s[1](x, y) for s in shapes)


def clip(shape, x0, y0, x1, y1):
    (a, b, c, d), inside = shape
    box = (max(a, x0), max(b, y0), min(c, x1), min(d, y1))
    return box, lambda x, y: x0 <= x < x1 and y0 <= y < y1 and inside(x, y)


def gear(cx, cy, r_body, r_teeth, tooth_width, teeth):
    bars = []
    for i in range(teeth):
        a = math.pi * i / teeth
        ux, uy = math.cos(a), math.sin(a)
        vx, vy = -uy * tooth_width / 2, ux * tooth_width / 2
        ex, ey = ux * r_teeth, uy * r_teeth
        bars.append(polygon([(cx - ex + vx, cy - ey + vy), (cx + ex + vx, cy + ey + vy),
                             (cx + ex - vx, cy + ey - vy), (cx - ex - vx, cy - ey - vy)]))
    return union(disc(cx, cy, r_body), *bars)


def vertical(y0, y1, top, bottom):
    """A paint that goes from one colour at y0 to another at y1."""

    def colour(_x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))

    return colour


class Canvas:
    """A width x height picture sampled ss x ss times per pixel, drawn in units of 1/scale pixel."""

    def __init__(self, width, height, ss, scale=1.0):
        self.width, self.height, self.ss, self.scale = width, height, ss, scale
        self.sw, self.sh = width * ss, height * ss
        self.samples = [None] * (self.sw * self.sh)  # a colour, or None where nothing is painted

    def paint(self, shape, colour):
        """Paints a shape with a colour or a function of (x, y) giving one; None makes it transparent."""
        (x0, y0, x1, y1), inside = shape
        k = self.scale * self.ss
        sx0, sy0 = max(0, math.floor(x0 * k)), max(0, math.floor(y0 * k))
        sx1, sy1 = min(self.sw, math.ceil(x1 * k)), min(self.sh, math.ceil(y1 * k))
        for sy in range(sy0, sy1):
            y = (sy + 0.5) / k
            row = sy * self.sw
            for sx in range(sx0, sx1):
                x = (sx + 0.5) / k
                if inside(x, y):
                    self.samples[row + sx] = colour(x, y) if callable(colour) else colour

    def pixels(self):
        """The picture as rows of (r, g, b, a), 0 to 255, the colour not premultiplied."""
        ss, count = self.ss, self.ss * self.ss
        rows = []
        for py in range(self.height):
            row = []
            for px in range(self.width):
                r = g = b = n = 0
                for sy in range(py * ss, py * ss + ss):
                    base = sy * self.sw
                    for sx in range(px * ss, px * ss + ss):
                        c = self.samples[base + sx]
                        if c is not None:
                            r, g, b, n = r + c[0], g + c[1], b + c[2], n + 1
                if n == 0:
                    row.append((0, 0, 0, 0))
                else:
                    row.append((round(r / n), round(g / n), round(b / n), round(255 * n / count)))
            rows.append(row)
        return rows


# The toolbar strip: one 16 x 16 image per button, in the order of the TOOLBAR resource.


def draw_search(c):
    """A magnifier over a small network; the controller it has found sits under the glass."""
    c.paint(line(2, 14, 6.5, 6.5, 1.2), STEEL_DARK)
    c.paint(line(14, 2, 6.5, 6.5, 1.2), STEEL_DARK)
    for x, y in ((0, 11), (11, 0)):
        c.paint(rect(x, y, x + 5, y + 5), SLATE)
        c.paint(rect(x + 1, y + 1, x + 4, y + 4), STEEL)
        c.paint(rect(x + 1, y + 1, x + 4, y + 2), STEEL_LIGHT)
    c.paint(line(10.5, 10.5, 14.2, 14.2, 3.2), SLATE)
    c.paint(disc(6.5, 6.5, 5.6), SLATE)
    c.paint(disc(6.5, 6.5, 4.3), GLASS)
    # Under the glass the links look lighter, the controller bigger.
    c.paint(line(3, 10, 6.5, 6.5, 1.0), STEEL_LIGHT)
    c.paint(line(10, 3, 6.5, 6.5, 1.0), STEEL_LIGHT)
    c.paint(rect(5, 5, 8, 8), STEEL_DARK)
    c.paint(rect(6, 6, 7, 7), GREEN)


def draw_controller_settings(c):
    """A controller box with a gear in front of it."""
    c.paint(round_rect(0, 2, 14, 12, 1), SLATE)
    c.paint(rect(1, 3, 13, 11), vertical(3, 11, STEEL_LIGHT, STEEL))
    c.paint(rect(2, 5, 4, 7), GREEN)
    c.paint(rect(5, 5, 7, 7), GREEN)
    c.paint(rect(8, 5, 10, 7), GREEN_OFF)
    c.paint(gear(11, 11, 3.6, 5.0, 2.6, 4), SLATE)
    c.paint(gear(11, 11, 2.7, 4.0, 1.4, 4), SILVER)
    c.paint(disc(11, 11, 1.2), SLATE)


def draw_about(c):
    """A white "i" in a blue disc."""
    c.paint(disc(8, 8, 7.4), SLATE)
    c.paint(disc(8, 8, 6.4), vertical(2, 14, STEEL_LIGHT, STEEL_DARK))
    c.paint(rect(7, 3, 9, 5), WHITE)
    c.paint(rect(7, 6, 9, 12), WHITE)
    c.paint(rect(6, 6, 7, 7), WHITE)
    c.paint(rect(6, 11, 10, 12), WHITE)


# The device list's controller: 20 x 18.


def draw_list_controller(c):
    """A DIN-rail controller: status LEDs, a terminal strip and a network jack."""
    c.paint(round_rect(0, 2, 20, 16, 1), SLATE)
    c.paint(rect(1, 3, 19, 15), vertical(3, 15, STEEL_LIGHT, STEEL))
    c.paint(rect(1, 11, 12, 15), STEEL_DARK)
    for x in (2, 5, 8):
        c.paint(rect(x, 12, x + 2, 14), SILVER)
    c.paint(rect(3, 5, 5, 7), GREEN)
    c.paint(rect(6, 5, 8, 7), GREEN)
    c.paint(rect(9, 5, 11, 7), GREEN_OFF)
    # The jack: a dark opening, its contacts along the top, its latch notch at the bottom.
    c.paint(rect(12, 5, 18, 12), SLATE)
    c.paint(rect(13, 6, 17, 10), HOLE)
    c.paint(rect(14, 10, 16, 11), HOLE)
    c.paint(rect(13, 6, 17, 7), SILVER)


# The icon, drawn on a 48-unit square and scaled for 32; 16 has its own simpler drawing.


def draw_icon(c):
    # Box with a terminal strip along its lower edge.
    c.paint(round_rect(2.5, 19.5, 45.5, 44.5, 5), SLATE)
    body = round_rect(4, 21, 44, 43, 3.6)
    c.paint(body, vertical(21, 43, STEEL_LIGHT, STEEL))
    c.paint(clip(body, 4, 36, 44, 43), STEEL_DARK)
    c.paint(rect(4, 35.2, 44, 36), SLATE)
    for i in range(5):
        x = 7.5 + 5.5 * i
        c.paint(rect(x, 37.5, x + 3.5, 41), SILVER)
        c.paint(rect(x + 1.25, 38.4, x + 2.25, 40.1), SLATE_LIGHT)
    # Status LEDs.
    for x, colour in ((10, GREEN), (17, GREEN), (24, GREEN_OFF)):
        c.paint(disc(x, 28, 3.1), SLATE)
        c.paint(disc(x, 28, 2.2), colour)
        if colour == GREEN:
            c.paint(disc(x - 0.8, 27.2, 0.8), WHITE)
    # Network jack.
    c.paint(round_rect(30, 24.5, 41, 34.5, 1), SLATE)
    c.paint(rect(31.5, 26, 39.5, 31.5), HOLE)
    c.paint(rect(33.5, 31.5, 37.5, 33), HOLE)
    for x in (32.5, 34.5, 36.5, 38.5):
        c.paint(rect(x - 0.4, 26, x + 0.4, 28), SILVER)
    # Antenna and its radio waves.
    c.paint(rect(20.6, 10, 23.4, 20), SLATE)
    c.paint(rect(21.4, 11, 22.6, 19.5), SLATE_LIGHT)  # so that the mast shows on dark backgrounds too
    c.paint(disc(22, 9, 2.6), SLATE)
    c.paint(disc(22, 9, 1.3), GREEN)
    for r in (5.2, 9.5):
        c.paint(arc(22, 9, r, r + 2.4, -42, 42), GREEN)
        c.paint(arc(22, 9, r, r + 2.4, 138, 222), GREEN)


def draw_icon_16(c):
    """The icon redrawn on the pixel grid: box, two LEDs, terminals, jack, antenna, one wave a side."""
    c.paint(round_rect(0, 7, 16, 16, 1), SLATE)
    c.paint(rect(1, 8, 15, 15), vertical(8, 15, STEEL_LIGHT, STEEL))
    c.paint(rect(1, 12, 9, 15), STEEL_DARK)
    c.paint(rect(2, 13, 3, 14), SILVER)
    c.paint(rect(4, 13, 5, 14), SILVER)
    c.paint(rect(6, 13, 7, 14), SILVER)
    c.paint(rect(2, 9, 4, 11), GREEN)
    c.paint(rect(5, 9, 7, 11), GREEN)
    c.paint(rect(10, 9, 14, 14), SLATE)
    c.paint(rect(11, 10, 13, 13), HOLE)
    c.paint(rect(7, 3, 9, 7), SLATE)
    c.paint(rect(8, 4, 9, 7), SLATE_LIGHT)
    c.paint(disc(8, 3, 1.6), SLATE)
    c.paint(arc(8, 3, 3.0, 4.3, -50, 50), GREEN)
    c.paint(arc(8, 3, 3.0, 4.3, 130, 230), GREEN)


def render(width, height, draw, ss, scale=1.0):
    c = Canvas(width, height, ss, scale)
    draw(c)
    return c.pixels()


def keyed(rows, key):
    """Opaque colours on a key colour: a pixel at least half covered keeps its colour."""
    return [[p[:3] if p[3] >= 128 else key for p in row] for row in rows]


def bmp24(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line_bytes = bytearray()
        for r, g, b in row:
            line_bytes += bytes((b, g, r))
        data += line_bytes + bytes(stride - len(line_bytes))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return header + info + bytes(data)


def and_mask(rows, transparent):
    """An icon's 1-bit mask, bottom-up: 1 where the screen shows through."""
    width = len(rows[0])
    stride = ((width + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, p in enumerate(row):
            if transparent(p):
                bits[x // 8] |= 0x80 >> (x % 8)
        data += bits
    return bytes(data)


def icon_32bpp(rows):
    size = len(rows)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a)) if a else bytes(4)
    mask = and_mask(rows, lambda p: p[3] == 0)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + mask


def median_cut(counts, size):
    """At most size colours that stand for the given {colour: pixel count}; deterministic."""
    boxes = [sorted(counts.items())]
    while len(boxes) < size:
        best, best_range, best_channel = None, 0, 0
        for i, box in enumerate(boxes):
            for ch in range(3):
                values = [c[ch] for c, _ in box]
                if max(values) - min(values) > best_range:
                    best, best_range, best_channel = i, max(values) - min(values), ch
        if best is None:
            break
        box = sorted(boxes[best], key=lambda item: (item[0][best_channel], item[0]))
        half, total, cut = sum(n for _, n in box) / 2, 0, 1
        for j, (_, n) in enumerate(box[:-1]):
            total += n
            cut = j + 1
            if total >= half:
                break
        boxes[best:best + 1] = [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        n = sum(k for _, k in box)
        palette.append(tuple(round(sum(c[ch] * k for c, k in box) / n) for ch in range(3)))
    return palette


def icon_8bpp(rows):
    """A palette image: entry 0 is black, the colour that leaves the screen alone where the mask is 1."""
    size = len(rows)

    def opaque(p):
        return p[3] >= 128

    counts = {}
    for row in rows:
        for p in row:
            if opaque(p):
                counts[p[:3]] = counts.get(p[:3], 0) + 1
    palette = [(0, 0, 0)] + median_cut(counts, 255)
    nearest = {}
    for colour in counts:
        nearest[colour] = min(range(1, len(palette)),
                              key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, palette[i])))
    stride = (size + 3) & ~3
    xor = bytearray()
    for row in reversed(rows):
        indices = bytes(nearest[p[:3]] if opaque(p) else 0 for p in row)
        xor += indices + bytes(stride - size)
    mask = and_mask(rows, lambda p: not opaque(p))
    entries = palette + [(0, 0, 0)] * (256 - len(palette))
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in entries)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(xor) + len(mask), 0, 0, 256, 0)
    return info + colours + bytes(xor) + mask


def ico(images):
    """An icon file from (size, bits per pixel, image data) triples."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b"", b""
    for size, bpp, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bpp, len(data), offset)
        blobs += data
        offset += len(data)
    return header + entries + blobs


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw_images.py OUTPUT_DIR")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)

    strip = [[] for _ in range(16)]
    # The magnifier's thin lines stay crisp only with one sample per pixel.
    for draw, ss in ((draw_search, 1), (draw_controller_settings, 4), (draw_about, 4)):
        for y, row in enumerate(keyed(render(16, 16, draw, ss), MAGENTA)):
            strip[y] += row
    controller = keyed(render(20, 18, draw_list_controller, 4), MAGENTA)
    # The toolbar takes its transparent colour from the top-left pixel.
    for name, rows in (("toolbar", strip), ("controller", controller)):
        if rows[0][0] != MAGENTA:
            sys.exit(f"draw_images.py: the {name} image covers its top-left pixel, which must stay magenta")

    icons = {48: render(48, 48, draw_icon, 8), 32: render(32, 32, draw_icon, 8, 32 / 48),
             16: render(16, 16, draw_icon_16, 8)}
    images = [(size, 32, icon_32bpp(icons[size])) for size in (48, 32, 16)]
    images += [(size, 8, icon_8bpp(icons[size])) for size in (48, 32, 16)]

    for name, data in (("toolbar.bmp", bmp24(strip)), ("controller.bmp", bmp24(controller)),
                       ("norvatessa.ico", ico(images))):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
