"""Map graphics of the actors: twigger (walker), floggy (frog), ufo and demo (the opening's portraits,
scenery and pictures; its layout is listed in content/graphics.md)."""

import math

from PIL import ImageDraw, ImageOps

from hazard_graphics import draw_fire_pillar, draw_fire_shot
from pixel_art import (INK, KEY, WHITE, Rng, canvas, draw_text, mix, outlined_ellipse, outlined_line, outlined_rect,
                       shade)

BARK = (150, 100, 60)
LEAF = (110, 190, 70)
FROG = (90, 190, 90)
HULL = (170, 180, 200)


def _twigger_frame(draw, x, step):
    """A walking stick creature facing left; step 0..2 moves its legs."""
    outlined_line(draw, [(x + 20, y0 := 8), (x + 20, 26)], 5, BARK)
    outlined_ellipse(draw, [x + 12, 4, x + 28, 14], LEAF)
    draw.point((x + 14, 9), fill=INK)
    draw.point((x + 17, 9), fill=INK)
    draw.line([(x + 13, 12), (x + 17, 12)], fill=INK)
    spread = [6, 2, -4][step]
    outlined_line(draw, [(x + 20, 26), (x + 20 - spread, 32), (x + 18 - spread, 39)], 2, shade(BARK, 0.8))
    outlined_line(draw, [(x + 20, 26), (x + 20 + spread, 32), (x + 22 + spread, 39)], 2, BARK)
    outlined_line(draw, [(x + 20, 18), (x + 12, 14 + step * 2), (x + 8, 18 + step)], 1, BARK)
    outlined_line(draw, [(x + 20, 18), (x + 28, 20 - step), (x + 32, 16)], 1, BARK)
    assert y0 == 8


def _face_right(image, frame_width):
    """The frames are drawn facing left; the game shows them unmirrored facing right."""
    for x in range(0, image.width, frame_width):
        box = (x, 0, x + frame_width, image.height)
        image.paste(ImageOps.mirror(image.crop(box)), box)
    return image


def make_twigger():
    """40x40 frames (0/40/80, 0), facing right."""
    image, draw = canvas(160, 40)
    for i in range(3):
        _twigger_frame(draw, 40 * i, i)
    return _face_right(image, 40)


def make_floggy():
    """40x50 frames: resting (0), crouching (40), leaping (80); facing right, feet on row 50."""
    image, draw = canvas(120, 50)
    for i, (squash, legs) in enumerate(((0, "sit"), (4, "crouch"), (-6, "leap"))):
        x = 40 * i
        top = 24 + squash
        outlined_ellipse(draw, [x + 6, top, x + 34, 47 - (6 if legs == "leap" else 0)], FROG)
        outlined_ellipse(draw, [x + 6, top - 6, x + 16, top + 4], FROG)
        outlined_ellipse(draw, [x + 20, top - 6, x + 30, top + 4], FROG)
        draw.ellipse([x + 9, top - 3, x + 13, top + 1], fill=WHITE)
        draw.ellipse([x + 23, top - 3, x + 27, top + 1], fill=WHITE)
        draw.point((x + 10, top - 1), fill=INK)
        draw.point((x + 24, top - 1), fill=INK)
        draw.line([(x + 10, top + 10), (x + 24, top + 10)], fill=INK)
        draw.ellipse([x + 13, top + 12, x + 27, 44 - (6 if legs == "leap" else 0)], fill=(220, 240, 170))
        if legs == "leap":
            outlined_line(draw, [(x + 28, 38), (x + 34, 44), (x + 38, 49)], 3, shade(FROG, 0.8))
            outlined_line(draw, [(x + 12, 38), (x + 6, 44), (x + 2, 49)], 3, shade(FROG, 0.8))
        else:
            draw.ellipse([x + 2, 42, x + 12, 49], fill=shade(FROG, 0.8), outline=INK)
            draw.ellipse([x + 28, 42, x + 38, 49], fill=shade(FROG, 0.8), outline=INK)
    return _face_right(image, 40)


STONE = (150, 140, 130)
METAL = (120, 130, 150)


