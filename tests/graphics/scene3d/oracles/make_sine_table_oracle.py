#!/usr/bin/python3
"""The 65536-entry sine table: entry i = sin of the single-precision angle 2 x pi x i / 65536 (pi as
float32), rounded to float32. The table itself is 256 KiB, so sine_table.txt holds the FNV-1a 64 hash of
its little-endian bytes on the first line, then every 4096th entry as "index value"."""
import numpy as np

pi = np.float32(3.1415927)
i = np.arange(65536, dtype=np.float32)
angle = (np.float32(2.0) * pi * i / np.float32(65536)).astype(np.float32)
table = np.sin(angle.astype(np.float64)).astype(np.float32)
h = 0xCBF29CE484222325
for byte in table.astype("<f4").tobytes():
    h = ((h ^ byte) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
with open("sine_table.txt", "w") as f:
    f.write("%016x\n" % h)
    for k in range(0, 65536, 4096):
        f.write("%d %.9g\n" % (k, table[k]))
