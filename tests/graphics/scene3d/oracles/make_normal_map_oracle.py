#!/usr/bin/python3
"""Normal map of an 8 x 4 height ramp (red = 28 x + 16 y), scale 2, neighbours wrapping around.
Writes normal_map_ramp.txt: one row of the image a line, r g b per pixel."""
import numpy as np

w, h, s = 8, 4, 2.0
heights = np.fromfunction(lambda y, x: 28 * x + 16 * y, (h, w)).astype(np.float64)
du = (np.roll(heights, -1, axis=1) - heights) / 255.0
dv = (np.roll(heights, -1, axis=0) - heights) / 255.0
n = np.stack([-du * s, -dv * s, np.full_like(du, s * s)], axis=-1)
n /= np.linalg.norm(n, axis=-1, keepdims=True)
rgb = np.trunc((n + 1.0) * 127.5).astype(int)
with open("normal_map_ramp.txt", "w") as f:
    for row in rgb:
        f.write(" ".join("%d %d %d" % tuple(p) for p in row) + "\n")
