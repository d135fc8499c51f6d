#!/usr/bin/env python3
"""Draws the setup's pictures: the wizard logos, the application icon and the four drive and
folder bitmaps. Plain Python (no image library): shapes are filled on a supersampled canvas and
averaged down. The outputs are committed; run this only to change a picture.

    python3 resources/make_pictures.py [output-folder]      (default: the folder of this script)
"""
import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------------------------
# Canvas: straight RGBA floats 0..1 on a grid `ss` times finer than the picture.


class Canvas:
    def __init__(self, width, height, ss, background=(0.0, 0.0, 0.0, 0.0)):
        self.width, self.height, self.ss = width, height, ss
        self.cols, self.rows = width * ss, height * ss
        self.px = [list(background) for _ in range(self.cols * self.rows)]

    def fill(self, polygons, paint, opacity=1.0):
        """Fills the union of `polygons` (nonzero rule; picture units) with a colour or with a
        function (x, y) -> colour of picture coordinates."""
        ss = self.ss
        edges = []
        for poly in polygons:
            # One orientation for all, so that overlapping pieces unite under the nonzero rule.
            if sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(poly, poly[1:] + poly[:1])) < 0:
                poly = poly[::-1]
            n = len(poly)
            for i in range(n):
                (x0, y0), (x1, y1) = poly[i], poly[(i + 1) % n]
                if y0 == y1:
                    continue
                winding = 1 if y1 > y0 else -1
                if y0 > y1:
                    x0, y0, x1, y1 = x1, y1, x0, y0
                edges.append((y0 * ss, y1 * ss, x0 * ss, (x1 - x0) / (y1 - y0), winding))
        if not edges:
            return
        top = max(0, int(math.floor(min(e[0] for e in edges))))
        bottom = min(self.rows, int(math.ceil(max(e[1] for e in edges))) + 1)
        solid = None if callable(paint) else paint
        for row in range(top, bottom):
            yc = row + 0.5
            crossings = []
            for (ya, yb, xa, slope, winding) in edges:
                if ya <= yc < yb:
                    crossings.append((xa + (yc - ya) * slope, winding))
            if not crossings:
                continue
            crossings.sort()
            count = 0
            base = row * self.cols
            for i in range(len(crossings) - 1):
                count += crossings[i][1]
                if count == 0:
                    continue
                start = max(0, int(math.ceil(crossings[i][0] - 0.5)))
                end = min(self.cols, int(math.ceil(crossings[i + 1][0] - 0.5)))
                for col in range(start, end):
                    colour = solid if solid else paint((col + 0.5) / ss, yc / ss)
                    self._blend(base + col, colour, opacity)

    def _blend(self, index, colour, opacity):
        a = (colour[3] if len(colour) > 3 else 1.0) * opacity
        dst = self.px[index]
        if a >= 1.0:
            dst[0], dst[1], dst[2], dst[3] = colour[0], colour[1], colour[2], 1.0
            return
        out_a = a + dst[3] * (1.0 - a)
        if out_a <= 0.0:
            return
        for c in range(3):
            dst[c] = (colour[c] * a + dst[c] * dst[3] * (1.0 - a)) / out_a
        dst[3] = out_a

    def pixels(self):
        """Averages each ss x ss block (alpha-weighted): rows of (r, g, b, a) in 0..255, top first."""
        ss, n = self.ss, self.ss * self.ss
        out = []
        for y in range(self.height):
            line = []
            for x in range(self.width):
                r = g = b = a = 0.0
                for sy in range(ss):
                    base = (y * ss + sy) * self.cols + x * ss
                    for sx in range(ss):
                        p = self.px[base + sx]
                        r += p[0] * p[3]
                        g += p[1] * p[3]
                        b += p[2] * p[3]
                        a += p[3]
                if a > 0.0:
                    line.append((round(255 * r / a), round(255 * g / a), round(255 * b / a), round(255 * a / n)))
                else:
                    line.append((0, 0, 0, 0))
            out.append(line)
        return out


# ---------------------------------------------------------------------------------------------
# Shapes, as point lists in picture units.


