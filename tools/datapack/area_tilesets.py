"""Tilesets of the later areas, laid out as tiles1 (tilesets.py) so that every id the game writes or reads
(items 12-60, harmful 16, breakable 65, check points 76-95, switch and rails 108-143, shutter 116-119,
switch block 124) means the same in every area:

- tiles2: the caves under Mount Punge: rock instead of grass and earth (1-6), conveyor belts running
  right (20-23) and left (36-39), animated.
- tiles3: the volcano: basalt with glowing cracks (1-6), lava (16: the harmful surface of the item layer,
  25: molten rock below it), the belts as in tiles2.
- scenery2: the cave's backdrop (rows 1-15 a dark gradient, crystals 16, 17 / 32, 33) and rock pillars
  (48-50, 64 as the hills of scenery1).
- scenery3: the burning sky over the volcano (rows 1-15), smoke 16, 17 / 32, 33, dark peaks 48-50, 64,
  and the shaft walls of the final climb (80 rock face, 81 ledge, 96 glowing vein, 97 lava fall).
- glow: the red light of the erupting mountain over the ending's night sky (1-4 its rim, 5 its body);
  the ending's director tints it from dark to bright red."""

from PIL import ImageDraw

from pixel_art import INK, KEY, WHITE, Rng, canvas, mix, shade
from tilesets import make_ground_tileset, make_scenery_tileset

ROCK = (112, 100, 112)
ROCK_DARK = (76, 66, 80)
MOSS = (120, 150, 110)
BASALT = (70, 56, 60)
BASALT_DARK = (44, 34, 40)
EMBER = (255, 120, 40)
LAVA = (250, 90, 30)
LAVA_LIGHT = (255, 200, 80)
BELT = (90, 90, 100)

BELT_RIGHT = 20  # four frames
BELT_LEFT = 36  # four frames
LAVA_BODY = 25
HARMFUL = 16


