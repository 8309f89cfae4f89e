"""Map sources (content/maps/*.map) and the map files made from them: "<map>.dat", one ".lyr" per layer.

A source is a list of directives, one a line (a line starting with '#' is a comment, and ';' starts a
comment at the end of a directive):
  kind K | camera X Y | player DX DY | locks L | tune NAME | graphics NAME...
  object TYPE PARAM X Y W H          an object record placed by position (in source order, first)
  cell C TILE ITEM [TYPE PARAM W H [DX DY]]
      a character of the play grid: its collision tile (a number, or "ground" for grass-topped earth
      that picks its edge tiles from its neighbours), its item-layer tile and optionally the object
      record whose top-left corner is the cell (moved by DX, DY)
  play TILESET NAME DRAW ITEMNAME ITEMDRAW      the collision layer and the item layer (parallax 6)
  layer TILESET NAME DRAW PARALLAX [repeat WIDTH] followed by "key C TILE" lines: a scenery layer
  grid lines follow "play" or "layer" up to "end"; a line "---" starts a new band of columns that
  joins the previous bands on the right. A scenery layer given "repeat" repeats its columns to WIDTH.
The records of the play grid follow the placed ones, column by column from the left."""

import struct

MAX_NAME = 11
MAX_TILES = 18003
DRAW_LAYERS = 30
GROUND = "ground"
# Grass top, its left and right ends, earth, earth's left and right sides.
GROUND_TILES = {"top": 1, "top_left": 3, "top_right": 4, "fill": 2, "fill_left": 5, "fill_right": 6}


class MapError(ValueError):
    pass


class Layer:
    def __init__(self, tileset, name, draw, parallax):
        for value in (tileset, name):
            if not 0 < len(value) <= MAX_NAME:
                raise MapError(f"name {value!r} must have 1 to {MAX_NAME} characters")
        if not 0 <= draw < DRAW_LAYERS:
            raise MapError(f"layer {name}: draw layer {draw} outside 0..{DRAW_LAYERS - 1}")
        self.tileset, self.name, self.draw, self.parallax = tileset, name, draw, parallax
        self.width = self.height = 0
        self.tiles = []  # rows of ids

    def set_grid(self, rows):
        self.height = len(rows)
        self.width = len(rows[0]) if rows else 0
        if self.width * self.height > MAX_TILES:
            raise MapError(f"layer {self.name}: {self.width}x{self.height} tiles exceed {MAX_TILES}")
        self.tiles = rows


class MapSource:
    def __init__(self):
        self.kind = 0
        self.camera = (0, 0)
        self.player = (0, 0)
        self.locks = 0
        self.tune = ""
        self.graphics = []
        self.records = []  # (x, y, w, h, type, param)
        self.cells = {}
        self.layers = []


def _bands(lines, where):
    bands = [[]]
    for line in lines:
        if line.strip() == "---":
            bands.append([])
        else:
            bands[-1].append(line.rstrip("\n"))
    heights = {len(b) for b in bands}
    if len(heights) != 1:
        raise MapError(f"{where}: bands of different heights")
    rows = ["".join(parts) for parts in zip(*bands)]
    if len({len(r) for r in rows}) != 1:
        raise MapError(f"{where}: rows of different lengths")
    return rows


def _ground_tile(grid, r, c, is_ground):
    above = r > 0 and is_ground(grid[r - 1][c])
    left = c == 0 or is_ground(grid[r][c - 1])
    right = c == len(grid[r]) - 1 or is_ground(grid[r][c + 1])
    part = "fill" if above else "top"
    if not left:
        part += "_left"
    elif not right:
        part += "_right"
    return GROUND_TILES[part]


def _build_play(source, grid, where):
    ground, items = [], []
    placed = []
    for r, row in enumerate(grid):
        ground.append([])
        items.append([])
        for c, ch in enumerate(row):
            if ch not in source.cells:
                raise MapError(f"{where}: row {r} column {c}: no cell {ch!r}")
            tile, item, record = source.cells[ch]
            if tile == GROUND:
                tile = _ground_tile(grid, r, c, lambda k: source.cells.get(k, (0,))[0] == GROUND)
            ground[r].append(tile)
            items[r].append(item)
            if record is not None:
                rtype, param, w, h, dx, dy = record
                placed.append((c, r, (c * 20 + dx, r * 20 + dy, w, h, rtype, param)))
    placed.sort(key=lambda p: (p[0], p[1]))
    source.records.extend(p[2] for p in placed)
    return ground, items