def make_canox():
    """The cannon turret standing on the floor: base (0, 0, 40, 40), a dome on a foot plate; barrel
    (40, 0, 40, 40) pointing up from the picture's centre, which is the pivot the game turns it about."""
    image, draw = canvas(80, 40)
    outlined_line(draw, [(60, 20), (60, 3)], 6, METAL)
    draw.line([(58, 5), (58, 17)], fill=shade(METAL, 1.35))
    outlined_rect(draw, [55, 1, 65, 5], shade(METAL, 0.8))
    outlined_ellipse(draw, [54, 14, 66, 26], shade(METAL, 0.9))
    draw.pieslice([6, 10, 34, 38], 180, 360, fill=INK)
    draw.pieslice([7, 11, 33, 37], 180, 360, fill=(110, 70, 60))
    draw.arc([10, 14, 24, 30], 200, 260, fill=shade((110, 70, 60), 1.5))
    outlined_rect(draw, [2, 24, 37, 31], (90, 60, 50))
    outlined_rect(draw, [0, 31, 39, 39], shade(METAL, 0.7))
    for x in (4, 13, 22, 31):
        draw.point((x + 2, 35), fill=shade(METAL, 1.4))
    return image


def _crustone_body(draw, x, y, lit):
    face = mix(STONE, WHITE, 0.5) if lit else STONE
    outlined_rect(draw, [x + 2, y + 1, x + 57, y + 41], face)
    for sx in range(x + 4, x + 56, 9):
        draw.polygon([(sx, y + 42), (sx + 4, y + 49), (sx + 8, y + 42)], fill=shade(face, 0.7), outline=INK)
    draw.line([(x + 6, y + 6), (x + 20, y + 4)], fill=shade(face, 1.3))
    draw.line([(x + 40, y + 30), (x + 52, y + 36)], fill=shade(face, 0.7))
    for ex in (x + 16, x + 36):
        draw.rectangle([ex, y + 16, ex + 7, y + 22], fill=WHITE, outline=INK)
        draw.rectangle([ex + 3, y + 18, ex + 5, y + 21], fill=INK)
    draw.line([(x + 14, y + 12), (x + 24, y + 16)], fill=INK, width=2)
    draw.line([(x + 45, y + 12), (x + 35, y + 16)], fill=INK, width=2)
    draw.line([(x + 20, y + 32), (x + 40, y + 32)], fill=INK, width=2)


