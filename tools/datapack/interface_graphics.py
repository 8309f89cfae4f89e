"""The shared and menu graphics: common.png (gauge, cursor, items, debris, bullets, explosions, goal
flower, signs), font.png (10x10 glyphs of "!" to "`"), title.png, logo.png and map.png."""

import math

from PIL import ImageDraw

from hazard_graphics import draw_magma
from pixel_art import (INK, KEY, WHITE, Rng, canvas, draw_text, mix, outlined_ellipse, outlined_rect, shade,
                       text_pixels)

GEM = (80, 220, 255)
GOLD = (255, 210, 60)
RED = (226, 52, 52)


def _gem(draw, x, y, phase):
    """A spinning spirit gem in a 20x20 cell; phase 0..3 narrows it."""
    half = [7, 5, 2, 5][phase]
    cx, cy = x + 10, y + 10
    pts = [(cx, cy - 8), (cx + half, cy), (cx, cy + 8), (cx - half, cy)]
    draw.polygon(pts, fill=GEM, outline=INK)
    if half > 2:
        draw.line([(cx, cy - 6), (cx - half + 2, cy)], fill=WHITE)


def _explosion(draw, x, y, frame, rng):
    cx, cy = x + 20, y + 20
    radius = [6, 12, 16, 18, 18, 16][frame]
    heat = frame / 5
    outer = mix((255, 200, 40), (90, 80, 80), heat)
    inner = mix((255, 255, 220), (150, 130, 120), heat)
    for _ in range(7):
        a = rng.next(628) / 100
        d = rng.next(max(1, radius // 2))
        r = max(2, radius // 2 - frame // 2)
        ox, oy = cx + int(d * math.cos(a)), cy + int(d * math.sin(a))
        draw.ellipse([ox - r, oy - r, ox + r, oy + r], fill=outer)
    r = max(1, radius // 2 - frame)
    draw.ellipse([cx - r, cy - r, cx + r, cy + r], fill=inner)
    if frame >= 4:
        for _ in range(10):
            px, py = x + 4 + rng.next(32), y + 4 + rng.next(32)
            draw.point((px, py), fill=KEY)


def _flower(draw, x, y, open_bloom):
    """The goal bloom in a 60x60 cell; the stem joins at its bottom centre."""
    cx, cy = x + 30, y + 36
    petal = (250, 120, 180) if open_bloom else (200, 80, 140)
    if open_bloom:
        for i in range(8):
            a = i * math.pi / 4
            px, py = cx + int(14 * math.cos(a)), cy + int(12 * math.sin(a))
            outlined_ellipse(draw, [px - 8, py - 7, px + 8, py + 7], petal)
        outlined_ellipse(draw, [cx - 7, cy - 7, cx + 7, cy + 7], GOLD)
    else:
        outlined_ellipse(draw, [cx - 9, cy - 14, cx + 9, cy + 10], petal)
        draw.line([(cx, cy - 12), (cx, cy + 8)], fill=shade(petal, 0.7))
        draw.polygon([(cx - 9, cy + 4), (cx, cy + 14), (cx + 9, cy + 4)], fill=(70, 160, 70), outline=INK)
    draw.rectangle([cx - 2, cy + 14, cx + 1, y + 59], fill=(70, 160, 70))


def _leaves(draw, x, y, open_leaves):
    green, dark = (90, 190, 80), (50, 120, 50)
    if open_leaves:
        draw.polygon([(x + 20, y + 19), (x + 2, y + 8), (x + 8, y + 4), (x + 20, y + 14)], fill=green, outline=INK)
        draw.polygon([(x + 20, y + 19), (x + 38, y + 8), (x + 32, y + 4), (x + 20, y + 14)], fill=green, outline=INK)
        draw.line([(x + 6, y + 7), (x + 18, y + 15)], fill=dark)
        draw.line([(x + 34, y + 7), (x + 22, y + 15)], fill=dark)
    else:
        draw.polygon([(x + 20, y + 19), (x + 14, y + 10), (x + 18, y + 4), (x + 20, y + 12)], fill=green, outline=INK)
        draw.polygon([(x + 20, y + 19), (x + 26, y + 10), (x + 22, y + 4), (x + 20, y + 12)], fill=green, outline=INK)


def make_common():
    image, draw = canvas(320, 240)
    # Moving platform tile.
    outlined_rect(draw, [0, 0, 19, 19], (170, 120, 70))
    draw.line([(1, 6), (18, 6)], fill=(120, 80, 40))
    draw.line([(1, 13), (18, 13)], fill=(120, 80, 40))
    draw.rectangle([1, 1, 18, 2], fill=(210, 160, 100))
    # Spinning gem: the cursor frames and the element icon.
    for phase in range(4):
        _gem(draw, 20 + 20 * phase, 0, phase)
    # Speed gauge frame (100,0) start, (110,0) middle, (110,10) danger middle, (120,10) end.
    frame_color, danger = (200, 200, 220), (255, 110, 80)
    for x, y, color in ((100, 0, frame_color), (110, 0, frame_color), (110, 10, danger), (120, 10, danger)):
        draw.rectangle([x, y, x + 9, y + 9], fill=(20, 20, 40))
        draw.line([(x, y), (x + 9, y)], fill=color)
        draw.line([(x, y + 9), (x + 9, y + 9)], fill=color)
    draw.line([(100, 0), (100, 9)], fill=frame_color)
    draw.line([(129, 10), (129, 19)], fill=danger)
    # Speed fill: rows slow (0), fast (10), full (20); columns first, middle, last.
    for r, color in enumerate(((80, 200, 255), (255, 170, 40), (255, 60, 60))):
        for c in range(3):
            x, y = 130 + 10 * c, 10 * r
            draw.rectangle([x, y + 2, x + 9, y + 7], fill=color)
            draw.line([(x, y + 3), (x + 9, y + 3)], fill=mix(color, WHITE, 0.5))
    # The danger tick.
    draw.polygon([(164, 0), (169, 0), (166, 8)], fill=(255, 230, 60), outline=INK)
    # Check point sign, goal sign.
    outlined_rect(draw, [182, 2, 197, 17], (250, 240, 120))
    draw.line([(186, 10), (189, 13), (194, 5)], fill=(40, 140, 40), width=2)
    outlined_rect(draw, [201, 1, 238, 18], (250, 240, 200))
    draw_text(image, 205, 5, "GOAL", RED, outline=None)
    # Debris: four 10x10 block pieces.
    for x, y in ((0, 20), (10, 20), (0, 30), (10, 30)):
        outlined_rect(draw, [x, y, x + 9, y + 9], (196, 120, 70))
        draw.point((x + 3, y + 3), fill=(240, 180, 120))
    # Lives: head icon (20..30) then the empty health cell (30..50) that frames the stock number.
    outlined_ellipse(draw, [21, 26, 28, 33], (236, 176, 120))
    draw.chord([21, 25, 28, 31], 180, 360, fill=(64, 40, 28))
    draw.line([(21, 28), (28, 28)], fill=(214, 48, 40))
    for x, full in ((30, False), (50, True)):
        outlined_rect(draw, [x + 1, 21, x + 18, 38], (40, 40, 60))
        if full:
            heart = [(x + 10, 35), (x + 4, 29), (x + 4, 25), (x + 7, 23), (x + 10, 26), (x + 13, 23), (x + 16, 25),
                     (x + 16, 29)]
            draw.polygon(heart, fill=RED, outline=INK)
    outlined_rect(draw, [70, 21, 77, 38], (40, 40, 60))
    # Bomb icon.
    outlined_ellipse(draw, [83, 25, 96, 38], (50, 50, 70))
    draw.line([(92, 26), (95, 22)], fill=(200, 160, 90), width=2)
    draw.point((96, 21), fill=(255, 220, 60))
    # Slide dust puffs (160..190, 20).
    for i in range(4):
        x = 160 + 10 * i
        r = 2 + i
        color = mix((230, 220, 200), (160, 150, 140), i / 3)
        draw.ellipse([x + 5 - r, 25 - min(r, 4), x + 4 + r, 24 + min(r, 4)], fill=color)
    # Enemy bullets (0..60, 40) and their glow one row lower.
    for i in range(4):
        x = 20 * i
        r = 5 - (i % 2)
        draw.ellipse([x + 10 - r, 50 - r, x + 9 + r, 49 + r], fill=(240, 80, 160), outline=INK)
        draw.point((x + 8, 47), fill=WHITE)
        draw.ellipse([x + 10 - r - 2, 70 - r - 2, x + 9 + r + 2, 69 + r + 2], fill=(120, 40, 80))
    # Boost cells: empty, partial, full (30x10 each).
    for x, color in ((100, (30, 30, 50)), (130, (255, 150, 40)), (160, (255, 230, 80))):
        draw.rectangle([x, 40, x + 29, 49], fill=color, outline=INK)
        if x != 100:
            draw.line([(x + 1, 42), (x + 28, 42)], fill=mix(color, WHITE, 0.6))
    # Explosion (0..200, 80) 40x40.
    rng = Rng(11)
    for frame in range(6):
        _explosion(draw, 40 * frame, 80, frame, rng)
    # Goal flower: open bloom (0,120), closed bloom (60,120), stem (120,120), stem base (120,140),
    # open leaves (140,120), leaf bud (140,140).
    _flower(draw, 0, 120, True)
    _flower(draw, 60, 120, False)
    draw.rectangle([128, 120, 131, 139], fill=(70, 160, 70), outline=INK)
    draw.rectangle([128, 140, 131, 159], fill=(70, 160, 70), outline=INK)
    draw.polygon([(124, 159), (130, 150), (136, 159)], fill=(50, 120, 50))
    _leaves(draw, 140, 120, True)
    _leaves(draw, 140, 140, False)
    # Magma column: surface (0..20, 180), body (0..20, 200).
    draw_magma(draw, 0, 180)
    return image


def make_font():
    """80x80: glyph c (33..96) at ((c - 33) mod 8 x 10, (c - 33) / 8 x 10), white with a dark edge."""
    image, _ = canvas(80, 80)
    for code in range(33, 97):
        x, y = (code - 33) % 8 * 10, (code - 33) // 8 * 10
        rows = text_pixels(chr(code))
        glyph, _ = canvas(10, 10)
        gd = ImageDraw.Draw(glyph)
        cells = [(cx + 2, cy) for cy, row in enumerate(rows) for cx, bit in enumerate(row) if bit]
        for cx, cy in cells:
            gd.rectangle([cx, cy, cx + 1, cy + 1], fill=INK)
        for cx, cy in cells:
            gd.point((cx, cy), fill=mix(WHITE, (200, 210, 255), cy / 9))
        image.paste(glyph, (x, y))
    return image


def _gradient(top, bottom):
    return lambda cx, cy, rows: mix(top, bottom, cy / max(1, rows - 1))


def make_title():
    """(0, 0, 280, 90): the game's name over a sunset ridge."""
    image, draw = canvas(280, 90)
    draw.ellipse([90, 10, 190, 110], fill=(255, 170, 80))
    draw.polygon([(0, 89), (40, 60), (80, 72), (140, 40), (200, 70), (240, 55), (279, 75), (279, 89)],
                 fill=(60, 40, 70))
    draw.rectangle([0, 86, 279, 89], fill=(60, 40, 70))
    name = "KORVALUND"
    scale = 4
    x = (280 - len(name) * 6 * scale) // 2 + 2
    draw_text(image, x, 10, name, _gradient((255, 250, 180), (240, 110, 40)), scale=scale, shadow=(100, 30, 20))
    sub = "RUN ON THE SPIRIT STONE"
    draw_text(image, (280 - len(sub) * 6) // 2, 62, sub, (240, 240, 255))
    return image


def make_logo():
    """The area card: (0,0) "AREA", (0,40) "CLEAR!", (0,80) "START!", digits 40x60 at (40 (n - 1), 120);
    the final banner's (160, 0, 90, 40) "FINAL"."""
    image, _ = canvas(250, 180)
    for y, word, top, bottom in ((0, "AREA", (255, 255, 200), (250, 170, 40)),
                                 (40, "CLEAR!", (220, 255, 220), (60, 200, 90)),
                                 (80, "START!", (220, 240, 255), (70, 140, 250))):
        scale = 3 if len(word) <= 4 else 2
        width = len(word) * 6 * scale
        x = 4 if word == "AREA" else (160 - width) // 2
        draw_text(image, x, y + (40 - 10 * scale) // 2, word, _gradient(top, bottom), scale=scale,
                  shadow=(40, 30, 60))
    for n in range(1, 5):
        draw_text(image, 40 * (n - 1) + 3, 125, str(n), _gradient((255, 255, 220), (250, 120, 40)), scale=5,
                  shadow=(60, 30, 20))
    draw_text(image, 161, 5, "FINAL", _gradient((255, 230, 200), (230, 50, 30)), scale=3, shadow=(40, 30, 60))
    return image


# The areas on the world map, as the area-select screen frames them.
AREA_FRAMES = [(10, 140, 120, 190), (150, 130, 250, 200), (260, 140, 350, 210), (282, 98, 342, 122)]


def make_world_map():
    """(0, 0, 400, 220): the island: forest (area 1), caves (2), the slopes of Mount Punge (3), its crater (4)."""
    image, draw = canvas(400, 220, (40, 90, 170))
    rng = Rng(5)
    for _ in range(120):
        x, y = rng.next(400), rng.next(220)
        draw.line([(x, y), (x + 3, y)], fill=(70, 120, 200))
    island = [(0, 200), (0, 130), (60, 120), (130, 110), (200, 100), (260, 80), (300, 60), (350, 80),
              (390, 130), (370, 215), (200, 219), (0, 219)]
    draw.polygon(island, fill=(220, 200, 140), outline=INK)
    inner = [(5, 195), (5, 135), (62, 126), (130, 116), (200, 106), (262, 86), (300, 66), (346, 86),
             (384, 132), (364, 210), (200, 214), (5, 214)]
    draw.polygon(inner, fill=(90, 170, 80))
    for _ in range(60):
        x, y = 12 + rng.next(105), 142 + rng.next(46)
        draw.polygon([(x, y - 6), (x - 4, y + 2), (x + 4, y + 2)], fill=(40, 110, 50), outline=INK)
    draw.rectangle([150, 130, 250, 200], fill=(120, 100, 80))
    for i in range(5):
        x = 158 + 18 * i
        draw.ellipse([x, 150 + (i % 2) * 20, x + 12, 160 + (i % 2) * 20], fill=(30, 20, 20))
    draw.polygon([(260, 210), (312, 100), (350, 210)], fill=(140, 90, 70), outline=INK)
    draw.polygon([(282, 122), (300, 98), (324, 98), (342, 122)], fill=(110, 70, 60), outline=INK)
    draw.polygon([(296, 100), (312, 92), (328, 100)], fill=(240, 90, 30))
    for i in range(4):
        draw.ellipse([300 + 6 * i, 70 - 8 * i, 316 + 8 * i, 84 - 8 * i], fill=(120, 110, 110))
    for n, (x0, y0, x1, y1) in enumerate(AREA_FRAMES, 1):
        draw_text(image, x0 + 3, y0 + 3, str(n), WHITE)
    return image