def hexcolour(text, alpha=1.0):
    return (int(text[1:3], 16) / 255.0, int(text[3:5], 16) / 255.0, int(text[5:7], 16) / 255.0, alpha)


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def ellipse(cx, cy, rx, ry, steps=96):
    return [(cx + rx * math.cos(2 * math.pi * i / steps), cy + ry * math.sin(2 * math.pi * i / steps))
            for i in range(steps)]


def rounded_rect(x0, y0, x1, y1, r, steps=12):
    points = []
    for (cx, cy, start) in ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)):
        for i in range(steps + 1):
            angle = math.radians(start + 90.0 * i / steps)
            points.append((cx + r * math.cos(angle), cy + r * math.sin(angle)))
    return points


def stroke(points, width):
    """A polyline of the given width with round joins and caps, as a list of polygons."""
    half = width / 2.0
    polys = [ellipse(x, y, half, half, 32) for (x, y) in points]
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        length = math.hypot(x1 - x0, y1 - y0)
        if length == 0:
            continue
        nx, ny = -(y1 - y0) / length * half, (x1 - x0) / length * half
        polys.append([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])
    return polys


def bezier(p0, p1, p2, p3, steps=24):
    pts = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        pts.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return pts


def snowcap(left, apex, right, depth):
    """The top `depth` units of the mountain left-apex-right, with a jagged lower edge."""
    def along(p, t):
        return (apex[0] + (p[0] - apex[0]) * t, apex[1] + (p[1] - apex[1]) * t)
    tl, tr = depth / (left[1] - apex[1]), depth / (right[1] - apex[1])
    a, b = along(left, tl), along(right, tr)
    teeth = [(b[0] + (a[0] - b[0]) * t, b[1] + (a[1] - b[1]) * t + depth * d)
             for (t, d) in ((0.25, 0.25), (0.5, -0.1), (0.75, 0.3))]
    return [apex, b] + teeth + [a]


def vertical_gradient(y0, c0, y1, c1):
    def paint(x, y):
        t = min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        return tuple(c0[i] + (c1[i] - c0[i]) * t for i in range(4))
    return paint


def transform(polys, scale, dx, dy):
    return [[(x * scale + dx, y * scale + dy) for (x, y) in poly] for poly in polys]


# ---------------------------------------------------------------------------------------------
# The emblem: a navy book with a Norwegian flag label and a green check badge. Drawn in a
# 256-unit square; `detail` drops what cannot be seen at small sizes.

NAVY = hexcolour("#16386E")
NAVY_LIGHT = hexcolour("#2A5B9E")
NAVY_DARK = hexcolour("#0C1F40")
PAPER = hexcolour("#F6F1E3")
PAPER_LINE = hexcolour("#C9BFA6")
FLAG_RED = hexcolour("#BA0C2F")
FLAG_BLUE = hexcolour("#00205B")
WHITE = hexcolour("#FFFFFF")
GREEN = hexcolour("#2E9E48")
GREEN_DARK = hexcolour("#1E7434")


def pixel_flag(put, u, box, cross_x, cross_y, frame):
    """The flag on whole pixels `u` units wide: `box` (x0, y0, x1, y1) in pixels, the white-blue-white
    cross starting at column `cross_x` and row `cross_y`."""
    x0, y0, x1, y1 = box
    if frame:
        put([rect((x0 - 1) * u, (y0 - 1) * u, (x1 + 1) * u, (y1 + 1) * u)], WHITE)
    put([rect(x0 * u, y0 * u, x1 * u, y1 * u)], FLAG_RED)
    put([rect(cross_x * u, y0 * u, (cross_x + 3) * u, y1 * u), rect(x0 * u, cross_y * u, x1 * u, (cross_y + 3) * u)], WHITE)
    put([rect((cross_x + 1) * u, y0 * u, (cross_x + 2) * u, y1 * u),
         rect(x0 * u, (cross_y + 1) * u, x1 * u, (cross_y + 2) * u)], FLAG_BLUE)


