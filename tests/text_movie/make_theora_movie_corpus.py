#!/usr/bin/python3
"""Makes the seeds of the Theora movie fuzz target from the movie fixtures (fixtures/make_movie_fixtures.sh):
the plain movie; the movie with sound cut off after 1500 bytes; and the plain movie with a few bytes
changed (the frame rate's denominator, two bytes of a frame, a page's granule position) and each changed
page's checksum made again, so that the damage gets past the Ogg layer to the decoder. Run:

    tests/text_movie/make_theora_movie_corpus.py"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "fixtures")
OUT = os.path.join(HERE, "theora_movie_fuzz_corpus")
# Byte offsets in the plain movie and their new values.
DAMAGE = {56: 0x56, 3670: 0x5F, 3712: 0x29, 3745: 0x79}


def crc_table():
    table = []
    for i in range(256):
        r = i << 24
        for _ in range(8):
            r = ((r << 1) ^ 0x04C11DB7) if r & 0x80000000 else r << 1
            r &= 0xFFFFFFFF
        table.append(r)
    return table


TABLE = crc_table()


def ogg_crc(page):
    crc = 0
    for byte in page:
        crc = ((crc << 8) & 0xFFFFFFFF) ^ TABLE[((crc >> 24) & 0xFF) ^ byte]
    return crc


def page_spans(movie):
    start = 0
    while start < len(movie):
        segments = movie[start + 26]
        size = 27 + segments + sum(movie[start + 27:start + 27 + segments])
        yield start, size
        start += size


def damaged(movie):
    out = bytearray(movie)
    for offset, value in DAMAGE.items():
        out[offset] = value
    for start, size in page_spans(out):
        if any(start <= offset < start + size for offset in DAMAGE):
            out[start + 22:start + 26] = bytes(4)
            out[start + 22:start + 26] = struct.pack("<I", ogg_crc(out[start:start + size]))
    return bytes(out)


def read(name):
    with open(os.path.join(FIXTURES, name), "rb") as f:
        return f.read()


SEEDS = {
    "tiny.ogv": read("tiny.ogv"),
    "sound_cut.ogv": read("tiny_sound.ogv")[:1500],
    "damaged_pages.ogv": damaged(read("tiny.ogv")),
}

for name, data in SEEDS.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)
