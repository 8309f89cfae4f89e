"""Tilesets (320x320, 20x20 tiles, 16 a row; tile t at ((t mod 16) 20, (t / 16) 20)): tiles1 (the
forest's ground, items, blocks, check points, shutters and rails), tilesn (the same by night),
scenery1 (sky, clouds, hills and trees behind the forest) and scenen (the night sky)."""

from PIL import Image, ImageDraw

from pixel_art import INK, KEY, WHITE, Rng, canvas, mix, shade

GRASS = (96, 184, 72)
GRASS_DARK = (60, 130, 50)
DIRT = (150, 100, 60)
DIRT_DARK = (110, 70, 40)
STONE = (150, 150, 160)


def _cell(t):
    return (t % 16) * 20, (t // 16) * 20


def _dirt(draw, x, y, rng, left=False, right=False):
    draw.rectangle([x, y, x + 19, y + 19], fill=DIRT)
    for _ in range(6):
        px, py = x + rng.next(18), y + rng.next(18)
        draw.rectangle([px, py, px + 1, py + 1], fill=DIRT_DARK)
    if left:
        draw.line([(x, y), (x, y + 19)], fill=INK)
    if right:
        draw.line([(x + 19, y), (x + 19, y + 19)], fill=INK)


def _grass_top(draw, x, y, rng, left=False, right=False, flowers=False):
    _dirt(draw, x, y, rng, left, right)
    draw.rectangle([x, y, x + 19, y + 6], fill=GRASS)
    for i in range(0, 20, 3):
        draw.line([(x + i, y + 6), (x + i + 1, y + 8)], fill=GRASS_DARK)
    draw.line([(x, y), (x + 19, y)], fill=INK)
    draw.line([(x, y + 1), (x + 19, y + 1)], fill=mix(GRASS, WHITE, 0.4))
    if flowers:
        for fx in (4, 13):
            draw.point((x + fx, y + 3), fill=(250, 240, 90))
    if left:
        draw.line([(x, y), (x, y + 19)], fill=INK)
    if right:
        draw.line([(x + 19, y), (x + 19, y + 19)], fill=INK)


def _block(draw, x, y, color, bricks=False, cracked=False):
    draw.rectangle([x, y, x + 19, y + 19], fill=color, outline=INK)
    draw.line([(x + 1, y + 1), (x + 18, y + 1)], fill=mix(color, WHITE, 0.4))
    draw.line([(x + 1, y + 18), (x + 18, y + 18)], fill=shade(color, 0.7))
    if bricks:
        draw.line([(x, y + 10), (x + 19, y + 10)], fill=shade(color, 0.6))
        draw.line([(x + 10, y), (x + 10, y + 10)], fill=shade(color, 0.6))
        draw.line([(x + 5, y + 10), (x + 5, y + 19)], fill=shade(color, 0.6))
        draw.line([(x + 15, y + 10), (x + 15, y + 19)], fill=shade(color, 0.6))
    if cracked:
        draw.line([(x + 4, y + 3), (x + 9, y + 9), (x + 7, y + 14), (x + 12, y + 17)], fill=INK)
        draw.line([(x + 9, y + 9), (x + 15, y + 6)], fill=INK)


def _gem(draw, x, y, phase):
    half = [6, 4, 2, 4][phase]
    cx, cy = x + 10, y + 10
    draw.polygon([(cx, cy - 7), (cx + half, cy), (cx, cy + 7), (cx - half, cy)], fill=(80, 220, 255), outline=INK)
    if half > 2:
        draw.line([(cx, cy - 5), (cx - half + 2, cy)], fill=WHITE)


def _items(draw):
    for phase in range(4):
        _gem(draw, *_cell(12 + phase), phase)
    x, y = _cell(16)  # spikes
    for i in range(4):
        draw.polygon([(x + 5 * i, y + 19), (x + 5 * i + 2, y + 8), (x + 5 * i + 4, y + 19)], fill=(210, 210, 220),
                     outline=INK)
    x, y = _cell(28)  # bomb
    draw.ellipse([x + 3, y + 5, x + 16, y + 18], fill=(50, 50, 70), outline=INK)
    draw.line([(x + 12, y + 6), (x + 15, y + 2)], fill=(200, 160, 90), width=2)
    draw.point((x + 16, y + 1), fill=(255, 220, 60))
    x, y = _cell(44)  # extra life: the runner's head
    draw.ellipse([x + 4, y + 4, x + 15, y + 15], fill=(236, 176, 120), outline=INK)
    draw.chord([x + 4, y + 3, x + 15, y + 12], 180, 360, fill=(64, 40, 28))
    draw.line([(x + 4, y + 8), (x + 15, y + 8)], fill=(214, 48, 40))
    draw.text((x + 12, y + 10), "", fill=WHITE)
    x, y = _cell(60)  # recovery: a heart fruit
    heart = [(x + 10, y + 17), (x + 3, y + 10), (x + 3, y + 5), (x + 7, y + 3), (x + 10, y + 6), (x + 13, y + 3),
             (x + 17, y + 5), (x + 17, y + 10)]
    draw.polygon(heart, fill=(230, 50, 60), outline=INK)
    draw.point((x + 6, y + 6), fill=WHITE)


def _check_point(draw, first, lit):
    """A 2x2 spirit stone: tiles first, first + 1 over first + 16, first + 17."""
    x, y = _cell(first)
    glow = (120, 240, 255) if lit else (110, 120, 140)
    draw.rectangle([x, y, x + 39, y + 39], fill=KEY)
    draw.polygon([(x + 20, y + 2), (x + 32, y + 14), (x + 28, y + 36), (x + 12, y + 36), (x + 8, y + 14)],
                 fill=glow, outline=INK)
    draw.line([(x + 20, y + 4), (x + 14, y + 30)], fill=mix(glow, WHITE, 0.6))
    draw.rectangle([x + 4, y + 34, x + 35, y + 39], fill=STONE, outline=INK)


def _rails(draw):
    rail = (220, 200, 80)
    for t in (108, 109):
        x, y = _cell(t)
        draw.rectangle([x + 2, y + 2, x + 17, y + 17], fill=(200, 60, 60) if t == 108 else (60, 200, 80), outline=INK)
    segments = {141: [((10, 0), (10, 19))], 143: [((0, 10), (19, 10))], 142: [((10, 0), (10, 19)), ((0, 10), (19, 10))],
                110: [((10, 19), (10, 10)), ((10, 10), (19, 10))], 111: [((10, 19), (10, 10)), ((10, 10), (0, 10))],
                126: [((10, 0), (10, 10)), ((10, 10), (19, 10))], 127: [((10, 0), (10, 10)), ((10, 10), (0, 10))]}
    for t, lines in segments.items():
        x, y = _cell(t)
        for (a, b) in lines:
            draw.line([(x + a[0], y + a[1]), (x + b[0], y + b[1])], fill=rail, width=3)
    x, y = _cell(125)
    draw.rectangle([x + 6, y + 6, x + 13, y + 13], fill=rail, outline=INK)


def make_ground_tileset(night=False):
    image, draw = canvas(320, 320)
    rng = Rng(21)
    _grass_top(draw, *_cell(1), rng)
    _dirt(draw, *_cell(2), rng)
    _grass_top(draw, *_cell(3), rng, left=True)
    _grass_top(draw, *_cell(4), rng, right=True)
    _dirt(draw, *_cell(5), rng, left=True)
    _dirt(draw, *_cell(6), rng, right=True)
    _block(draw, *_cell(7), STONE, bricks=True)
    x, y = _cell(8)  # bridge plank
    draw.rectangle([x, y, x + 19, y + 7], fill=(180, 130, 80), outline=INK)
    draw.line([(x + 10, y), (x + 10, y + 7)], fill=INK)
    x, y = _cell(9)  # turret face in the rock
    _block(draw, x, y, (120, 110, 120))
    draw.ellipse([x + 3, y + 5, x + 11, y + 14], fill=(30, 20, 30), outline=(200, 90, 150))
    draw.ellipse([x + 13, y + 4, x + 17, y + 8], fill=(230, 90, 150))
    _block(draw, *_cell(11), (130, 120, 110))
    _grass_top(draw, *_cell(17), rng, flowers=True)
    x, y = _cell(18)
    _dirt(draw, x, y, rng)
    draw.ellipse([x + 4, y + 6, x + 12, y + 12], fill=STONE, outline=DIRT_DARK)
    _items(draw)
    _block(draw, *_cell(65), (200, 130, 80), bricks=True, cracked=True)
    _check_point(draw, 76, False)
    _check_point(draw, 78, True)
    for i in range(4):  # shutter closing frames 116..119
        x, y = _cell(116 + i)
        h = 5 * (i + 1) - 1
        draw.rectangle([x + 1, y, x + 18, y + h], fill=(120, 130, 150), outline=INK)
        for k in range(y + 3, y + h, 5):
            draw.line([(x + 2, k), (x + 17, k)], fill=(90, 100, 120))
    _block(draw, *_cell(124), (200, 70, 70), bricks=True)
    _rails(draw)
    if night:
        pixels = image.load()
        for yy in range(image.height):
            for xx in range(image.width):
                if pixels[xx, yy] != KEY:
                    pixels[xx, yy] = mix(pixels[xx, yy], (20, 20, 60), 0.5)
    return image


SKY_ROWS = 15


def make_scenery_tileset(night=False):
    """Sky rows 1..15 (tile 1 + screen row), clouds 16, 17 / 32, 33 (rows 2 and 3 behind them), by night the
    moon 18 (row 1 behind it),
    hills 48 (rise), 49 (top), 50 (fall), 64 (body), trees 80, 81 / 96, 97 canopy and 112, 113 trunk."""
    image, draw = canvas(320, 320)
    top, bottom = ((10, 10, 40), (60, 40, 100)) if night else ((90, 160, 240), (200, 230, 250))
    for row in range(SKY_ROWS):
        x, y = _cell(1 + row)
        for k in range(20):
            draw.line([(x, y + k), (x + 19, y + k)], fill=mix(top, bottom, (row * 20 + k) / (SKY_ROWS * 20)))
    rng = Rng(9)
    if night:
        for row in range(SKY_ROWS):
            x, y = _cell(1 + row)
            if row < 9:
                for _ in range(2):
                    draw.point((x + rng.next(20), y + rng.next(20)), fill=WHITE)
    cloud = (70, 70, 110) if night else (250, 250, 255)
    for t, sky_row in ((16, 2), (17, 2), (32, 3), (33, 3)):
        x, y = _cell(t)
        image.paste(image.crop((*_cell(1 + sky_row), _cell(1 + sky_row)[0] + 20, _cell(1 + sky_row)[1] + 20)), (x, y))
    cx, cy = _cell(16)
    draw.ellipse([cx + 4, cy + 10, cx + 36, cy + 34], fill=cloud)
    draw.ellipse([cx + 14, cy + 4, cx + 30, cy + 24], fill=cloud)
    draw.rectangle([cx, cy + 20, cx + 39, cy + 30], fill=cloud)
    if night:  # the moon, over sky row 1
        mx, my = _cell(18)
        image.paste(image.crop((*_cell(2), _cell(2)[0] + 20, _cell(2)[1] + 20)), (mx, my))
        draw.ellipse([mx + 4, my + 2, mx + 16, my + 14], fill=(250, 250, 210))
    hill = (60, 110, 90) if not night else (30, 40, 60)
    for t, shape in ((48, "rise"), (49, "top"), (50, "fall"), (64, "body")):
        x, y = _cell(t)
        if shape == "rise":
            draw.polygon([(x, y + 19), (x + 19, y), (x + 19, y + 19)], fill=hill)
        elif shape == "fall":
            draw.polygon([(x, y), (x + 19, y + 19), (x, y + 19)], fill=hill)
        elif shape == "top":
            draw.rectangle([x, y, x + 19, y + 19], fill=hill)
            draw.line([(x, y), (x + 19, y)], fill=mix(hill, WHITE, 0.3))
        else:
            draw.rectangle([x, y, x + 19, y + 19], fill=hill)
    leaf = (50, 140, 60) if not night else (20, 50, 40)
    trunk = (110, 70, 40) if not night else (50, 40, 40)
    x, y = _cell(80)
    draw.ellipse([x + 2, y + 4, x + 37, y + 38], fill=leaf, outline=INK)
    draw.ellipse([x + 8, y + 8, x + 18, y + 16], fill=mix(leaf, WHITE, 0.25))
    x, y = _cell(96)
    draw.ellipse([x + 2, y - 16, x + 37, y + 18], fill=leaf, outline=INK)
    draw.ellipse([x + 6, y - 12, x + 33, y + 14], fill=leaf)
    x, y = _cell(112)
    draw.rectangle([x + 15, y, x + 24, y + 19], fill=trunk, outline=INK)
    return image
