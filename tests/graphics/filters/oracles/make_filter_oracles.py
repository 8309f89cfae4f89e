#!/usr/bin/python3
"""Makes the reference pixels of the image-filter tests from PIL, numpy, scipy and colorsys.

Run from this folder: /usr/bin/python3 make_filter_oracles.py
Every file is raw 32-bit pixels, bytes B, G, R, A, rows top to bottom, no padding. The inputs are made
here from a fixed seed; the sizes are the ones the tests expect (see filter_test_images.h and the tests).
"""
import colorsys

import numpy as np
from PIL import Image, ImageChops, ImageOps
from scipy.ndimage import correlate1d

rng = np.random.default_rng(20240538)


def save(name, rgba):
    bgra = rgba[..., [2, 1, 0, 3]].astype(np.uint8)
    bgra.tofile(name + ".bgra")


def rgb_image(rgba):
    return Image.fromarray(rgba[..., :3].astype(np.uint8), "RGB")


def with_alpha(rgb, alpha):
    return np.dstack([np.asarray(rgb, dtype=np.int64), alpha])


# Colour input 16 x 12: noise, with a grey ramp row and the primaries in the first row.
colour = rng.integers(0, 256, size=(12, 16, 4))
colour[0, :8, :3] = [[255, 0, 0], [0, 255, 0], [0, 0, 255], [255, 255, 0], [0, 255, 255], [255, 0, 255],
                     [255, 255, 255], [0, 0, 0]]
colour[1, :, :3] = np.arange(16)[:, None] * 17
save("colour", colour)

# Invert: PIL on the colour channels, alpha kept.
save("invert", with_alpha(ImageOps.invert(rgb_image(colour)), colour[..., 3]))

# Mono without tint: PIL's luma.
grey = np.asarray(rgb_image(colour).convert("L"), dtype=np.int64)
save("mono_grey", np.dstack([grey, grey, grey, colour[..., 3]]))

# Mono with Cb = 100, Cr = -60 (arguments): floating YCbCr to RGB, rounded.
cb = max(-0.5, min(0.5, 100 * 100 / 255 / 200))
cr = max(-0.5, min(0.5, -60 * 100 / 255 / 200))
r, g, b = (colour[..., i].astype(np.float64) for i in range(3))
y = 0.299 * r + 0.587 * g + 0.114 * b
tinted = [y + 1.402 * cr * 255, y + (-0.34414 * cb - 0.71414 * cr) * 255, y + 1.772 * cb * 255]
save("mono_tint", np.dstack([np.clip(np.round(c), 0, 255) for c in tinted] + [colour[..., 3]]))

