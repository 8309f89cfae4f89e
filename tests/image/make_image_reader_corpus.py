#!/usr/bin/python3
"""Makes the seeds of the image reader's fuzz target: copies of reader fixtures (made by
fixtures/make_fixtures.sh and fixtures/make_file_fixtures.sh), a few of each format's kinds, and what
no image tool writes: raw BGRA images of the library's own format (the "BGRA" tag, four channel widths,
the width and height, then the pixels) and block-compressed data for the fuzz target's block path (a
format byte, width - 1 and height - 1, then the blocks). Run:

    tests/image/make_image_reader_corpus.py"""

import os
import random
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "fixtures")
OUT = os.path.join(HERE, "image_reader_fuzz_corpus")
FIXTURE_SEEDS = [
    "bmp_1bit.bmp", "bmp_4bit.bmp", "bmp_8bit_16colors.bmp", "bmp_32bit_topdown.bmp", "bmp_rle4.bmp",
    "bmp_rle8_codes.bmp", "bmp_v5_565.bmp",
    "dds_argb.dds", "dds_dxt1.dds", "dds_dxt5.dds",
    "jpg_420.jpg", "jpg_cmyk.jpg", "jpg_grey.jpg", "jpg_progressive.jpg", "jpg_truncated.jpg.bin",
    "png_grey2.png", "png_grey_alpha.png", "png_interlaced.png", "png_pal4_trns.png", "png_rgba8.png",
    "png_truncated.png.bin",
    "tga_default_white.tga", "tga_type1.tga", "tga_type10_rgba.tga", "tga_type2_nofooter.tga", "tga_type9.tga",
]


def bgra(bits, width, height):
    size = width * height * 4 * bits // 8
    return b"BGRA" + bytes([bits] * 4) + struct.pack("<ii", width, height) + bytes(range(size))


def blocks(format_code, width, height, data):
    # The fuzz target takes 1 + byte % 5 as the format (1 DXT1 ... 5 DXT5) and 1 + byte % 24 as a size.
    return bytes([format_code - 1, width - 1, height - 1]) + data


SEEDS = {
    "bgra16_2x2": bgra(16, 2, 2),
    "bgra8_3x2": bgra(8, 3, 2),
    # One DXT1 block from black to white, each row taking the four palette entries in turn.
    "dxt1_4x4": blocks(1, 4, 4, struct.pack("<HH", 0x0000, 0xFFFF) + bytes([0xE4] * 4)),
    # An 8x6 DXT3 image (two by two blocks; its size bytes are 7 and 5) of random bytes.
    "dxt3_7x5": blocks(3, 8, 6, random.Random(7).randbytes(64)),
}

for name, data in SEEDS.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)

for name in FIXTURE_SEEDS:
    shutil.copyfile(os.path.join(FIXTURES, name), os.path.join(OUT, name))
