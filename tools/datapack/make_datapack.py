#!/usr/bin/python3
"""Makes the game's data pack from content/ in one deterministic step.

    make_datapack.py OUTPUT [--contact-sheet PICTURE.png]

writes OUTPUT/data (graphics, maps, tilesets, sound effects, key names, the text font) and OUTPUT/bgm
(the tunes). Two runs give the same bytes."""

import argparse
import glob
import os
import re
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # nothing is left in the source tree

from area_tilesets import (make_cave_scenery, make_cave_tileset, make_glow_tileset,  # noqa: E402
                           make_volcano_scenery, make_volcano_tileset)
from actor_graphics import make_canox, make_crustone, make_demo, make_floggy, make_twigger, make_ufo  # noqa: E402
from contact_sheet import make_contact_sheet  # noqa: E402
from demo_replay import write_demo_replay  # noqa: E402
from hazard_graphics import make_fire  # noqa: E402
from interface_graphics import make_common, make_font, make_logo, make_title, make_world_map  # noqa: E402
from map_source import parse_map_source, write_map  # noqa: E402
from player_graphic import make_player  # noqa: E402
from sound_effects import write_sound_effects  # noqa: E402
from text_font import build_text_font  # noqa: E402
from tilesets import make_ground_tileset, make_scenery_tileset  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(HERE))
CONTENT = os.path.join(ROOT, "content")

GRAPHICS = {
    "player": make_player, "common": make_common, "font": make_font, "title": make_title,
    "logo": make_logo, "map": make_world_map, "demo": make_demo, "ufo": make_ufo,
    "twigger": make_twigger, "floggy": make_floggy,
    "canox": make_canox, "crustone": make_crustone,
    "fire": make_fire,
}
TILESETS = {
    "tiles1": lambda: make_ground_tileset(False), "tilesn": lambda: make_ground_tileset(True),
    "scenery1": lambda: make_scenery_tileset(False), "scenen": lambda: make_scenery_tileset(True),
    "tiles2": make_cave_tileset, "tiles3": make_volcano_tileset,
    "scenery2": make_cave_scenery, "scenery3": make_volcano_scenery, "glow": make_glow_tileset,
}
# Tile animations: (base tile, frame count, period in frames); the spirit gem spins.
TILE_ANIMATIONS = {"tiles1": [(12, 4, 6)], "tilesn": [(12, 4, 6)]}
# The later areas' belts run too: right (20) and left (36), four frames each.
TILE_ANIMATIONS.update({name: [(12, 4, 6), (20, 4, 4), (36, 4, 4)] for name in ("tiles2", "tiles3")})
MAPS = ["op", "1", "2", "3", "4", "5", "6"]
KEY_LINES = 256
KEY_NAME_LIMIT = 11


def _save_png(image, path):
    image.save(path, optimize=False, compress_level=9)


def _key_names():
    names = [""] * KEY_LINES
    with open(os.path.join(CONTENT, "key_names.txt"), encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            if not line.strip() or line.startswith("#"):
                continue
            code, name = line.rstrip("\n").split(" ", 1)
            if not 0 <= int(code, 16) < KEY_LINES or len(name) > KEY_NAME_LIMIT:
                raise ValueError(f"key_names.txt:{number}: bad code or name longer than {KEY_NAME_LIMIT}")
            names[int(code, 16)] = name
    return "".join(name + "\r\n" for name in names).encode("ascii")


def _text_characters():
    """Every character of the game's drawn texts: content/texts.txt and the string literals of game/
    that Shift-JIS can hold beyond ASCII."""
    chars = set()
    with open(os.path.join(CONTENT, "texts.txt"), encoding="utf-8") as f:
        for line in f:
            if not line.startswith("#"):
                chars.update(line.strip())
    literal = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
    for path in sorted(glob.glob(os.path.join(ROOT, "game", "**", "*.*"), recursive=True)):
        if path.endswith((".cpp", ".h")):
            with open(path, encoding="utf-8") as f:
                for text in literal.findall(f.read()):
                    chars.update(ch for ch in text if ord(ch) > 0x7F)
    def shift_jis(ch):
        try:
            ch.encode("cp932")
            return True
        except UnicodeEncodeError:
            return False
    return {ch for ch in chars if shift_jis(ch)}


def make_pack(out, contact_sheet=None):
    data = os.path.join(out, "data")
    dirs = {k: os.path.join(data, k) for k in ("graphics", "map", "se")}
    for d in list(dirs.values()) + [os.path.join(out, "bgm")]:
        os.makedirs(d, exist_ok=True)

    graphics = {name: make() for name, make in GRAPHICS.items()}
    for name, image in graphics.items():
        _save_png(image, os.path.join(dirs["graphics"], name + ".png"))
    tilesets = {name: make() for name, make in TILESETS.items()}
    for name, image in tilesets.items():
        _save_png(image, os.path.join(dirs["map"], name + ".png"))
    for name, entries in TILE_ANIMATIONS.items():
        with open(os.path.join(dirs["map"], name + ".anm"), "wb") as f:
            f.write(bytes(v for entry in entries for v in entry))

    maps = []
    for name in MAPS:
        source = parse_map_source(os.path.join(CONTENT, "maps", name + ".map"))
        for wanted in source.graphics:
            if wanted not in graphics:
                raise ValueError(f"map {name} names the missing graphic {wanted}")
        for layer in source.layers:
            if layer.tileset not in tilesets:
                raise ValueError(f"map {name} names the missing tileset {layer.tileset}")
        write_map(source, dirs["map"], name)
        maps.append((name, source))

    write_sound_effects(os.path.join(CONTENT, "sounds.txt"), dirs["se"])
    with open(os.path.join(data, "key.txt"), "wb") as f:
        f.write(_key_names())
    with open(os.path.join(data, "k8x12S.ttf"), "wb") as f:
        f.write(build_text_font(_text_characters()))
    for tune in sorted(glob.glob(os.path.join(CONTENT, "bgm", "*.pttune"))):
        shutil.copyfile(tune, os.path.join(out, "bgm", os.path.basename(tune)))

    write_demo_replay(os.path.join(CONTENT, "demo_replay.txt"), os.path.join(out, "demo.rep"))

    if contact_sheet:
        shown = sorted(graphics.items()) + sorted(tilesets.items())
        make_contact_sheet(shown, maps, tilesets, contact_sheet)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("output")
    parser.add_argument("--contact-sheet")
    args = parser.parse_args()
    try:
        make_pack(args.output, args.contact_sheet)
    except (ValueError, OSError, RuntimeError) as e:
        print(f"make_datapack: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
