#!/usr/bin/env python3
"""Draws the program's pictures and writes them byte by byte; only the standard library is used.

Rerun after changing a drawing, from the repository's root:

    python3 tools/images/draw_images.py

and commit what it writes: the build takes the pictures from app/res/ and never needs Python.

  app/res/tandelo.ico         the program's icon: 32 x 32 and 16 x 16, 256 colours with a mask
  app/res/rule_images.bmp     the rule tree's pictures, 16 x 16 each side by side (book, sheets);
                              magenta marks the transparent pixels
  docs/images/*.png           the same pictures enlarged eight times, for the README
"""

import os
import struct
import zlib

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))

# The transparent colour of the image strip; the program's loader uses the same value.
MASK_COLOUR = (255, 0, 255)

WHITE = (255, 255, 255)
PAGE_EDGE = (96, 96, 104)
PAGE_SHADE = (214, 214, 220)
TEXT_LINE = (150, 150, 160)
TEXT_LINE_LIGHT = (186, 186, 194)
FOLD = (228, 228, 234)

ARROW = (224, 32, 24)
ARROW_LIGHT = (255, 118, 96)
ARROW_EDGE = (128, 0, 0)

COVER = (156, 86, 38)
COVER_LIGHT = (196, 124, 62)
COVER_DARK = (104, 52, 20)
COVER_EDGE = (64, 30, 10)
PLATE = (236, 200, 120)
LEAVES = (246, 236, 206)
LEAVES_SHADE = (206, 190, 150)


