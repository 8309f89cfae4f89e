#!/usr/bin/python3
"""Makes the seeds of the map file's fuzz target: a small map with a graphic, two objects and two
layers; a map whose one layer holds more tiles than a layer may; and a map cut off inside its layer's
width. Every layer names the tile file "a", which the fuzz target writes. Run:

    tests/game/map/make_map_file_corpus.py"""

import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "map_file_fuzz_corpus")


def name(text):
    return text.encode("ascii") + b"\0"


def counted(items):
    return bytes([len(items)]) + b"".join(items)


def map_file(width, height, graphics, objects, layers):
    # Kind 1, the camera at (0, 0), the player 60 right and 200 down of it, no locks, the tune "area1".
    header = struct.pack("<7iB", 1, width, height, 0, 0, 60, 200, 0) + name("area1")
    return header + counted([name(g) for g in graphics]) + counted(objects) + counted(layers)


def map_object(x, y, w, h, kind):
    return struct.pack("<6i", x, y, w, h, kind, 0)


def layer(draw_layer, width, height):
    return name("tiles1") + name("a") + struct.pack("<b2ib", draw_layer, width, height, 6)


SEEDS = {
    "small.dat": map_file(40, 15, ["twigger"], [map_object(400, 180, 60, 60, 7), map_object(100, 100, 40, 40, 30)],
                          [layer(20, 40, 15), layer(19, 40, 15)]),
    "too_many_tiles.dat": map_file(200, 100, [], [], [layer(20, 200, 100)]),
    "truncated.dat": map_file(40, 15, [], [], [layer(20, 40, 15)])[:50],
}

for file_name, data in SEEDS.items():
    with open(os.path.join(OUT, file_name), "wb") as f:
        f.write(data)
