"""player.png: the runner zod. Upper pieces (sx, 0) 40x40, lower pieces (x, 40) and (x, 70) 40x30,
one-piece poses (sx, 100) 40x40 (dying 43 wide), knife slashes (sx, 160) 60x60, boost captions at
(200, 160..176), boost bursts (sx, 220 / 300) 40x80, and every body frame repeated 260 pixels to the
right as a plain silhouette for the after-images."""

import math

from PIL import Image, ImageDraw

from pixel_art import INK, KEY, canvas, draw_mini_text, outlined_ellipse, outlined_line, mix, silhouette

SKIN = (236, 176, 120)
HAIR = (64, 40, 28)
BAND = (214, 48, 40)
TUNIC = (64, 150, 84)
TUNIC_DARK = (40, 104, 60)
TROUSERS = (128, 84, 48)
TROUSERS_DARK = (92, 60, 36)
FOOT = (70, 46, 30)
BLADE = (190, 232, 255)

WIDTH, HEIGHT = 520, 380
SHADOW_SHIFT = 260


def _leg(draw, hip, knee, foot, color, dx=0, dy=0):
    pts = [(hip[0] + dx, hip[1] + dy), (knee[0] + dx, knee[1] + dy), (foot[0] + dx, foot[1] + dy)]
    outlined_line(draw, pts, 3, color)
    fx, fy = pts[2]
    draw.rectangle([fx - 1, fy - 2, fx + 3, fy], fill=FOOT, outline=INK)


def _arm(draw, shoulder, elbow, hand, color, dx=0, dy=0, knife=False):
    pts = [(shoulder[0] + dx, shoulder[1] + dy), (elbow[0] + dx, elbow[1] + dy), (hand[0] + dx, hand[1] + dy)]
    outlined_line(draw, pts, 2, color)
    hx, hy = pts[2]
    draw.rectangle([hx - 1, hy - 1, hx + 1, hy + 1], fill=SKIN)
    if knife:
        ex, ey = pts[1]
        ang = math.atan2(hy - ey, hx - ex)
        tip = (hx + 7 * math.cos(ang), hy + 7 * math.sin(ang))
        draw.line([(hx, hy), tip], fill=INK, width=3)
        draw.line([(hx, hy), tip], fill=BLADE, width=1)


def _torso(draw, neck, hip, dx=0, dy=0):
    pts = [(neck[0] + dx, neck[1] + dy), (hip[0] + dx, hip[1] + dy)]
    outlined_line(draw, pts, 6, TUNIC)
    draw.line([(pts[1][0] - 3, pts[1][1] - 1), (pts[1][0] + 3, pts[1][1] - 1)], fill=TUNIC_DARK)


def _head(draw, centre, dx=0, dy=0, hurt=False):
    cx, cy = centre[0] + dx, centre[1] + dy
    outlined_ellipse(draw, [cx - 5, cy - 5, cx + 5, cy + 5], SKIN)
    draw.chord([cx - 5, cy - 6, cx + 5, cy + 3], 180, 360, fill=HAIR)
    draw.rectangle([cx - 6, cy - 6, cx - 4, cy - 1], fill=HAIR)
    draw.line([(cx - 5, cy - 2), (cx + 5, cy - 2)], fill=BAND)
    draw.line([(cx - 9, cy - 1), (cx - 5, cy - 2)], fill=BAND, width=2)  # headband tails
    if hurt:
        draw.line([(cx + 1, cy), (cx + 3, cy + 2)], fill=INK)
        draw.line([(cx + 3, cy), (cx + 1, cy + 2)], fill=INK)
    else:
        draw.point((cx + 3, cy), fill=INK)
        draw.point((cx + 3, cy + 1), fill=INK)