def _cell(t):
    return (t % 16) * 20, (t // 16) * 20


def _rock(draw, x, y, rng, base, dark, top=False, left=False, right=False, top_colour=None):
    draw.rectangle([x, y, x + 19, y + 19], fill=base)
    for _ in range(5):
        px, py = x + rng.next(17), y + rng.next(17)
        draw.rectangle([px, py, px + 2, py + 1], fill=dark)
    if top:
        draw.rectangle([x, y, x + 19, y + 3], fill=top_colour or mix(base, WHITE, 0.3))
        draw.line([(x, y), (x + 19, y)], fill=INK)
    if left:
        draw.line([(x, y), (x, y + 19)], fill=INK)
    if right:
        draw.line([(x + 19, y), (x + 19, y + 19)], fill=INK)


def _ground(draw, base, dark, top_colour, seed):
    rng = Rng(seed)
    for t, top, left, right in ((1, True, False, False), (2, False, False, False), (3, True, True, False),
                                (4, True, False, True), (5, False, True, False), (6, False, False, True),
                                (17, True, False, False), (18, False, False, False)):
        _rock(draw, *_cell(t), rng, base, dark, top, left, right, top_colour)


def _cracks(draw, colour, seed):
    rng = Rng(seed)
    for t in (2, 5, 6, 18):
        x, y = _cell(t)
        px, py = x + 3 + rng.next(10), y + 3 + rng.next(6)
        draw.line([(px, py), (px + 4, py + 5), (px + 2, py + 10)], fill=colour)


def _belts(draw):
    """A steel band with chevrons that move one quarter of a chevron per frame."""
    for first, step in ((BELT_RIGHT, 1), (BELT_LEFT, -1)):
        for frame in range(4):
            x, y = _cell(first + frame)
            draw.rectangle([x, y, x + 19, y + 19], fill=shade(BELT, 0.7), outline=INK)
            draw.rectangle([x + 1, y + 1, x + 18, y + 7], fill=BELT)
            for k in range(-1, 3):
                cx = x + 2 + k * 8 + step * frame * 2
                points = [(cx, y + 2), (cx + 3 * step, y + 4), (cx, y + 6)]
                if all(x <= px <= x + 19 for px, _ in points):
                    draw.line(points, fill=(240, 210, 60))
            for wx in (x + 5, x + 14):
                draw.ellipse([wx - 3, y + 10, wx + 3, y + 16], fill=(60, 60, 70), outline=INK)


def _lava(draw):
    x, y = _cell(HARMFUL)
    draw.rectangle([x, y, x + 19, y + 19], fill=KEY)
    draw.rectangle([x, y + 8, x + 19, y + 19], fill=LAVA)
    for bx in (2, 9, 15):
        draw.ellipse([x + bx, y + 4, x + bx + 5, y + 10], fill=LAVA)
    draw.line([(x, y + 9), (x + 19, y + 9)], fill=LAVA_LIGHT)
    x, y = _cell(LAVA_BODY)
    draw.rectangle([x, y, x + 19, y + 19], fill=shade(LAVA, 0.85))
    for k in range(3):
        draw.line([(x + 2 + 6 * k, y + 3), (x + 5 + 6 * k, y + 8)], fill=LAVA_LIGHT)


def make_cave_tileset():
    image = make_ground_tileset(False)
    draw = ImageDraw.Draw(image)
    _ground(draw, ROCK, ROCK_DARK, MOSS, 31)
    _belts(draw)
    return image


def make_volcano_tileset():
    image = make_ground_tileset(False)
    draw = ImageDraw.Draw(image)
    _ground(draw, BASALT, BASALT_DARK, (110, 80, 70), 41)
    _cracks(draw, EMBER, 43)
    _belts(draw)
    _lava(draw)
    return image


def _recolour(image, top, bottom, hill, leaf):
    """scenery1 with its sky rows, hills and trees repainted."""
    pixels = image.load()
    for row in range(15):
        x0, y0 = _cell(1 + row)
        for k in range(20):
            colour = mix(top, bottom, (row * 20 + k) / 300)
            for x in range(x0, x0 + 20):
                pixels[x, y0 + k] = colour
    for t in (48, 49, 50, 64):
        x0, y0 = _cell(t)
        for y in range(y0, y0 + 20):
            for x in range(x0, x0 + 20):
                if pixels[x, y] != KEY:
                    pixels[x, y] = hill
    for t in (80, 81, 96, 97, 112, 113):
        x0, y0 = _cell(t)
        for y in range(y0, y0 + 20):
            for x in range(x0, x0 + 20):
                pixels[x, y] = KEY if leaf is None or pixels[x, y] == KEY else leaf
    return image


def make_cave_scenery():
    image = _recolour(make_scenery_tileset(False), (20, 16, 28), (58, 44, 60), (46, 38, 54), None)
    draw = ImageDraw.Draw(image)
    for t, sky_row in ((16, 5), (17, 5), (32, 6), (33, 6)):  # crystals in the far wall
        x, y = _cell(t)
        image.paste(image.crop((*_cell(1 + sky_row), _cell(1 + sky_row)[0] + 20, _cell(1 + sky_row)[1] + 20)),
                    (x, y))
    x, y = _cell(16)
    for cx, h in ((8, 22), (18, 30), (28, 18)):
        draw.polygon([(x + cx - 4, y + 38), (x + cx, y + 38 - h), (x + cx + 4, y + 38)], fill=(90, 200, 220),
                     outline=INK)
        draw.line([(x + cx, y + 38 - h + 3), (x + cx - 2, y + 36)], fill=WHITE)
    return image


def make_volcano_scenery():
    image = _recolour(make_scenery_tileset(False), (60, 10, 20), (230, 110, 50), (60, 30, 36), None)
    draw = ImageDraw.Draw(image)
    smoke = (90, 70, 76)
    for t, sky_row in ((16, 2), (17, 2), (32, 3), (33, 3)):
        x, y = _cell(t)
        image.paste(image.crop((*_cell(1 + sky_row), _cell(1 + sky_row)[0] + 20, _cell(1 + sky_row)[1] + 20)),
                    (x, y))
    cx, cy = _cell(16)
    draw.ellipse([cx + 2, cy + 12, cx + 38, cy + 36], fill=smoke)
    draw.ellipse([cx + 12, cy + 2, cx + 32, cy + 26], fill=mix(smoke, WHITE, 0.15))
    rng = Rng(77)
    x, y = _cell(80)  # rock face of the shaft
    _rock(draw, x, y, rng, BASALT, BASALT_DARK)
    x, y = _cell(81)  # a ledge jutting from it
    _rock(draw, x, y, rng, BASALT, BASALT_DARK, top=True, top_colour=(130, 90, 70))
    x, y = _cell(96)  # a glowing vein
    _rock(draw, x, y, rng, BASALT, BASALT_DARK)
    draw.line([(x + 4, y), (x + 10, y + 8), (x + 8, y + 14), (x + 13, y + 19)], fill=EMBER, width=2)
    x, y = _cell(97)  # lava falling down the wall
    draw.rectangle([x, y, x + 19, y + 19], fill=BASALT)
    draw.rectangle([x + 6, y, x + 13, y + 19], fill=LAVA)
    draw.line([(x + 8, y), (x + 8, y + 19)], fill=LAVA_LIGHT)
    return image


def make_glow_tileset():
    """Red light with soft, dithered edges: 1 rising edge, 2 top, 3 falling edge, 4 sparse top, 5 body."""
    image, draw = canvas(320, 320)
    red = (255, 0, 0)
    dark = (200, 0, 0)
    pixels = image.load()
    for t, rule in ((1, lambda x, y: y > 19 - x), (2, lambda x, y: y > 6 or (x + y) % 2 == 0),
                    (3, lambda x, y: y > x), (4, lambda x, y: (x + 2 * y) % 5 == 0 and y > 8),
                    (5, lambda x, y: True)):
        x0, y0 = _cell(t)
        for y in range(20):
            for x in range(20):
                if rule(x, y):
                    pixels[x0 + x, y0 + y] = red if (x + y) % 3 else dark
    return image
