#!/usr/bin/env python3
"""Draws the program's pictures and writes them byte by byte; only the standard library is used.

Rerun after changing a drawing, from the repository's root:

    python3 tools/images/draw_images.py

and commit what it writes: the build takes the pictures from app/res/ and never needs Python.

  app/res/tandelo.ico         the program's icon: 32 x 32 and 16 x 16 drawn pixel by pixel in 256
                              colours; 48 x 48 (32-bit) and 256 x 256 (PNG) drawn from the same
                              design as shapes, with smooth edges
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


# --- The icon at large sizes ------------------------------------------------------------------------
# The 32-pixel design as shapes on a 32-unit grid, filled at any size with smooth edges. Edges and
# lines keep a thickness in pixels that suits the size rather than growing with it.

def offset(points, distance):
    """The polygon with every edge moved `distance` outwards (inwards when negative), corners
    mitred; for small distances against the shape's features."""
    area = sum(x1 * y2 - x2 * y1 for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]))
    sign = 1 if area > 0 else -1
    lines = []
    for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
        length = ((x2 - x1) ** 2 + (y2 - y1) ** 2) ** 0.5
        nx, ny = -sign * (y2 - y1) / length, sign * (x2 - x1) / length
        lines.append(((x1 - nx * distance, y1 - ny * distance), (x2 - x1, y2 - y1)))
    result = []
    for (p, d), (q, e) in zip(lines[-1:] + lines[:-1], lines):
        cross = d[0] * e[1] - d[1] * e[0]
        t = ((q[0] - p[0]) * e[1] - (q[1] - p[1]) * e[0]) / cross
        result.append((p[0] + t * d[0], p[1] + t * d[1]))
    return result


def rect(left, top, right, bottom):
    return [(left, top), (right, top), (right, bottom), (left, bottom)]


class Shapes:
    """Polygons filled in order on a grid of `samples` x `samples` points a pixel."""

    def __init__(self, size, samples):
        self.size = size
        self.samples = samples
        self.grid = size * samples
        self.scale = self.grid / 32
        self.points = [[None] * self.grid for _ in range(self.grid)]
        # One pixel, in units of the 32-unit design.
        self.pixel = 32 / size

    def fill(self, polygon, colour):
        """Colours every grid point whose centre lies inside the polygon (even-odd rule)."""
        scaled = [(x * self.scale, y * self.scale) for x, y in polygon]
        for row in range(self.grid):
            py = row + 0.5
            crossings = sorted(x1 + (py - y1) * (x2 - x1) / (y2 - y1)
                               for (x1, y1), (x2, y2) in zip(scaled, scaled[-1:] + scaled[:-1])
                               if (y1 > py) != (y2 > py))
            line = self.points[row]
            for start, end in zip(crossings[0::2], crossings[1::2]):
                for column in range(max(0, int(start + 0.5)), min(self.grid, int(end + 0.5))):
                    line[column] = colour

    def framed(self, polygon, edge, colour, width):
        self.fill(polygon, edge)
        self.fill(offset(polygon, -width), colour)

    def canvas(self):
        """The pixels as RGBA quadruples: the mean colour of the covered points, and how many
        points are covered as the alpha."""
        result = Canvas(self.size, self.size)
        n = self.samples
        for y in range(self.size):
            for x in range(self.size):
                covered = [self.points[y * n + j][x * n + i] for j in range(n) for i in range(n)]
                covered = [c for c in covered if c is not None]
                if covered:
                    mean = tuple(round(sum(c[k] for c in covered) / len(covered)) for k in range(3))
                    result.put(x, y, mean + (round(255 * len(covered) / (n * n)),))
        return result


def smooth_page(shapes, left, top, width, height, lines, fold=0):
    edge = max(1, round(shapes.size / 64)) * shapes.pixel
    right, bottom = left + width, top + height
    corner = [(right - fold, top), (right, top + fold)] if fold else [(right, top)]
    outline_points = [(left, top)] + corner + [(right, bottom), (left, bottom)]
    shapes.framed(outline_points, PAGE_EDGE, WHITE, edge)
    shapes.fill(rect(right - 2 * edge, top + fold + edge, right - edge, bottom - edge), PAGE_SHADE)
    shapes.fill(rect(left + edge, bottom - 2 * edge, right - edge, bottom - edge), PAGE_SHADE)
    if fold:
        shapes.framed([(right - fold, top), (right - fold, top + fold), (right, top + fold)], PAGE_EDGE, FOLD, edge)
    text_left, text_right = left + 2.5, right - 2.5
    for n, share in enumerate(lines):
        y = top + 3.5 + 2 * n
        if share <= 0 or y > bottom - 3:
            continue
        end = text_left + (text_right - text_left) * share
        if fold and y <= top + fold + 1:
            end = min(end, right - fold - 1.5)
        shapes.fill(rect(text_left, y - 0.35, end, y + 0.35), TEXT_LINE if n % 3 != 2 else TEXT_LINE_LIGHT)


