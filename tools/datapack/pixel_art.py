"""Drawing helpers for the pack's pixel art: canvases keyed by pure green, outlined shapes, a small
deterministic random source and bitmap lettering from the Shinonome fonts."""

from PIL import Image, ImageDraw

from pcf_font import PcfFont

KEY = (0, 255, 0)  # the game's transparent colour
INK = (28, 22, 40)  # outline colour
WHITE = (250, 250, 250)

_ascii_font = None


def canvas(width, height, fill=KEY):
    image = Image.new("RGB", (width, height), fill)
    return image, ImageDraw.Draw(image)


class Rng:
    """A linear congruential generator: the same pictures on every run."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self, n):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.state >> 8) % n


def outlined_line(draw, points, width, color, outline=INK):
    draw.line(points, fill=outline, width=width + 2, joint="curve")
    for p in points:
        r = (width + 1) // 2
        draw.ellipse([p[0] - r, p[1] - r, p[0] + r, p[1] + r], fill=outline)
    draw.line(points, fill=color, width=width, joint="curve")
    for p in points:
        r = (width - 1) // 2
        draw.ellipse([p[0] - r, p[1] - r, p[0] + r, p[1] + r], fill=color)


def outlined_ellipse(draw, box, color, outline=INK):
    x0, y0, x1, y1 = box
    draw.ellipse([x0 - 1, y0 - 1, x1 + 1, y1 + 1], fill=outline)
    draw.ellipse(box, fill=color)


def outlined_rect(draw, box, color, outline=INK):
    draw.rectangle(box, fill=color, outline=outline)


def shade(color, factor):
    return tuple(max(0, min(255, int(c * factor))) for c in color)


def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


def ascii_font():
    global _ascii_font
    if _ascii_font is None:
        _ascii_font = PcfFont("/usr/share/fonts/X11/misc/shnm6x12ab.pcf.gz")
    return _ascii_font


def text_pixels(text):
    """Rows of 0/1 of the text in the 6x12 bold font, trimmed to rows 1..10."""
    font = ascii_font()
    rows = [[] for _ in range(12)]
    for ch in text:
        _, glyph = font.glyph(ord(ch))
        for r in range(12):
            rows[r].extend(glyph[r])
    return rows[1:11]


def draw_text(image, x, y, text, color, scale=1, outline=INK, shadow=None):
    """Lettering of the 6x12 font at (x, y), each pixel a scale x scale block, with a one-pixel outline."""
    rows = text_pixels(text)
    draw = ImageDraw.Draw(image)
    cells = [(cx, cy) for cy, row in enumerate(rows) for cx, bit in enumerate(row) if bit]
    if outline is not None:
        for cx, cy in cells:
            px, py = x + cx * scale, y + cy * scale
            draw.rectangle([px - 1, py - 1, px + scale, py + scale], fill=outline)
    if shadow is not None:
        for cx, cy in cells:
            px, py = x + cx * scale + 1, y + cy * scale + 1
            draw.rectangle([px, py, px + scale - 1, py + scale - 1], fill=shadow)
    for cx, cy in cells:
        px, py = x + cx * scale, y + cy * scale
        fill = color(cx, cy, len(rows)) if callable(color) else color
        draw.rectangle([px, py, px + scale - 1, py + scale - 1], fill=fill)
    return len(rows[0]) * scale


def text_width(text, scale=1):
    return len(text) * 6 * scale


# A 3x5 font for the tiny boost captions.
_MINI = {
    "N": ["X.X", "XXX", "XXX", "X.X", "X.X"], "E": ["XXX", "X..", "XX.", "X..", "XXX"],
    "W": ["X.X", "X.X", "XXX", "XXX", "X.X"], "M": ["X.X", "XXX", "XXX", "X.X", "X.X"],
    "A": [".X.", "X.X", "XXX", "X.X", "X.X"], "X": ["X.X", "X.X", ".X.", "X.X", "X.X"],
    "S": [".XX", "X..", ".X.", "..X", "XX."], "P": ["XX.", "X.X", "XX.", "X..", "X.."],
    "D": ["XX.", "X.X", "X.X", "X.X", "XX."], "!": [".X.", ".X.", ".X.", "...", ".X."],
}


def draw_mini_text(image, x, y, text, color):
    draw = ImageDraw.Draw(image)
    for i, ch in enumerate(text):
        for r, row in enumerate(_MINI[ch]):
            for c, mark in enumerate(row):
                if mark == "X":
                    draw.point((x + i * 4 + c, y + r), fill=color)


def silhouette(image, box, color):
    """The non-key pixels of a region painted one colour (after-images)."""
    region = image.crop(box)
    pixels = region.load()
    for yy in range(region.height):
        for xx in range(region.width):
            if pixels[xx, yy] != KEY:
                pixels[xx, yy] = color
    return region