# Premultiplied alpha: v * A / 255 floored.
save("premultiplied", np.dstack([colour[..., i] * colour[..., 3] // 255 for i in range(3)] + [colour[..., 3]]))


# HSB through colorsys (hue, lightness, saturation); brightness first mixes toward black or white.
def hsb(mode, hue, sat_arg, bright_arg):
    sat = max(-1.0, min(1.0, sat_arg * 100 / 255 / 100))
    sat = sat * 5 if sat > 0 else sat
    bright = max(-1.0, min(1.0, bright_arg * 100 / 255 / 100))
    out = np.zeros_like(colour)
    for yy in range(colour.shape[0]):
        for xx in range(colour.shape[1]):
            rgb = colour[yy, xx, :3] / 255.0
            rgb = rgb * (1 + bright) if bright < 0 else rgb + (1 - rgb) * bright
            h, l, s = colorsys.rgb_to_hls(*rgb)
            h = (hue / 360.0) % 1.0 if mode == 1 else (h + hue / 360.0) % 1.0
            s = min(1.0, s * (1 + sat))
            out[yy, xx, :3] = np.round(np.array(colorsys.hls_to_rgb(h, l, s)) * 255)
    out[..., 3] = colour[..., 3]
    return out


for name, args in [("hsb_hue30", (0, 30, 0, 0)), ("hsb_hue90", (0, 90, 0, 0)), ("hsb_hue-60", (0, -60, 0, 0)),
                   ("hsb_hue180", (0, 180, 0, 0)), ("hsb_sat-128", (0, 0, -128, 0)),
                   ("hsb_bright64", (0, 0, 0, 64)), ("hsb_lock120", (1, 120, 0, 0))]:
    save(name, hsb(*args))

# Level: float ramp, gamma, output range.
for name, (lo, hi, gamma, olo, ohi) in [("level_a", (30, 220, 1.0, 0, 255)), ("level_b", (0, 255, 2.2, 0, 255)),
                                       ("level_c", (64, 192, 0.5, 40, 200))]:
    v = colour[..., :3].astype(np.float64)
    x = np.clip((v - lo) / (hi - lo), 0.0, 1.0) ** (1.0 / gamma)
    save(name, np.dstack([np.round(olo + x * (ohi - olo)), colour[..., 3]]))

# Gaussian blur on 48 x 20: the paired-tap kernel through scipy, nearest edges, 8-bit between passes.
blur_in = rng.integers(0, 256, size=(20, 48, 4))
blur_in[5:9, 10:30, :] = 255
save("blur_in", blur_in)


def paired_kernel(taps, s):
    w = np.exp(-0.5 * np.arange(taps // 2) ** 2 / s)
    w /= w[0] + 2 * w[1:].sum()
    reach = taps - 2
    k = np.zeros(2 * reach + 1)
    k[reach] = w[0]
    for i in range(1, taps // 2):
        for off in (2 * i - 1, 2 * i):
            k[reach - off] += w[i] / 2
            k[reach + off] += w[i] / 2
    return k


for taps in (8, 16, 32):
    for s in (1, 10, 100):
        k = paired_kernel(taps, s)
        img = blur_in.astype(np.float64)
        h = np.clip(np.round(correlate1d(img, k, axis=1, mode="nearest")), 0, 255)
        v = np.clip(np.round(correlate1d(h, k, axis=0, mode="nearest")), 0, 255)
        save(f"blur_{taps}_{s}", v)

# Down-scale of 18 x 13: floored block mean over whole blocks.
down_in = rng.integers(0, 256, size=(13, 18, 4))
save("down_in", down_in)
for scale in (2, 4, 8):
    hh, ww = 13 // scale, 18 // scale
    blocks = down_in[:hh * scale, :ww * scale].reshape(hh, scale, ww, scale, 4)
    save(f"down_{scale}", blocks.sum(axis=(1, 3)) // (scale * scale))

# Blends at full ratio with an opaque blend image: base is the colour input, blend a second image.
blend_in = rng.integers(0, 256, size=(12, 16, 4))
blend_in[..., 3] = 255
save("blend_in", blend_in)
base_rgb, blend_rgb = rgb_image(colour), rgb_image(blend_in)
for name, op in [("multiply", ImageChops.multiply), ("screen", ImageChops.screen), ("add", ImageChops.add),
                 ("darker", ImageChops.darker), ("lighter", ImageChops.lighter),
                 ("difference", ImageChops.difference), ("hard_light", ImageChops.hard_light),
                 ("overlay", ImageChops.overlay)]:
    save("blend_" + name, with_alpha(op(base_rgb, blend_rgb), colour[..., 3]))

# Normal blend at ratio 128 with the blend image's own alpha: a float mix.
half_alpha = blend_in.copy()
half_alpha[..., 3] = rng.integers(0, 256, size=(12, 16))
save("blend_in_alpha", half_alpha)
t = (128 / 255) * half_alpha[..., 3:4] / 255
mixed = colour[..., :3] + (half_alpha[..., :3] - colour[..., :3]) * t
save("blend_normal_128", np.dstack([np.round(mixed), colour[..., 3]]))