class Canvas:
    """Pixels as RGB triples, None where the picture is transparent."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [[None] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def get(self, x, y):
        return self.pixels[y][x]

    def fill(self, left, top, right, bottom, colour):
        """Fills the rectangle including both corners."""
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                self.put(x, y, colour)

    def frame(self, left, top, right, bottom, colour):
        self.fill(left, top, right, top, colour)
        self.fill(left, bottom, right, bottom, colour)
        self.fill(left, top, left, bottom, colour)
        self.fill(right, top, right, bottom, colour)

    def polygon(self, points, colour):
        """Fills every pixel whose centre lies inside the polygon (even-odd rule)."""
        for y in range(self.height):
            for x in range(self.width):
                if inside(points, x + 0.5, y + 0.5):
                    self.put(x, y, colour)

    def paste(self, other, left, top):
        for y in range(other.height):
            for x in range(other.width):
                if other.get(x, y) is not None:
                    self.put(left + x, top + y, other.get(x, y))


def inside(points, px, py):
    result = False
    for i, (x1, y1) in enumerate(points):
        x2, y2 = points[i - 1]
        if (y1 > py) != (y2 > py) and px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
            result = not result
    return result


def outline(canvas, colour, shape):
    """Draws `colour` on every pixel outside the shape that touches one of its pixels (four ways)."""
    around = set()
    for y in range(canvas.height):
        for x in range(canvas.width):
            if shape.get(x, y) is None:
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                    nx, ny = x + dx, y + dy
                    if 0 <= nx < shape.width and 0 <= ny < shape.height and shape.get(nx, ny) is not None:
                        around.add((x, y))
    for x, y in around:
        canvas.put(x, y, colour)


# --- Drawings ------------------------------------------------------------------------------------

def page(canvas, left, top, width, height, lines, fold=0):
    """A sheet of paper with lines of text; `lines` gives each line's length as a share of the
    text width (0 leaves a blank line). `fold` folds the top right corner down by so many pixels."""
    right, bottom = left + width - 1, top + height - 1
    canvas.fill(left, top, right, bottom, WHITE)
    canvas.frame(left, top, right, bottom, PAGE_EDGE)
    # A faint inner shade on the right and bottom gives the sheet some thickness.
    canvas.fill(right - 1, top + 1, right - 1, bottom - 1, PAGE_SHADE)
    canvas.fill(left + 1, bottom - 1, right - 1, bottom - 1, PAGE_SHADE)
    if fold:
        for i in range(fold + 1):
            for j in range(fold + 1 - i):
                canvas.put(right - i, top + j, None)
        for i in range(fold):
            canvas.put(right - fold + i, top + i, PAGE_EDGE)
        canvas.fill(right - fold, top + 1, right - fold, top + fold, PAGE_EDGE)
        canvas.fill(right - fold, top + fold, right - 1, top + fold, PAGE_EDGE)
        for i in range(1, fold):
            for j in range(i + 1, fold):
                canvas.put(right - fold + i, top + j, FOLD)
        canvas.put(right, top + fold, PAGE_EDGE)
    text_left, text_right = left + 2, right - 3
    for n, share in enumerate(lines):
        y = top + 3 + 2 * n
        if share <= 0 or y > bottom - 3:
            continue
        end = text_left + max(1, round((text_right - text_left) * share))
        if fold and y <= top + fold:
            end = min(end, right - fold - 2)
        canvas.fill(text_left, y, end, y, TEXT_LINE if n % 3 != 2 else TEXT_LINE_LIGHT)


def copy_arrow(canvas, x, top, turn, tip, stroke, head):
    """A thick arrow that runs down from `top` at column `x`, turns right at row `turn` and points
    right at column `tip`. `stroke` is the shaft's width, `head` the arrowhead's half height."""
    shape = Canvas(canvas.width, canvas.height)
    half = stroke // 2
    left, right = x - half, x - half + stroke - 1
    upper, lower = turn - half, turn - half + stroke - 1
    base = tip - head - 1
    shape.fill(left, top, right, lower, ARROW)
    shape.fill(left, upper, base, lower, ARROW)
    centre = (upper + lower + 1) / 2
    shape.polygon([(base, centre - head - 0.5), (tip + 1, centre), (base, centre + head + 0.5)], ARROW)
    # Light along the upper left of the shaft, as if lit from there.
    shape.fill(left, top, left, lower - 1, ARROW_LIGHT)
    shape.fill(left, upper, base, upper, ARROW_LIGHT)
    outline(canvas, ARROW_EDGE, shape)
    canvas.paste(shape, 0, 0)


def app_icon(size):
    canvas = Canvas(size, size)
    if size == 32:
        # Three sheets fanned out to the upper right: the copies the program makes.
        page(canvas, 15, 1, 16, 20, [0.8, 1, 0.6, 1, 0.9, 0.4, 1, 0.7])
        page(canvas, 11, 5, 16, 20, [0.9, 0.6, 1, 0.8, 0.5, 1, 0.7, 0.9])
        page(canvas, 7, 9, 16, 20, [1, 0.7, 0.9, 0.5, 1, 0.8, 0.6, 0.9], fold=4)
        copy_arrow(canvas, x=4, top=9, turn=25, tip=28, stroke=5, head=6)
    else:
        page(canvas, 7, 0, 9, 11, [1, 0.6, 0.9, 0.7])
        page(canvas, 4, 3, 9, 11, [0.8, 1, 0.5, 0.9], fold=2)
        copy_arrow(canvas, x=2, top=5, turn=13, tip=14, stroke=3, head=2)
    return canvas


def book():
    """The closed book at the root of the rule tree, seen from the front with its leaves below and
    to the right."""
    canvas = Canvas(16, 16)
    # The block of leaves: the cover's outline moved down and to the right, with the back cover's
    # edge around it.
    canvas.polygon([(1, 14), (1, 13), (13, 0), (14, 0), (16, 2), (16, 16), (3, 16)], COVER_EDGE)
    canvas.polygon([(2, 14), (14, 1), (15, 2), (15, 15), (3, 15)], LEAVES)
    canvas.fill(3, 14, 14, 14, LEAVES_SHADE)
    # The front cover.
    canvas.fill(1, 0, 13, 13, COVER)
    canvas.frame(1, 0, 13, 13, COVER_EDGE)
    canvas.fill(2, 1, 12, 1, COVER_LIGHT)
    canvas.fill(2, 1, 2, 12, COVER_LIGHT)
    canvas.fill(12, 2, 12, 12, COVER_DARK)
    canvas.fill(3, 12, 12, 12, COVER_DARK)
    # The spine's hinge and the title plate.
    canvas.fill(4, 1, 4, 12, COVER_DARK)
    canvas.fill(5, 1, 5, 12, COVER_LIGHT)
    canvas.fill(7, 4, 10, 6, PLATE)
    canvas.fill(7, 7, 10, 7, COVER_DARK)
    return canvas


def sheets():
    """Two overlapping sheets with lines of text: one naming rule."""
    canvas = Canvas(16, 16)
    page(canvas, 5, 0, 10, 12, [1, 0.6, 0.9, 0.7, 1])
    page(canvas, 1, 3, 10, 13, [0.9, 1, 0.5, 1, 0.7], fold=2)
    return canvas


# --- File formats --------------------------------------------------------------------------------

def palette_of(canvases):
    colours = sorted({c for canvas in canvases for row in canvas.pixels for c in row if c is not None})
    # Index 0 is black: transparent pixels are black in the colour image so the mask shows through.
    colours = [(0, 0, 0)] + [c for c in colours if c != (0, 0, 0)]
    if len(colours) > 256:
        raise SystemExit("the icon uses more than 256 colours")
    return colours + [(0, 0, 0)] * (256 - len(colours))


def padded(row):
    return row + b"\0" * (-len(row) % 4)


def icon_image(canvas, palette):
    """One image of an icon file: a bitmap header of twice the height, the palette, the colour
    rows and then the mask rows (1 = transparent), both bottom up."""
    index = {c: i for i, c in reversed(list(enumerate(palette)))}
    colour_rows = b""
    mask_rows = b""
    for y in reversed(range(canvas.height)):
        row = canvas.pixels[y]
        colour_rows += padded(bytes(0 if c is None else index[c] for c in row))
        bits = 0
        for x, c in enumerate(row):
            bits = (bits << 1) | (c is None)
        mask_rows += padded(bits.to_bytes(canvas.width // 8, "big"))
    header = struct.pack("<IiiHHIIiiII", 40, canvas.width, 2 * canvas.height, 1, 8, 0,
                         len(colour_rows) + len(mask_rows), 0, 0, 0, 0)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + colours + colour_rows + mask_rows


def write_ico(path, canvases):
    palette = palette_of(canvases)
    images = [icon_image(c, palette) for c in canvases]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        data += struct.pack("<BBBBHHII", canvas.width, canvas.height, 0, 0, 1, 8, len(image), offset)
        offset += len(image)
    write(path, data + b"".join(images))


def write_bmp(path, canvas):
    """A 24-bit bitmap, bottom up; transparent pixels get the mask colour."""
    rows = b""
    for y in reversed(range(canvas.height)):
        row = b""
        for c in canvas.pixels[y]:
            r, g, b = MASK_COLOUR if c is None else c
            row += bytes((b, g, r))
        rows += padded(row)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    write(path, header + info + rows)


def write_png(path, canvas, scale):
    """The picture enlarged `scale` times, transparent where the picture is."""
    raw = b""
    for y in range(canvas.height * scale):
        raw += b"\0"
        for x in range(canvas.width * scale):
            c = canvas.get(x // scale, y // scale)
            if c is None:
                raw += b"\0\0\0\0"
            else:
                raw += bytes(c) + b"\xff"

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    ihdr = struct.pack(">IIBBBBB", canvas.width * scale, canvas.height * scale, 8, 6, 0, 0, 0)
    write(path, b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9))
          + chunk(b"IEND", b""))


def write(path, data):
    full = os.path.join(ROOT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "wb") as f:
        f.write(data)


def side_by_side(canvases, gap):
    width = sum(c.width for c in canvases) + gap * (len(canvases) - 1)
    strip = Canvas(width, max(c.height for c in canvases))
    left = 0
    for c in canvases:
        strip.paste(c, left, 0)
        left += c.width + gap
    return strip


def main():
    icon32, icon16 = app_icon(32), app_icon(16)
    write_ico("app/res/tandelo.ico", [icon32, icon16])
    rule_images = side_by_side([book(), sheets()], 0)
    write_bmp("app/res/rule_images.bmp", rule_images)
    write_png("docs/images/icon-x8.png", icon32, 8)
    write_png("docs/images/icon16-x8.png", icon16, 8)
    write_png("docs/images/rule-images-x8.png", side_by_side([book(), sheets()], 4), 8)


if __name__ == "__main__":
    main()