def make_crustone():
    """The crusher stone: body (0, 0, 60, 50) with its spikes below; the strip above it, seven frames
    (60, 0..30, 60, 5) of chains running up; both again 60 lower, lit, for the flash after a strike."""
    image, draw = canvas(120, 120)
    for lit in (0, 1):
        top = 60 * lit
        _crustone_body(draw, 0, top, lit)
        chain = mix((90, 90, 100), WHITE, 0.5) if lit else (90, 90, 100)
        for frame in range(7):
            y = top + 5 * frame
            for cx in (72, 104):
                draw.rectangle([cx - 2, y, cx + 2, y + 4], fill=INK)
                link = (frame + (cx // 8)) % 2
                draw.rectangle([cx - 1 + link, y + frame % 3, cx + link, y + frame % 3 + 1], fill=chain)
            draw.line([(62, y + 4), (117, y + 4)], fill=shade(STONE, 0.6))
    return image


def _ufo_whole(draw, x, y, scale=1.0):
    """The whole craft, centred in a 120x70 box at (x, y)."""
    cx, cy = x + 60, y + 40
    draw.ellipse([cx - 26, cy - 30, cx + 26, cy + 4], fill=(170, 230, 255), outline=INK)
    draw.ellipse([cx - 58, cy - 12, cx + 58, cy + 16], fill=HULL, outline=INK)
    draw.rectangle([cx - 56, cy, cx + 56, cy + 2], fill=shade(HULL, 0.7))
    for i in range(7):
        lx = cx - 42 + 14 * i
        draw.ellipse([lx - 3, cy + 5, lx + 3, cy + 10], fill=(255, 230, 90), outline=INK)


ALIEN = (150, 210, 90)


def _ufo_wreck(draw, x, y):
    """The crashed craft in a 120x60 box: a cracked, dented hull with the dome broken off and smoke."""
    draw.polygon([(x + 4, y + 34), (x + 30, y + 22), (x + 92, y + 20), (x + 116, y + 32), (x + 110, y + 48),
                  (x + 70, y + 56), (x + 20, y + 52)], fill=shade(HULL, 0.85), outline=INK)
    draw.line([(x + 8, y + 38), (x + 112, y + 36)], fill=shade(HULL, 0.6), width=2)
    draw.line([(x + 40, y + 24), (x + 48, y + 36), (x + 44, y + 46)], fill=INK)
    draw.line([(x + 78, y + 22), (x + 70, y + 34), (x + 80, y + 50)], fill=INK)
    draw.pieslice([x + 34, y + 6, x + 86, y + 38], 200, 330, fill=(130, 180, 210), outline=INK)
    draw.line([(x + 50, y + 12), (x + 58, y + 20), (x + 66, y + 10)], fill=INK)
    for i in range(4):
        lx = x + 26 + 20 * i
        draw.ellipse([lx - 3, y + 41, lx + 3, y + 46], fill=(120, 110, 60), outline=INK)
    for cx, cy, r in ((x + 22, y + 14, 7), (x + 30, y + 7, 5), (x + 100, y + 12, 6)):
        draw.ellipse([cx - r, cy - r, cx + r, cy + r], fill=(110, 105, 115), outline=shade((110, 105, 115), 0.7))


def _ufo_shards(draw, x, y):
    """Four 10x10 pieces of hull plating for the crash."""
    shapes = (
        [(1, 2), (8, 1), (9, 7), (3, 8)],
        [(2, 1), (8, 3), (6, 9), (1, 6)],
        [(1, 4), (5, 1), (9, 5), (5, 8)],
        [(2, 2), (9, 2), (7, 8)],
    )
    for i, points in enumerate(shapes):
        ox = x + 10 * i
        draw.polygon([(ox + px, y + py) for px, py in points], fill=shade(HULL, 1.0 - 0.1 * i), outline=INK)


def _alien_frame(draw, x, y, pose):
    """The pilot in a 40x40 box facing left: standing, jumping (arms up) or climbing out (arms forward)."""
    draw.ellipse([x + 10, y + 4, x + 30, y + 22], fill=ALIEN, outline=INK)
    draw.ellipse([x + 12, y + 10, x + 17, y + 15], fill=INK)
    draw.ellipse([x + 20, y + 10, x + 25, y + 15], fill=INK)
    draw.point((x + 13, y + 11), fill=WHITE)
    draw.point((x + 21, y + 11), fill=WHITE)
    outlined_line(draw, [(x + 20, y + 5), (x + 24, y + 2)], 1, ALIEN)
    draw.rectangle([x + 15, y + 22, x + 25, y + 32], fill=(120, 90, 170), outline=INK)
    if pose == "stand":
        outlined_line(draw, [(x + 15, y + 24), (x + 10, y + 31)], 2, ALIEN)
        outlined_line(draw, [(x + 25, y + 24), (x + 30, y + 31)], 2, ALIEN)
        legs = [((x + 17, y + 32), (x + 16, y + 38)), ((x + 23, y + 32), (x + 24, y + 38))]
    elif pose == "jump":
        outlined_line(draw, [(x + 15, y + 24), (x + 9, y + 16)], 2, ALIEN)
        outlined_line(draw, [(x + 25, y + 24), (x + 31, y + 16)], 2, ALIEN)
        legs = [((x + 17, y + 32), (x + 12, y + 36)), ((x + 23, y + 32), (x + 28, y + 36))]
    else:
        outlined_line(draw, [(x + 15, y + 24), (x + 5, y + 24)], 2, ALIEN)
        outlined_line(draw, [(x + 25, y + 24), (x + 12, y + 28)], 2, ALIEN)
        legs = [((x + 17, y + 32), (x + 14, y + 38)), ((x + 23, y + 32), (x + 30, y + 35))]
    for a, b in legs:
        outlined_line(draw, [a, b], 2, shade(ALIEN, 0.8))


def make_ufo():
    """Hull (0,0,120,50), top (0,60,120,30), hatch frames (120, 40 n, 60, 30), whole craft (180,80,120,70),
    fire pillar (0/20, 170, 20, 50), fire shot (40/60, 180, 20, 20), wreck (180,0,120,60), wreck pieces
    (180..210, 60, 10, 10), pilot (0/40/80, 100, 40, 40)."""
    image, draw = canvas(300, 240)
    draw.ellipse([1, 4, 118, 44], fill=HULL, outline=INK)
    draw.rectangle([4, 22, 115, 25], fill=shade(HULL, 0.7))
    for i in range(7):
        lx = 18 + 14 * i
        draw.ellipse([lx - 3, 30, lx + 3, 36], fill=(255, 230, 90), outline=INK)
    draw.rectangle([30, 44, 90, 49], fill=(60, 60, 80))
    draw.pieslice([8, 62, 112, 118], 180, 360, fill=(170, 230, 255), outline=INK)
    draw.arc([20, 68, 60, 100], 200, 260, fill=WHITE)
    for n in range(6):
        y = 40 * n
        opening = n / 5
        draw.rectangle([121, y + 1, 178, y + 28], fill=(90, 90, 110), outline=INK)
        gap = int(26 * opening)
        if gap:
            draw.rectangle([150 - gap, y + 2, 149 + gap, y + 27], fill=(255, 250, 200))
            draw.polygon([(150 - gap, y + 27), (150 + gap, y + 27), (150 + gap + 4, y + 29), (150 - gap - 4, y + 29)],
                         fill=(255, 255, 160))
    _ufo_whole(draw, 180, 80)
    draw_fire_pillar(draw, 0, 170)
    draw_fire_shot(draw, 40, 180)
    _ufo_wreck(draw, 180, 0)
    _ufo_shards(draw, 180, 60)
    for i, pose in enumerate(("stand", "jump", "climb")):
        _alien_frame(draw, 40 * i, 100, pose)
    return image


def _portrait(draw, x, y, elder, mouth_open=False, blink=False):
    skin = (226, 170, 120)
    draw.rectangle([x, y, x + 79, y + 99], fill=(60, 50, 80))
    draw.rectangle([x + 2, y + 2, x + 77, y + 97], fill=(110, 90, 140) if elder else (90, 120, 160))
    robe = (120, 80, 150) if elder else (70, 150, 84)
    draw.polygon([(x + 22, y + 99), (x + 26, y + 64), (x + 54, y + 64), (x + 58, y + 99)], fill=robe, outline=INK)
    outlined_ellipse(draw, [x + 18, y + 18, x + 62, y + 70], skin)
    if elder:
        draw.polygon([(x + 24, y + 56), (x + 40, y + 96), (x + 56, y + 56)], fill=(235, 235, 235), outline=INK)
        draw.chord([x + 18, y + 14, x + 62, y + 44], 180, 360, fill=(220, 220, 220))
        draw.line([(x + 26, y + 36), (x + 34, y + 34)], fill=(220, 220, 220), width=2)
        draw.line([(x + 46, y + 34), (x + 54, y + 36)], fill=(220, 220, 220), width=2)
    else:
        draw.chord([x + 16, y + 12, x + 64, y + 46], 180, 360, fill=(64, 40, 28))
        draw.line([(x + 18, y + 30), (x + 62, y + 30)], fill=(214, 48, 40), width=2)
    eye_y = y + 42
    for ex in (x + 30, x + 50):
        if blink:
            draw.line([(ex - 3, eye_y), (ex + 3, eye_y)], fill=INK)
        else:
            draw.ellipse([ex - 3, eye_y - 3, ex + 3, eye_y + 3], fill=WHITE, outline=INK)
            draw.point((ex, eye_y), fill=INK)
    mouth_y = y + (60 if elder else 58)
    if mouth_open:
        draw.ellipse([x + 35, mouth_y - 3, x + 45, mouth_y + 4], fill=(120, 30, 30), outline=INK)
    else:
        draw.line([(x + 35, mouth_y), (x + 45, mouth_y)], fill=INK)


def _hut(draw, x, y):
    draw.polygon([(x + 5, y + 40), (x + 32, y + 4), (x + 60, y + 40)], fill=(200, 170, 90), outline=INK)
    draw.rectangle([x + 12, y + 40, x + 54, y + 79], fill=(150, 100, 60), outline=INK)
    draw.rectangle([x + 27, y + 56, x + 39, y + 79], fill=(60, 40, 30))


def _village_scene(draw, x, y, night):
    sky_top, sky_bottom = ((20, 20, 60), (70, 50, 110)) if night else ((120, 190, 250), (250, 220, 170))
    for r in range(200):
        draw.line([(x, y + r), (x + 399, y + r)], fill=mix(sky_top, sky_bottom, r / 199))


def make_demo():
    image, draw = canvas(400, 520)
    _portrait(draw, 0, 0, elder=True)
    _portrait(draw, 0, 100, elder=False)
    _portrait(draw, 80, 0, elder=True, mouth_open=True)
    _portrait(draw, 80, 100, elder=False, mouth_open=True)
    _portrait(draw, 0, 400, elder=True, blink=True)
    _portrait(draw, 80, 400, elder=False, blink=True)
    # Mount Punge (160,20,160,80), the huts (160,120,130,80), the eruption (290,140,40,60).
    draw.polygon([(160, 99), (220, 30), (262, 30), (319, 99)], fill=(80, 60, 70), outline=INK)
    draw.polygon([(220, 30), (241, 22), (262, 30), (250, 44), (232, 44)], fill=(110, 80, 80))
    _hut(draw, 160, 120)
    _hut(draw, 226, 120)
    rng = Rng(3)
    for i in range(14):
        px, py = 296 + rng.next(26), 140 + rng.next(50)
        r = 4 + rng.next(5)
        draw.ellipse([px - r + 4, py - r + 4, px + r + 4, py + r + 4], fill=mix((255, 80, 20), (250, 230, 90), i / 13))
    draw.polygon([(300, 199), (310, 184), (320, 199)], fill=(250, 120, 30))
    # zod standing with the spirit-stone knife raised (320,0,60,60): shown as he sets out and when he is
    # back; zod returning in light (320,60,60,60).
    outlined_line(draw, [(344, 28), (344, 50)], 6, (64, 150, 84))
    outlined_line(draw, [(344, 50), (338, 59)], 2, (236, 176, 120))
    outlined_line(draw, [(344, 50), (350, 59)], 2, (236, 176, 120))
    outlined_ellipse(draw, [339, 16, 349, 26], (236, 176, 120))
    draw.line([(338, 19), (350, 19)], fill=(214, 48, 40), width=2)
    outlined_line(draw, [(344, 32), (334, 40)], 2, (236, 176, 120))
    outlined_line(draw, [(344, 32), (354, 22)], 2, (236, 176, 120))
    draw.polygon([(352, 22), (364, 4), (368, 7), (356, 25)], fill=(190, 232, 255), outline=INK)
    draw.ellipse([351, 19, 357, 25], fill=(80, 220, 255), outline=INK)
    draw.ellipse([330, 70, 370, 110], fill=(200, 255, 180))
    outlined_line(draw, [(350, 82), (350, 100)], 6, (64, 150, 84))
    outlined_ellipse(draw, [345, 72, 355, 82], (236, 176, 120))
    outlined_line(draw, [(350, 86), (340, 78)], 2, (236, 176, 120))
    outlined_line(draw, [(350, 86), (360, 78)], 2, (236, 176, 120))
    # The picture (0,200,400,200): the elder praying before the spirit stone under the night sky.
    _village_scene(draw, 0, 200, night=True)
    for i in range(40):
        draw.point((rng.next(400), 200 + rng.next(120)), fill=WHITE)
    draw.ellipse([300, 220, 330, 250], fill=(250, 250, 210))
    draw.polygon([(0, 399), (0, 340), (120, 320), (260, 330), (399, 310), (399, 399)], fill=(30, 60, 40))
    draw.polygon([(180, 330), (200, 270), (222, 330)], fill=(80, 220, 255), outline=INK)
    draw.line([(200, 276), (206, 320)], fill=WHITE)
    _portrait(draw, 40, 296, elder=True, blink=True)
    # Talk box pieces (160,400 / 180,400 / 200,400: 20x60 left end, middle, right end) and the name
    # plates (220,400,80,20 left speaker; 220,420,80,20 right speaker).
    for i, x in enumerate((160, 180, 200)):
        draw.rectangle([x, 400, x + 19, 459], fill=(20, 30, 70))
        draw.line([(x, 401), (x + 19, 401)], fill=(200, 210, 255))
        draw.line([(x, 458), (x + 19, 458)], fill=(200, 210, 255))
        if i == 0:
            draw.line([(x + 1, 401), (x + 1, 458)], fill=(200, 210, 255))
        if i == 2:
            draw.line([(x + 18, 401), (x + 18, 458)], fill=(200, 210, 255))
    for y, name in ((400, "ELDER"), (420, "VILLAGER")):
        draw.rectangle([220, y, 299, y + 19], fill=(90, 50, 40), outline=(240, 200, 120))
        draw_text(image, 224, y + 5, name, WHITE, outline=None)
    return image
