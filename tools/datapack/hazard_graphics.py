"""The fire hazards' pictures: the map graphic "fire" (the fireball's five 20x40 frames), the magma
column's tiles drawn into the common graphic, and the boss's fire shot and fire pillar drawn into "ufo"."""

from pixel_art import INK, canvas, mix

YELLOW = (255, 236, 120)
ORANGE = (255, 150, 40)
RED = (220, 50, 30)
DARK_RED = (130, 20, 20)


def _flame_ball(draw, x, y, cy, tail):
    """A ball of fire centred at (x + 10, cy) inside the 20x40 cell at (x, y); tail > 0 trails it
    downward (rising), tail < 0 upward (falling), 0 none."""
    cx = x + 10
    if tail:
        tip = cy + tail
        draw.polygon([(cx - 6, cy), (cx + 6, cy), (cx + 2, tip), (cx - 1, tip - (3 if tail > 0 else -3))],
                     fill=ORANGE)
        draw.polygon([(cx - 3, cy), (cx + 3, cy), (cx, cy + tail * 2 // 3)], fill=YELLOW)
    draw.ellipse([cx - 7, cy - 7, cx + 7, cy + 7], fill=RED, outline=DARK_RED)
    draw.ellipse([cx - 5, cy - 5, cx + 5, cy + 5], fill=ORANGE)
    draw.ellipse([cx - 3, cy - 3, cx + 2, cy + 2], fill=YELLOW)
    assert y <= cy - 7 and cy + 7 < y + 40


def make_fire():
    """100x40: rising (0, 0) and (20, 0), at the top (40, 0), falling (60, 0) and (80, 0); the ball is
    centred 20 below the frame's top, where its circle of radius 7 hits."""
    image, draw = canvas(100, 40)
    for i, tail in enumerate((16, 12, 0, -16, -12)):
        _flame_ball(draw, 20 * i, 0, 20, tail)
    return image


def draw_magma(draw, x, y):
    """Two frames of 20x20 tiles from (x, y): the surface row, then the body one row below."""
    for frame in range(2):
        left = x + 20 * frame
        draw.rectangle([left, y + 20, left + 19, y + 39], fill=RED)
        for k in range(4):
            bx = left + (5 * k + 7 * frame) % 20
            draw.ellipse([bx, y + 24 + 4 * k, bx + 3, y + 27 + 4 * k], fill=mix(RED, YELLOW, 0.5))
        draw.rectangle([left, y + 8, left + 19, y + 19], fill=ORANGE)
        for k in range(0, 20, 5):
            crest = 4 + (k // 5 + frame) % 2 * 3
            draw.polygon([(left + k, y + 8), (left + k + 2, y + crest - 2), (left + k + 4, y + 8)], fill=ORANGE)
        draw.line([(left, y + 10), (left + 19, y + 10)], fill=YELLOW)


def draw_fire_shot(draw, x, y):
    """Two 20x20 frames from (x, y): a falling drop of fire, flickering."""
    for frame in range(2):
        cx, cy = x + 20 * frame + 10, y + 10
        r = 5 - frame
        draw.polygon([(cx - r, cy), (cx, cy - 9 + frame), (cx + r, cy)], fill=ORANGE)
        draw.ellipse([cx - r, cy - r, cx + r, cy + r], fill=RED, outline=DARK_RED)
        draw.ellipse([cx - 2, cy - 2, cx + 1, cy + 1], fill=YELLOW)


def draw_fire_pillar(draw, x, y):
    """Two 20x50 frames from (x, y): a column of flame, cut from the top as it rises and sinks."""
    for frame in range(2):
        left = x + 20 * frame
        draw.rectangle([left + 3, y + 10, left + 16, y + 49], fill=RED)
        draw.rectangle([left + 5, y + 6, left + 14, y + 49], fill=ORANGE)
        draw.rectangle([left + 8, y + 2 + 2 * frame, left + 11, y + 49], fill=YELLOW)
        for k in range(3):
            tongue = left + 4 + 5 * k
            top = y + (4 if (k + frame) % 2 else 0)
            draw.polygon([(tongue, y + 12), (tongue + 2, top), (tongue + 4, y + 12)], fill=ORANGE)
        draw.line([(left + 3, y + 49), (left + 16, y + 49)], fill=INK)