# Body poses in sprite coordinates (feet on row 40): neck, hip, head, arms (shoulder, elbow, hand) and
# legs (hip, knee, foot), back limb first.
def _pose(lean=0, head=None, back_arm=None, front_arm=None, back_leg=None, front_leg=None, knife=False,
          hip=(20, 27)):
    neck = (hip[0] + lean, hip[1] - 11)
    head = head or (neck[0] + 1 + lean // 2, neck[1] - 6)
    return {
        "neck": neck, "hip": hip, "head": head,
        "back_arm": back_arm or [(neck[0], neck[1] + 2), (neck[0] - 3, neck[1] + 7), (neck[0] - 2, neck[1] + 12)],
        "front_arm": front_arm or [(neck[0], neck[1] + 2), (neck[0] + 2, neck[1] + 7), (neck[0] + 3, neck[1] + 12)],
        "back_leg": back_leg or [hip, (hip[0] - 2, hip[1] + 6), (hip[0] - 3, 39)],
        "front_leg": front_leg or [hip, (hip[0] + 2, hip[1] + 6), (hip[0] + 2, 39)],
        "knife": knife,
    }


def _draw_upper(draw, pose, dy, hurt=False):
    _arm(draw, *pose["back_arm"], mix(SKIN, INK, 0.25), dy=dy)
    _torso(draw, pose["neck"], pose["hip"], dy=dy)
    _head(draw, pose["head"], dy=dy, hurt=hurt)
    _arm(draw, *pose["front_arm"], SKIN, dy=dy, knife=pose["knife"])


def _draw_lower(draw, pose, dy):
    _leg(draw, *pose["back_leg"], TROUSERS_DARK, dy=dy)
    _leg(draw, *pose["front_leg"], TROUSERS, dy=dy)
    hx, hy = pose["hip"]
    draw.rectangle([hx - 3, hy - 2 + dy, hx + 3, hy + 1 + dy], fill=TUNIC_DARK, outline=INK)


def _piece(image, x, y, w, h, painter):
    piece, draw = canvas(w, h)
    painter(draw)
    image.paste(piece, (x, y))


def _run_leg(phase):
    """Legs of a running stride at phase 0..1: (back leg, front leg)."""
    def leg(p):
        swing = math.sin(2 * math.pi * p)
        lift = max(0.0, math.cos(2 * math.pi * p))
        foot = (20 + 9 * swing, 39 - 5 * lift)
        knee = (20 + 5 * swing + 3, 33 - 2 * lift)
        return [(20, 27), (round(knee[0]), round(knee[1])), (round(foot[0]), round(foot[1]))]
    return leg(phase + 0.5), leg(phase)


def _run_arms(phase, lean):
    swing = math.sin(2 * math.pi * phase)
    neck = (20 + lean, 16)
    def arm(s):
        return [(neck[0], neck[1] + 2), (neck[0] + round(5 * s), neck[1] + 7), (neck[0] + round(8 * s) + 2, neck[1] + 9)]
    return arm(-swing), arm(swing)


def _upper_frames():
    lean = 3
    frames = {0: _pose()}
    frames[40] = _pose(front_arm=[(20, 18), (15, 12), (12, 6)], knife=True)  # wind-up
    frames[80] = _pose(lean=2, front_arm=[(22, 18), (28, 17), (34, 16)], knife=True)  # slash
    for sx, phase in ((120, 0.0), (160, 0.33), (200, 0.66)):
        back, front = _run_arms(phase, lean)
        frames[sx] = _pose(lean=lean, back_arm=back, front_arm=front)
    return frames


def _lower_frames():
    frames = {}
    frames[(0, 40)] = _pose()
    for x, phase in ((40, 0.0), (80, 0.25), (120, 0.5)):
        back, front = _run_leg(phase)
        frames[(x, 40)] = _pose(back_leg=[(20, 27), (14, 32), (8, 36)], front_leg=[(20, 27), (27, 30), (30, 36)]) \
            if x == 80 else _pose(back_leg=back, front_leg=front)
    frames[(160, 40)] = _pose(back_leg=[(20, 27), (16, 31), (15, 36)], front_leg=[(20, 27), (25, 30), (23, 35)])
    for i in range(6):
        back, front = _run_leg(i / 6)
        frames[(i * 40, 70)] = _pose(back_leg=back, front_leg=front)
    return frames


def _one_piece_frames():
    crouch = _pose(hip=(20, 34), back_leg=[(20, 34), (15, 36), (13, 39)], front_leg=[(20, 34), (26, 35), (25, 39)],
                   back_arm=[(22, 24), (20, 29), (18, 33)], front_arm=[(22, 24), (26, 29), (29, 32)])
    crouch["neck"] = (23, 24)
    crouch["head"] = (26, 20)
    crawl = dict(crouch)
    crawl["front_arm"] = [(22, 24), (28, 30), (33, 36)]
    crawl["front_leg"] = [(20, 34), (24, 37), (22, 39)]
    slide = _pose(hip=(16, 35), back_leg=[(16, 35), (24, 37), (32, 38)], front_leg=[(16, 35), (26, 36), (36, 36)],
                  back_arm=[(12, 27), (8, 31), (5, 35)], front_arm=[(12, 27), (16, 30), (20, 31)])
    slide["neck"] = (12, 27)
    slide["head"] = (9, 22)
    hurt = _pose(lean=-4, back_arm=[(16, 18), (10, 14), (6, 10)], front_arm=[(16, 18), (22, 12), (26, 8)],
                 back_leg=[(20, 27), (14, 33), (12, 39)], front_leg=[(20, 27), (26, 32), (28, 38)])
    down = _pose(hip=(18, 37), back_leg=[(18, 37), (28, 38), (38, 39)], front_leg=[(18, 37), (27, 36), (36, 37)],
                 back_arm=[(10, 36), (6, 38), (2, 39)], front_arm=[(10, 36), (12, 33), (14, 30)])
    down["neck"] = (9, 36)
    down["head"] = (4, 33)
    return {0: (crouch, False), 40: (crawl, False), 120: (slide, False), 160: (hurt, True), 200: (down, True)}


def _draw_slash(draw, frame):
    cx, cy, radius = 26, 36, 30
    start, end = -150, 45
    widths = (3, 6, 4)
    colors = ((255, 255, 255), (220, 244, 255), (150, 200, 255))
    span = (end - start) * (0.55, 1.0, 1.0)[frame]
    first = start + (0, 0, 0.45)[frame] * (end - start)
    for k in range(widths[frame]):
        r = radius - k
        box = [cx - r, cy - r, cx + r, cy + r]
        color = mix(colors[frame], (120, 170, 255), k / max(1, widths[frame]))
        draw.arc(box, first, start + span, fill=color)


def _draw_burst(image, x, y, frame, hot):
    """A 40x80 burst of speed lines: frame 0 (shown first) is the tightest."""
    draw = ImageDraw.Draw(image)
    core = (255, 250, 200) if not hot else (255, 220, 160)
    edge = (255, 200, 40) if not hot else (255, 80, 30)
    grow = [0.35, 0.6, 0.85, 1.0, 0.9][frame]
    fade = [1.0, 1.0, 0.85, 0.6, 0.35][frame]
    cx, cy = x + 20, y + 40
    for i in range(12):
        ang = i * math.pi / 6 + frame * 0.2
        length = (18 + 18 * ((i * 7) % 5) / 4) * grow
        ex, ey = cx + math.cos(ang) * length * 0.5, cy + math.sin(ang) * length
        draw.line([(cx, cy), (ex, ey)], fill=mix(KEY, edge, fade) if fade < 1 else edge, width=2)
    r = int(9 * grow)
    draw.ellipse([cx - r, cy - 2 * r, cx + r, cy + 2 * r], fill=edge)
    r2 = max(1, int(5 * grow * fade))
    draw.ellipse([cx - r2, cy - 2 * r2, cx + r2, cy + 2 * r2], fill=core)


def make_player():
    image, draw = canvas(WIDTH, HEIGHT)
    for sx, pose in _upper_frames().items():
        _piece(image, sx, 0, 40, 40, lambda d, p=pose: _draw_upper(d, p, 10))
    for (x, y), pose in _lower_frames().items():
        _piece(image, x, y, 40, 30, lambda d, p=pose: _draw_lower(d, p, -20))
    for sx, (pose, hurt) in _one_piece_frames().items():
        width = 43 if sx == 200 else 40

        def paint(d, p=pose, h=hurt):
            _draw_lower(d, p, 0)
            _draw_upper(d, p, 0, hurt=h)
        _piece(image, sx, 100, width, 40, paint)
    # After-images: the body frames as light silhouettes 260 pixels to the right.
    for box in ((0, 0, 240, 100), (0, 100, 243, 140)):
        ghost = silhouette(image, box, (235, 235, 235))
        image.paste(ghost, (box[0] + SHADOW_SHIFT, box[1]))
    for frame in range(3):
        _piece(image, frame * 60, 160, 60, 60, lambda d, f=frame: _draw_slash(d, f))
    draw_mini_text(image, 200, 160, "NEW", (255, 255, 120))
    draw_mini_text(image, 200, 166, "MAX", (255, 140, 60))
    draw_mini_text(image, 200, 172, "SPEED", (255, 255, 255))
    for row, hot in ((220, False), (300, True)):
        for frame, sx in enumerate((180, 140, 100, 60, 20)):
            _draw_burst(image, sx, row, frame, hot)
    return image
