#!/usr/bin/python3
"""Makes the seeds of the sound converter's fuzz target: WAV files written chunk by chunk so that each
shows one thing (an odd-sized chunk before and after the format, 32-bit float samples, plain 16-bit PCM,
and a data chunk that claims more bytes than the file holds), and copies of converter fixtures (made by
fixtures/make_fixtures.sh and fixtures/make_mp3_fixtures.sh): Ogg Vorbis, and MPEG audio of even size,
which the fuzz target converts through the compression manager, and of odd size, which it sends through
the DirectShow graph. Run:

    tests/sound/make_sound_converter_corpus.py"""

import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "fixtures")
OUT = os.path.join(HERE, "sound_converter_fuzz_corpus")
# Corpus name: fixture name.
FIXTURE_SEEDS = {
    "tone_mono.ogg": "tone_mono.ogg",
    "tone_layer2.mp2": "tone_layer2.mp2",
    "tone_mono.mp3": "tone_mono.mp3",
    "tone_stereo_graph.mp3": "tone_stereo.mp3",
}


def chunk(tag, data, size=None):
    # A chunk of odd size is followed by a pad byte; size may claim another length than data has.
    body = struct.pack("<4sI", tag, len(data) if size is None else size) + data
    return body + b"\0" if len(data) % 2 else body


def wave(*chunks):
    body = b"WAVE" + b"".join(chunks)
    return struct.pack("<4sI", b"RIFF", len(body)) + body


def fmt(tag, channels, rate, bits, extended=False):
    align = channels * bits // 8
    data = struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits)
    return chunk(b"fmt ", data + (b"\0\0" if extended else b""))


def stereo16(frames):
    # The left channel rises by 7 a frame, the right falls by 3.
    return b"".join(struct.pack("<hh", 7 * i, -3 * i) for i in range(frames))


SEEDS = {
    "bext_odd_chunk.wav": wave(chunk(b"bext", bytes([1, 2, 3])), fmt(1, 1, 8000, 8, extended=True),
                               chunk(b"junk", bytes([7])), chunk(b"data", bytes([0x80, 0x81, 0x82]))),
    "float.wav": wave(fmt(3, 2, 1000, 32, extended=True), chunk(b"data", struct.pack("<4f", 1.0, -1.0, 0.5, 2.0))),
    "pcm16.wav": wave(fmt(1, 2, 8000, 16), chunk(b"data", stereo16(40))),
    "short_data.wav": wave(fmt(1, 2, 8000, 16), chunk(b"data", stereo16(3), size=1000)),
}

for name, data in SEEDS.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)

for name, fixture in FIXTURE_SEEDS.items():
    shutil.copyfile(os.path.join(FIXTURES, fixture), os.path.join(OUT, name))