def smooth_arrow(shapes):
    """The arrow of the 32-pixel icon: down from the top, turning right, the head at the right."""
    edge = max(1, round(shapes.size / 64)) * shapes.pixel
    body = [(2, 9), (7, 9), (7, 23), (21, 23), (21, 19.5), (28.5, 25.5), (21, 31.5), (21, 28), (2, 28)]
    shapes.fill(offset(body, edge), ARROW_EDGE)
    shapes.fill(body, ARROW)
    light = 2 * edge
    shapes.fill(rect(2, 9, 2 + light, 28 - light), ARROW_LIGHT)
    shapes.fill(rect(2, 23, 21, 23 + light), ARROW_LIGHT)


def smooth_app_icon(size):
    shapes = Shapes(size, 4)
    smooth_page(shapes, 15, 1, 16, 20, [0.8, 1, 0.6, 1, 0.9, 0.4, 1, 0.7])
    smooth_page(shapes, 11, 5, 16, 20, [0.9, 0.6, 1, 0.8, 0.5, 1, 0.7, 0.9])
    smooth_page(shapes, 7, 9, 16, 20, [1, 0.7, 0.9, 0.5, 1, 0.8, 0.6, 0.9], fold=4)
    smooth_arrow(shapes)
    return shapes.canvas()


# --- File formats --------------------------------------------------------------------------------

def palette_of(canvases):
    canvases = [c for c in canvases if not is_rgba(c)]
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


def is_rgba(canvas):
    return any(c is not None and len(c) == 4 for row in canvas.pixels for c in row)


def rgba_icon_image(canvas):
    """One 32-bit image of an icon file: colour rows with their alpha, then the mask rows (1 where
    the pixel is fully transparent), both bottom up."""
    colour_rows = b""
    mask_rows = b""
    for y in reversed(range(canvas.height)):
        row = canvas.pixels[y]
        colour_rows += b"".join(b"\0\0\0\0" if c is None else bytes((c[2], c[1], c[0], c[3])) for c in row)
        bits = 0
        for c in row:
            bits = (bits << 1) | (c is None)
        mask_rows += padded(bits.to_bytes((canvas.width + 7) // 8, "big"))
    header = struct.pack("<IiiHHIIiiII", 40, canvas.width, 2 * canvas.height, 1, 32, 0,
                         len(colour_rows) + len(mask_rows), 0, 0, 0, 0)
    return header + colour_rows + mask_rows


def write_ico(path, canvases):
    """256-colour images for the pixel-drawn sizes, 32-bit ones for the smooth sizes, and PNG for
    256 x 256, as the system reads it from Vista on."""
    palette = palette_of(canvases)
    images = []
    for canvas in canvases:
        if canvas.width == 256:
            images.append((32, png_data(canvas, 1)))
        elif is_rgba(canvas):
            images.append((32, rgba_icon_image(canvas)))
        else:
            images.append((8, icon_image(canvas, palette)))
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, (bits, image) in zip(canvases, images):
        # A size of 256 does not fit the byte and is written as 0.
        data += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, 0, 0, 1, bits, len(image), offset)
        offset += len(image)
    write(path, data + b"".join(image for _, image in images))


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
    write(path, png_data(canvas, scale))


def png_data(canvas, scale):
    """The picture enlarged `scale` times, transparent where the picture is."""
    raw = b""
    for y in range(canvas.height * scale):
        raw += b"\0"
        for x in range(canvas.width * scale):
            c = canvas.get(x // scale, y // scale)
            if c is None:
                raw += b"\0\0\0\0"
            else:
                raw += bytes(c) + (b"" if len(c) == 4 else b"\xff")

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    ihdr = struct.pack(">IIBBBBB", canvas.width * scale, canvas.height * scale, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9))
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
    icon256 = smooth_app_icon(256)
    write_ico("app/res/tandelo.ico", [icon256, smooth_app_icon(48), icon32, icon16])
    rule_images = side_by_side([book(), sheets()], 0)
    write_bmp("app/res/rule_images.bmp", rule_images)
    write_png("docs/images/icon-x8.png", icon32, 8)
    write_png("docs/images/icon16-x8.png", icon16, 8)
    write_png("docs/images/icon256.png", icon256, 1)
    write_png("docs/images/rule-images-x8.png", side_by_side([book(), sheets()], 4), 8)


if __name__ == "__main__":
    main()