def draw_emblem(canvas, scale, dx, dy, detail):
    def put(polys, paint, opacity=1.0):
        canvas.fill(transform(polys, scale, dx, dy), paint, opacity)

    def grad(y0, c0, y1, c1):
        g = vertical_gradient(y0 * scale + dy, c0, y1 * scale + dy, c1)
        return g

    # Back cover, page block, front cover.
    put([rounded_rect(44, 30, 214, 246, 14)], NAVY_DARK)
    put([rect(58, 26, 206, 232)], PAPER)
    if detail >= 2:
        for i in range(5):
            y = 206 + i * 5
            put([rect(60, y, 204, y + 1.6)], PAPER_LINE)
    put([rounded_rect(36, 10, 196, 212, 14)], grad(10, NAVY_LIGHT, 212, NAVY))
    put([rounded_rect(36, 10, 62, 212, 10)], NAVY_DARK, 0.55)
    if detail >= 2:
        put([rect(64, 10, 67, 212)], WHITE, 0.18)

    # Flag label on the cover. At icon sizes 16 and 32 the flag is laid on whole pixels: a smoothed
    # cross of sub-pixel stripes turns to mud.
    if detail == 0:
        pixel_flag(put, 16.0, (3, 2, 11, 9), 5, 4, frame=False)
    elif detail == 1:
        pixel_flag(put, 8.0, (11, 6, 22, 13), 14, 8, frame=True)
    else:
        put([rounded_rect(84, 44, 176, 112, 6 if detail >= 2 else 3)], WHITE)
        inset = 6 if detail >= 2 else 8
        fx0, fy0, fx1, fy1 = 84 + inset, 44 + inset, 176 - inset, 112 - inset
        put([rect(fx0, fy0, fx1, fy1)], FLAG_RED)
        fw, fh = fx1 - fx0, fy1 - fy0
        cx = fx0 + fw * 8.0 / 22.0
        cy = fy0 + fh / 2.0
        put([rect(cx - fw * 2.0 / 22.0, fy0, cx + fw * 2.0 / 22.0, fy1),
             rect(fx0, cy - fh * 2.0 / 16.0, fx1, cy + fh * 2.0 / 16.0)], WHITE)
        put([rect(cx - fw * 1.0 / 22.0, fy0, cx + fw * 1.0 / 22.0, fy1),
             rect(fx0, cy - fh * 1.0 / 16.0, fx1, cy + fh * 1.0 / 16.0)], FLAG_BLUE)

    # Text lines under the label, one of them underlined with a wavy spelling mark.
    if detail >= 1:
        for (y, x1) in ((134, 166), (152, 148)):
            put([rounded_rect(84, y, x1, y + 7, 3.5)], WHITE, 0.55)
    if detail >= 2:
        wave = [(84 + i * 2.0, 168 + 3.0 * math.sin(i * 2.0 / 5.0 * math.pi)) for i in range(31)]
        put(stroke(wave, 3.2), hexcolour("#FF6B6B"))

    # Check badge.
    put([ellipse(188, 188, 60, 60)], WHITE)
    put([ellipse(188, 188, 50, 50)], grad(138, GREEN, 238, GREEN_DARK))
    put(stroke([(160, 190), (180, 210), (216, 166)], 17 if detail >= 1 else 22), WHITE)


# ---------------------------------------------------------------------------------------------
# The large picture of the wizard's left strip.


