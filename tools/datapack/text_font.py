"""The dialogue font "k8x12S": a TrueType font of square-pixel outlines built from the 12-pixel Shinonome
bitmap fonts, covering ASCII, half-width katakana, the non-kanji rows of JIS X 0208 and every kanji of
the game's texts."""

import io

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import newTable
from fontTools.ttLib.tables import ttProgram

from pcf_font import PcfFont

FAMILY = "k8x12S"
FONT_DIR = "/usr/share/fonts/X11/misc/"
PIXEL = 64  # font units per pixel
CELL = 12  # pixels: ascent 10 + descent 2
ASCENT = 10
# A fixed date (2024-01-01) so that two builds give the same bytes.
TIMESTAMP = 3786825600

_NON_KANJI_ROWS = range(1, 9)


def _jis_to_unicode(code):
    """Every Unicode character the JIS X 0208 code is read as (CP932 and plain Shift-JIS differ)."""
    row, col = (code >> 8) - 0x20, (code & 0xFF) - 0x20
    lead = (row + 1) // 2 + (0x80 if row <= 62 else 0xC0)
    trail = col + (0x3F if col <= 63 else 0x40) if row % 2 else col + 0x9E
    raw = bytes([lead, trail])
    chars = set()
    for codec in ("cp932", "shift_jis"):
        try:
            text = raw.decode(codec)
        except UnicodeDecodeError:
            continue
        if len(text) == 1:
            chars.add(text)
    return chars


def _contours(rows):
    """Rectangles (x0, y0, x1, y1) in pixels covering the set pixels: runs of a row, merged downward."""
    open_rects = {}
    rects = []
    for y, row in enumerate(rows + [[0] * len(rows[0])]):
        runs = set()
        x = 0
        while x < len(row):
            if row[x]:
                start = x
                while x < len(row) and row[x]:
                    x += 1
                runs.add((start, x))
            else:
                x += 1
        for run in list(open_rects):
            if run not in runs:
                rects.append((run[0], open_rects.pop(run), run[1], y))
        for run in sorted(runs):
            open_rects.setdefault(run, y)
    return sorted(rects)


def _draw_glyph(rows):
    pen = TTGlyphPen(None)
    for x0, y0, x1, y1 in _contours(rows):
        top, bottom = (ASCENT - y0) * PIXEL, (ASCENT - y1) * PIXEL
        pen.moveTo((x0 * PIXEL, bottom))
        pen.lineTo((x0 * PIXEL, top))
        pen.lineTo((x1 * PIXEL, top))
        pen.lineTo((x1 * PIXEL, bottom))
        pen.closePath()
    return pen.glyph()


def _collect_glyphs(wanted_chars):
    """{char: (advance, rows)} for every covered character."""
    ascii_font = PcfFont(FONT_DIR + "shnm6x12a.pcf.gz")
    kana_font = PcfFont(FONT_DIR + "shnm6x12r.pcf.gz")
    kanji_font = PcfFont(FONT_DIR + "shnmk12.pcf.gz")
    glyphs = {}
    for code in range(0x20, 0x7F):
        glyphs[chr(code)] = ascii_font.glyph(code)
    for code in range(0xA1, 0xE0):
        glyphs[chr(0xFF61 + code - 0xA1)] = kana_font.glyph(code)
    for code in sorted(kanji_font._encoding):
        row = (code >> 8) - 0x20
        chars = _jis_to_unicode(code)
        if row in _NON_KANJI_ROWS or chars & wanted_chars:
            for ch in sorted(chars):
                glyphs.setdefault(ch, kanji_font.glyph(code))
    missing = sorted(ch for ch in wanted_chars if ch not in glyphs and ch not in "\r\n\t")
    if missing:
        raise ValueError("text font: no glyph for " + "".join(missing))
    return glyphs


def build_text_font(wanted_chars):
    """The TTF file's bytes."""
    glyphs = _collect_glyphs(wanted_chars)
    order = [".notdef"] + ["uni%04X" % ord(ch) for ch in sorted(glyphs)]
    outlines = {".notdef": _draw_glyph([[0] * 6 for _ in range(CELL)])}
    metrics = {".notdef": (6 * PIXEL, 0)}
    cmap = {}
    for ch in sorted(glyphs):
        name = "uni%04X" % ord(ch)
        advance, rows = glyphs[ch]
        outline = _draw_glyph(rows)
        outlines[name] = outline
        outline.recalcBounds(None)
        metrics[name] = (advance * PIXEL, getattr(outline, "xMin", 0))
        cmap[ord(ch)] = name

    builder = FontBuilder(CELL * PIXEL, isTTF=True)
    builder.font.recalcTimestamp = False
    builder.setupGlyphOrder(order)
    builder.setupCharacterMap(cmap)
    builder.setupGlyf(outlines)
    builder.setupHorizontalMetrics(metrics)
    builder.setupHorizontalHeader(ascent=ASCENT * PIXEL, descent=-(CELL - ASCENT) * PIXEL)
    builder.setupNameTable(
        {
            "familyName": FAMILY,
            "styleName": "Regular",
            "uniqueFontIdentifier": FAMILY + " Regular",
            "fullName": FAMILY,
            "psName": FAMILY,
            "version": "Version 1.0",
            "copyright": "Glyphs from the Shinonome fonts (public domain)",
        }
    )
    builder.setupOS2(
        sTypoAscender=ASCENT * PIXEL,
        sTypoDescender=-(CELL - ASCENT) * PIXEL,
        sTypoLineGap=0,
        usWinAscent=ASCENT * PIXEL,
        usWinDescent=(CELL - ASCENT) * PIXEL,
        ulCodePageRange1=(1 << 0) | (1 << 17),  # Latin 1 and Japanese
        achVendID="KVLD",
    )
    builder.setupPost()
    # A control-value program of one harmless instruction: a font with no program at all is handed to
    # FreeType's auto-hinter, which moves the pixel edges off the grid and greys them.
    prep = newTable("prep")
    prep.program = ttProgram.Program()
    prep.program.fromAssembly("SVTCA[0]")
    builder.font["prep"] = prep
    head = builder.font["head"]
    head.created = head.modified = TIMESTAMP
    out = io.BytesIO()
    builder.save(out)
    return out.getvalue()
