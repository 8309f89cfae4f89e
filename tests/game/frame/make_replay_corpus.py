#!/usr/bin/python3
"""Makes the seeds of the replay fuzz target: "KVR", the frame count, the seed, the mode (1 full game,
0 area select) and the area, the 14 key fields, then one mask a frame. Run:

    tests/game/frame/make_replay_corpus.py"""

import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "replay_fuzz_corpus")
KEYS = (16, 32, 128, 512, 64, 208, 203, 205, 200, 44, 45, 57, 46, 30)


def replay(count, seed, mode, area, masks, magic=b"KVR"):
    header = magic + struct.pack("<iiBB", count, seed, mode, area) + struct.pack("<14i", *KEYS)
    return header + struct.pack(f"<{len(masks)}I", *masks)


SEEDS = {
    "valid_full_game.rep": replay(3, 321, 1, 2, [0, 4, 128]),
    "bad_magic.rep": replay(0, 1, 1, 1, [], magic=b"KVX"),
    "negative_count.rep": replay(-5, 1, 0, 3, []),
    "count_past_data.rep": replay(1000, 1, 0, 3, [1, 2]),
}

for name, data in SEEDS.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)