def draw_logo(canvas):
    w, h = canvas.width, canvas.height
    canvas.fill([rect(0, 0, w, h)], vertical_gradient(0, hexcolour("#081F45"), h, hexcolour("#2C64A6")))

    # Northern lights: soft translucent curtains drifting the same way.
    for (y, amp, phase, alpha, colour) in ((62, 10, 0.0, 0.14, "#5BF2B8"), (74, 12, 0.9, 0.11, "#45D6C8"),
                                           (86, 8, 1.7, 0.09, "#8CF5A0")):
        band = [(-10 + i * 5.0, y + amp * math.sin(i * 5.0 * 0.045 + phase) + 0.08 * i * 5.0) for i in range(29)]
        canvas.fill(stroke(band, 16), hexcolour(colour), alpha)
        canvas.fill(stroke(band, 7), hexcolour(colour), alpha)

    for (x, y, r) in ((14, 14, 1.0), (38, 30, 0.8), (70, 10, 1.1), (98, 24, 0.9), (108, 50, 0.7),
                      (22, 46, 0.7), (58, 40, 0.6), (86, 42, 0.8), (10, 92, 0.6), (112, 100, 0.7)):
        canvas.fill([ellipse(x, y, r, r, 16)], WHITE, 0.85)

    # Mountains with snow, then the fjord.
    far = [(0, 222), (18, 200), (34, 212), (58, 184), (82, 208), (100, 194), (120, 206), (120, 260), (0, 260)]
    canvas.fill([far], hexcolour("#1B3F73"))
    near = [(0, 236), (26, 214), (44, 228), (70, 204), (96, 226), (120, 216), (120, 260), (0, 260)]
    canvas.fill([near], hexcolour("#0E2850"))
    for (left, apex, right, depth) in (((0, 222), (18, 200), (34, 212), 7), ((82, 208), (100, 194), (120, 206), 6),
                                       ((44, 228), (70, 204), (96, 226), 9), ((0, 236), (26, 214), (44, 228), 7)):
        canvas.fill([snowcap(left, apex, right, depth)], hexcolour("#E8F0FA"))
    canvas.fill([rect(0, 244, w, h)], vertical_gradient(244, hexcolour("#143764"), h, hexcolour("#0A1E3E")))
    for (y, x0, x1) in ((248, 20, 60), (252, 70, 104), (256, 12, 40)):
        canvas.fill([rect(x0, y, x1, y + 0.8)], WHITE, 0.18)

    draw_emblem(canvas, 96.0 / 256.0, 12, 104, detail=2)


# ---------------------------------------------------------------------------------------------
# Palette quantisation (median cut) for the 8-bit picture.


def median_cut(pixels, count):
    histogram = {}
    for line in pixels:
        for p in line:
            key = p[:3]
            histogram[key] = histogram.get(key, 0) + 1
    boxes = [list(histogram.items())]
    while len(boxes) < count:
        best, best_score, best_channel = None, 0, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for channel in range(3):
                values = [c[channel] for c, _ in box]
                spread = max(values) - min(values)
                score = spread * sum(n for _, n in box)
                if score > best_score:
                    best, best_score, best_channel = i, score, channel
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda item: item[0][best_channel])
        total, running, cut = sum(n for _, n in box), 0, 1
        for j, (_, n) in enumerate(box):
            running += n
            if running * 2 >= total:
                cut = min(max(1, j + 1), len(box) - 1)
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(round(sum(c[k] * n for c, n in box) / total) for k in range(3)))
    palette.sort()
    return palette


def nearest(palette, colour, cache):
    if colour not in cache:
        cache[colour] = min(range(len(palette)),
                            key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))
    return cache[colour]


# ---------------------------------------------------------------------------------------------
# File writers.


def bmp_file(width, height, bits, palette, index_rows):
    """An uncompressed bottom-up BMP with BITMAPINFOHEADER. `index_rows`: top row first, palette
    indexes (bits 4 or 8) or (r, g, b) tuples (bits 24)."""
    rows = []
    for line in reversed(index_rows):
        if bits == 24:
            data = b"".join(struct.pack("BBB", b, g, r) for (r, g, b) in line)
        elif bits == 8:
            data = bytes(line)
        else:
            data = bytes((line[i] << 4) | (line[i + 1] if i + 1 < width else 0) for i in range(0, width, 2))
        rows.append(data + b"\0" * ((4 - len(data) % 4) % 4))
    image = b"".join(rows)
    colours = len(palette)
    table = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(image), 3780, 3780, colours, colours)
    return header + info + table + image