def parse_map_source(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    source = MapSource()
    i = 0
    while i < len(lines):
        where = f"{path}:{i + 1}"
        words = [] if lines[i].startswith("#") else lines[i].split(";", 1)[0].split()
        i += 1
        if not words:
            continue
        op, args = words[0], words[1:]
        try:
            if op == "kind":
                source.kind = int(args[0])
            elif op == "camera":
                source.camera = (int(args[0]), int(args[1]))
            elif op == "player":
                source.player = (int(args[0]), int(args[1]))
            elif op == "locks":
                source.locks = int(args[0])
            elif op == "tune":
                source.tune = args[0]
            elif op == "graphics":
                source.graphics.extend(args)
            elif op == "object":
                t, p, x, y, w, h = map(int, args)
                source.records.append((x, y, w, h, t, p))
            elif op == "cell":
                tile = args[1] if args[1] == GROUND else int(args[1])
                record = None
                if len(args) > 3:
                    nums = list(map(int, args[3:])) + [0, 0]
                    record = tuple(nums[:6])
                source.cells[args[0]] = (tile, int(args[2]), record)
            elif op in ("play", "layer"):
                keys = {}
                while lines[i].startswith("key "):
                    _, ch, tile = lines[i].split()
                    keys[ch] = int(tile)
                    i += 1
                end = lines.index("end", i)
                rows = _bands(lines[i:end], where)
                i = end + 1
                if op == "play":
                    tileset, name, draw, item_name, item_draw = args
                    ground, items = _build_play(source, rows, where)
                    layer0 = Layer(tileset, name, int(draw), 6)
                    layer1 = Layer(tileset, item_name, int(item_draw), 6)
                    layer0.set_grid(ground)
                    layer1.set_grid(items)
                    source.layers[0:0] = [layer0, layer1]
                else:
                    layer = Layer(args[0], args[1], int(args[2]), int(args[3]))
                    width = int(args[5]) if len(args) > 5 and args[4] == "repeat" else len(rows[0])
                    try:
                        grid = [[keys[row[c % len(row)]] for c in range(width)] for row in rows]
                    except KeyError as e:
                        raise MapError(f"{where}: no key {e}")
                    layer.set_grid(grid)
                    source.layers.append(layer)
            else:
                raise MapError(f"{where}: unknown directive {op}")
        except (IndexError, ValueError) as e:
            if isinstance(e, MapError):
                raise
            raise MapError(f"{where}: {e}")
    _check(source, path)
    return source


def _check(source, path):
    if not source.layers:
        raise MapError(f"{path}: no play layers")
    names = [source.tune] + source.graphics
    if any(not 0 < len(n) <= MAX_NAME for n in names):
        raise MapError(f"{path}: names must have 1 to {MAX_NAME} characters")
    for count, what in ((len(source.records), "records"), (len(source.graphics), "graphics"),
                        (len(source.layers), "layers")):
        if count > 255:
            raise MapError(f"{path}: more than 255 {what}")
    play = source.layers[0]
    max_camera = play.width * 20 - 400
    for layer in source.layers[2:]:
        reach = max_camera * layer.parallax // 6 + 400
        if layer.width * 20 < reach - 400 and layer.parallax:
            raise MapError(f"{path}: layer {layer.name} ends before the camera's reach")


def map_bytes(source):
    out = bytearray()
    cx, cy = source.camera
    out += struct.pack("<7i", source.kind, source.layers[0].width, source.layers[0].height, cx, cy, *source.player)
    out.append(source.locks)
    out += source.tune.encode() + b"\0"
    out.append(len(source.graphics))
    for name in source.graphics:
        out += name.encode() + b"\0"
    out.append(len(source.records))
    for record in source.records:
        out += struct.pack("<6i", *record)
    out.append(len(source.layers))
    for layer in source.layers:
        out += layer.tileset.encode() + b"\0" + layer.name.encode() + b"\0"
        out += struct.pack("<bii", layer.draw, layer.width, layer.height)
        out += struct.pack("<b", layer.parallax)
    return bytes(out)


def layer_bytes(layer):
    return bytes(t for row in layer.tiles for t in row)


def write_map(source, map_dir, name):
    """Writes <name>.dat and every layer's .lyr into map_dir; the layer names must be unique."""
    with open(f"{map_dir}/{name}.dat", "wb") as f:
        f.write(map_bytes(source))
    for layer in source.layers:
        with open(f"{map_dir}/{layer.name}.lyr", "wb") as f:
            f.write(layer_bytes(layer))
