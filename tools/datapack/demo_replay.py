"""The bundled demo replay: a readable button script turned into the game's replay file."""

import struct

# Mask bits of the directions, and the default pad bits of the buttons (the replay carries the default
# assignment, so these are the bits its masks use).
BUTTON_BITS = {
    "down": 1, "left": 2, "right": 4, "up": 8,
    "attack": 16, "jump": 32, "boost": 512, "bomb": 64, "start": 128,
}
# Replay order: pad bits ATTACK, JUMP, START, BOOST, BOMB; key codes DOWN, LEFT, RIGHT, UP, ATTACK,
# JUMP, START, BOOST, BOMB.
DEFAULT_ASSIGNMENT = (16, 32, 128, 512, 64, 208, 203, 205, 200, 44, 45, 57, 46, 30)


def read_script(path):
    area, seed, masks = 1, 0, []
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.split("#", 1)[0].split()
            if not line:
                continue
            if line[0] in ("area", "seed"):
                value = int(line[1])
                area, seed = (value, seed) if line[0] == "area" else (area, value)
                continue
            mask = 0
            for name in line[1:]:
                if name != "none" and name not in BUTTON_BITS:
                    raise ValueError(f"{path}:{number}: unknown button {name}")
                mask |= BUTTON_BITS.get(name, 0)
            masks.extend([mask] * int(line[0]))
    return area, seed, masks


def write_demo_replay(script_path, out_path):
    """Writes an area-select replay of the script; returns its frame count."""
    area, seed, masks = read_script(script_path)
    with open(out_path, "wb") as f:
        f.write(b"KVR" + struct.pack("<iiBB", len(masks), seed, 0, area))
        f.write(struct.pack("<14i", *DEFAULT_ASSIGNMENT))
        f.write(struct.pack(f"<{len(masks)}I", *masks))
    return len(masks)
