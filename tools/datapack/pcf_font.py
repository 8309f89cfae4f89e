"""Reader of X11 PCF bitmap fonts (optionally gzip-compressed): glyph bitmaps by encoding code."""

import gzip
import struct

_METRICS = 1 << 2
_BITMAPS = 1 << 3
_ACCELERATORS = 1 << 1
_ENCODINGS = 1 << 5

_COMPRESSED_METRICS = 0x100
_BYTE_MSB = 1 << 2
_BIT_MSB = 1 << 3


class PcfFont:
    """Glyphs of one PCF file: `glyph(code)` gives (advance, rows of 0/1 of the font's cell height)."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        if data[:2] == b"\x1f\x8b":
            data = gzip.decompress(data)
        if data[:4] != b"\x01fcp":
            raise ValueError(f"{path}: not a PCF font")
        self._data = data
        (count,) = struct.unpack_from("<i", data, 4)
        self._tables = {}
        for i in range(count):
            kind, fmt, size, offset = struct.unpack_from("<iiii", data, 8 + 16 * i)
            self._tables[kind] = (fmt, offset)
        self.ascent, self.descent = self._read_accelerators()
        self._metrics = self._read_metrics()
        self._bitmaps = self._read_bitmaps()
        self._encoding = self._read_encodings()

    def _table(self, kind):
        if kind not in self._tables:
            raise ValueError("PCF table missing")
        _, offset = self._tables[kind]
        (fmt,) = struct.unpack_from("<i", self._data, offset)
        order = ">" if fmt & _BYTE_MSB else "<"
        return fmt, offset + 4, order

    def _read_accelerators(self):
        fmt, pos, order = self._table(_ACCELERATORS)
        return struct.unpack_from(order + "ii", self._data, pos + 8)

    def _read_metrics(self):
        fmt, pos, order = self._table(_METRICS)
        metrics = []
        if fmt & _COMPRESSED_METRICS:
            (count,) = struct.unpack_from(order + "h", self._data, pos)
            pos += 2
            for _ in range(count):
                vals = [b - 0x80 for b in self._data[pos : pos + 5]]
                metrics.append(tuple(vals))
                pos += 5
        else:
            (count,) = struct.unpack_from(order + "i", self._data, pos)
            pos += 4
            for _ in range(count):
                metrics.append(struct.unpack_from(order + "hhhhh", self._data, pos))
                pos += 12
        return metrics  # left, right, width, ascent, descent

    def _read_bitmaps(self):
        fmt, pos, order = self._table(_BITMAPS)
        (count,) = struct.unpack_from(order + "i", self._data, pos)
        pos += 4
        offsets = struct.unpack_from(order + "%di" % count, self._data, pos)
        pos += 4 * count + 16
        pad = 1 << (fmt & 3)
        msb_bits = bool(fmt & _BIT_MSB)
        return [(pos + off, pad, msb_bits) for off in offsets]

    def _read_encodings(self):
        fmt, pos, order = self._table(_ENCODINGS)
        min2, max2, min1, max1, _default = struct.unpack_from(order + "hhhhh", self._data, pos)
        pos += 10
        span2 = max2 - min2 + 1
        total = span2 * (max1 - min1 + 1)
        indices = struct.unpack_from(order + "%dH" % total, self._data, pos)
        encoding = {}
        for i, index in enumerate(indices):
            if index != 0xFFFF:
                encoding[((min1 + i // span2) << 8) | (min2 + i % span2)] = index
        return encoding

    def has(self, code):
        return code in self._encoding

    def glyph(self, code):
        """(advance, rows): rows cover the font's ascent + descent, each a list of 0/1 per advance pixel."""
        index = self._encoding[code]
        left, right, advance, g_ascent, g_descent = self._metrics[index]
        start, pad, msb_bits = self._bitmaps[index]
        width = right - left
        stride = ((width + 7) // 8 + pad - 1) // pad * pad
        height = self.ascent + self.descent
        rows = [[0] * advance for _ in range(height)]
        for r in range(g_ascent + g_descent):
            y = self.ascent - g_ascent + r
            row = self._data[start + r * stride : start + (r + 1) * stride]
            for c in range(width):
                byte = row[c // 8]
                bit = (byte >> (7 - c % 8)) & 1 if msb_bits else (byte >> (c % 8)) & 1
                x = left + c
                if bit and 0 <= y < height and 0 <= x < advance:
                    rows[y][x] = 1
        return advance, rows