def png_file(rgba_rows):
    width, height = len(rgba_rows[0]), len(rgba_rows)
    raw = b"".join(b"\0" + b"".join(struct.pack("BBBB", *p) for p in line) for line in rgba_rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def icon_dib(rgba_rows):
    """A 32-bit icon image: BITMAPINFOHEADER (double height), BGRA rows bottom-up, AND mask."""
    size = len(rgba_rows)
    xor = b"".join(b"".join(struct.pack("BBBB", b, g, r, a) for (r, g, b, a) in line) for line in reversed(rgba_rows))
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for line in reversed(rgba_rows):
        bits = bytearray(mask_stride)
        for x, p in enumerate(line):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def ico_file(images):
    """`images`: list of (size, data). The directory then the images, in the given order."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


# ---------------------------------------------------------------------------------------------
# The 16-colour drive and folder bitmaps, drawn pixel by pixel over the standard 16-colour
# palette. The bottom-left pixel must be the background: it is the transparent colour.

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]
KEYS = {"k": 0, "m": 1, "d": 2, "o": 3, "n": 4, "p": 5, "t": 6, "s": 7, "g": 8, "r": 9, "G": 10,
        "y": 11, "b": 12, ".": 13, "c": 14, "w": 15}

SMALL_BITMAPS = {
    "FIXEDDRIVE": [
        "................",
        "...wwwwwwwwwwww.",
        "..wssssssssssswk",
        ".wssssssssssswgk",
        "wwwwwwwwwwwwwsgk",
        "wssssssssssssggk",
        "wssssssssGGssgk.",
        "wssssssssddssk..",
        "wgggggggggggggk.",
        "kkkkkkkkkkkkkk..",
        "................",
    ],
    "REMOVABLEDRIVE": [
        "................",
        ".wwwwwwwwwwwwww.",
        ".wsssssssssssgk.",
        ".wsggggggggggsgk",
        ".wskkkkkkkkkkwgk",
        ".wsssssssssssgk.",
        ".wssssssssGssgk.",
        ".wgggggggggggggk",
        ".kkkkkkkkkkkkkk.",
        "................",
    ],
    "CLOSEDFOLDER": [
        "................",
        "................",
        "..ooooo.........",
        ".owyyyyo........",
        "owyyyyyyoooooo..",
        "owwwwwwwwwwwwwo.",
        "owyyyyyyyyyyyyok",
        "owyyyyyyyyyyyyok",
        "owyyyyyyyyyyyyok",
        "owyyyyyyyyyyyyok",
        "owyyyyyyyyyyyyok",
        "owyyyyyyyyyyyyok",
        "oooooooooooooook",
        ".kkkkkkkkkkkkkkk",
        "................",
        "................",
    ],
    "OPENFOLDER": [
        "................",
        "................",
        "..ooooo.........",
        ".owyyyyo........",
        ".oyyyyyyoooooo..",
        ".oyywwwwwwwwyo..",
        ".oyywsssssswyo..",
        ".oyooooooooooooo",
        ".oyowyyyyyyyyyok",
        ".oowyyyyyyyyyok.",
        ".oowyyyyyyyyyok.",
        ".owyyyyyyyyyok..",
        ".owyyyyyyyyyok..",
        ".ooooooooooook..",
        "..kkkkkkkkkkk...",
        "................",
    ],
}


def small_bitmap(rows):
    width = len(rows[0])
    assert all(len(r) == width for r in rows), rows
    assert rows[-1][0] == ".", "the bottom-left pixel is the transparent background"
    return bmp_file(width, len(rows), 4, VGA, [[KEYS[c] for c in r] for r in rows])


# ---------------------------------------------------------------------------------------------


def composite_on(rows, background):
    out = []
    for line in rows:
        out.append([tuple(round((p[k] * p[3] + background[k] * (255 - p[3])) / 255) for k in range(3)) for p in line])
    return out


def emblem(size, ss):
    canvas = Canvas(size, size, ss)
    detail = 2 if size >= 48 else (1 if size >= 32 else 0)
    draw_emblem(canvas, size / 256.0, 0, 0, detail)
    return canvas.pixels()


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))

    def save(name, data):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)

    for name, rows in SMALL_BITMAPS.items():
        save(name + ".bmp", small_bitmap(rows))

    logo = Canvas(120, 260, 4)
    draw_logo(logo)
    rgb = [[p[:3] for p in line] for line in logo.pixels()]
    palette = median_cut(rgb, 256)
    cache = {}
    save("Logo.bmp", bmp_file(120, 260, 8, palette, [[nearest(palette, p, cache) for p in line] for line in rgb]))

    small = composite_on(emblem(34, 8), (255, 255, 255))
    save("LogoSmall.bmp", bmp_file(34, 34, 24, [], small))

    images = [(256, png_file(emblem(256, 3)))]
    for size in (48, 32, 16):
        images.append((size, icon_dib(emblem(size, 8))))
    save("Setup.ico", ico_file(images))


if __name__ == "__main__":
    main()
