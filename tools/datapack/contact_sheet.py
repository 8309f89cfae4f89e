"""A review picture of the pack: every graphic on a checkerboard (its key colour shown as such), then
every map drawn whole at half size with its object records outlined and labelled by type."""

from PIL import Image, ImageDraw

from pixel_art import KEY, draw_text

BACKGROUND = (36, 36, 44)
STRIP = 2400  # pixels of a half-size map strip


def _checker(width, height):
    image = Image.new("RGB", (width, height), (200, 200, 200))
    draw = ImageDraw.Draw(image)
    for y in range(0, height, 8):
        for x in range((y // 8) % 2 * 8, width, 16):
            draw.rectangle([x, y, x + 7, y + 7], fill=(160, 160, 160))
    return image


def _keyed(image):
    """The graphic over a checkerboard: its pure-green pixels become see-through."""
    mask = Image.eval(image.convert("RGB"), lambda v: v).convert("RGB")
    out = _checker(image.width, image.height)
    pixels, source = out.load(), mask.load()
    for y in range(image.height):
        for x in range(image.width):
            if source[x, y] != KEY:
                pixels[x, y] = source[x, y]
    return out


def _render_map(source, tilesets):
    play = source.layers[0]
    width, height = play.width * 20, play.height * 20
    image = Image.new("RGB", (width, height), (0, 0, 0))
    for layer in sorted(source.layers, key=lambda l: -l.draw):
        tiles = tilesets[layer.tileset]
        cache = {}
        for r, row in enumerate(layer.tiles):
            for c in range(0, width // 20):
                t = row[c % len(row)] if layer.parallax == 0 or c < len(row) else 0
                if t == 0:
                    continue
                if t not in cache:
                    cell = tiles.crop(((t % 16) * 20, (t // 16) * 20, (t % 16) * 20 + 20, (t // 16) * 20 + 20))
                    mask = Image.eval(cell, lambda v: v).point(lambda v: v)
                    alpha = Image.new("L", (20, 20), 255)
                    ap, cp = alpha.load(), cell.load()
                    for yy in range(20):
                        for xx in range(20):
                            if cp[xx, yy] == KEY:
                                ap[xx, yy] = 0
                    cache[t] = (mask, alpha)
                cell, alpha = cache[t]
                image.paste(cell, (c * 20, r * 20), alpha)
    draw = ImageDraw.Draw(image)
    for x, y, w, h, rtype, param in source.records:
        draw.rectangle([x, y, x + w - 1, y + h - 1], outline=(255, 60, 200))
        draw_text(image, x + 1, y + 1, str(rtype), (255, 255, 255))
    return image.resize((width // 2, height // 2), Image.NEAREST)


def make_contact_sheet(graphics, maps, tilesets, path):
    """graphics: [(name, image)]; maps: [(name, MapSource)]; tilesets: {name: image}."""
    tiles = []
    for name, image in graphics:
        framed = Image.new("RGB", (image.width, image.height + 14), BACKGROUND)
        framed.paste(_keyed(image), (0, 14))
        draw_text(framed, 0, 1, name.upper(), (255, 255, 255), outline=None)
        tiles.append(framed)
    for name, source in maps:
        whole = _render_map(source, tilesets)
        for i in range(0, whole.width, STRIP):
            part = whole.crop((i, 0, min(whole.width, i + STRIP), whole.height))
            framed = Image.new("RGB", (part.width, part.height + 14), BACKGROUND)
            framed.paste(part, (0, 14))
            draw_text(framed, 0, 1, f"MAP {name.upper()} X {i * 2}", (255, 255, 255), outline=None)
            tiles.append(framed)
    width = STRIP
    rows, row, x = [], [], 0
    for tile in tiles:
        if x + tile.width > width and row:
            rows.append(row)
            row, x = [], 0
        row.append(tile)
        x += tile.width + 8
    rows.append(row)
    height = sum(max(t.height for t in r) + 8 for r in rows)
    sheet = Image.new("RGB", (width, height), BACKGROUND)
    y = 0
    for r in rows:
        x = 0
        for tile in r:
            sheet.paste(tile, (x, y))
            x += tile.width + 8
        y += max(t.height for t in r) + 8
    sheet.save(path)
