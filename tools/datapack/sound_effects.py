"""The 34 sound effects: synthesised from the voice recipes of content/sounds.txt and encoded as Ogg
Vorbis by oggenc (fixed stream serial numbers, so the bytes repeat)."""

import array
import math
import subprocess
import zlib

# The game's effect table, in id order: "./data/se/<name>.ogg".
EFFECT_NAMES = [
    "cursol", "jump", "break", "boost", "fail", "land", "knife", "recover", "1up", "element", "bombget",
    "bomb", "damage", "check", "explode", "slide", "impact", "invalid", "shot", "shutter", "switch",
    "fire", "cock", "fire2", "charge", "laser", "open", "clash", "quake", "funka", "ufo", "talk",
    "funka2", "return",
]

RATE = 22050
_WAVES = {"square", "pulse", "triangle", "saw", "sine", "noise"}
_ENVELOPES = {"decay", "flat", "swell"}


class Voice:
    def __init__(self, fields, where):
        if len(fields) not in (8, 9):
            raise ValueError(f"{where}: expected 8 or 9 fields")
        self.name = fields[0]
        self.start, self.length = float(fields[1]), float(fields[2])
        self.wave = fields[3]
        self.f0, self.f1 = float(fields[4]), float(fields[5])
        self.volume = float(fields[6])
        self.envelope = fields[7]
        self.vibrato = (0.0, 0.0)
        if len(fields) == 9:
            rate, depth = fields[8].split(":")
            self.vibrato = (float(rate), float(depth))
        if self.wave not in _WAVES or self.envelope not in _ENVELOPES or self.length <= 0:
            raise ValueError(f"{where}: bad wave, envelope or length")


def read_recipes(path):
    recipes = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            fields = line.split("#", 1)[0].split()
            if fields:
                voice = Voice(fields, f"{path}:{number}")
                recipes.setdefault(voice.name, []).append(voice)
    missing = [name for name in EFFECT_NAMES if name not in recipes]
    unknown = [name for name in recipes if name not in EFFECT_NAMES]
    if missing or unknown:
        raise ValueError(f"{path}: effects missing {missing}, unknown {unknown}")
    return recipes


def _envelope(kind, t, length):
    attack, release = 0.004, 0.02
    if kind == "decay":
        level = (1.0 - t / length) ** 2
        return level * min(1.0, t / attack)
    if kind == "swell":
        level = 0.2 + 0.8 * t / length
        return level * min(1.0, (length - t) / attack)
    return min(1.0, t / attack, (length - t) / release)


def _render_voice(voice, samples, seed):
    rng = seed & 0xFFFFFFFF
    noise_level = 0.0
    phase = 0.0
    begin = int(voice.start * RATE)
    count = int(voice.length * RATE)
    ratio = voice.f1 / voice.f0
    vib_rate, vib_depth = voice.vibrato
    for i in range(count):
        t = i / RATE
        freq = voice.f0 * ratio ** (t / voice.length)
        if vib_depth:
            freq *= 1.0 + vib_depth * math.sin(2.0 * math.pi * vib_rate * t)
        phase += freq / RATE
        wrapped = phase >= 1.0
        phase -= math.floor(phase)
        if voice.wave == "noise":
            if wrapped or i == 0:
                rng = (rng * 1664525 + 1013904223) & 0xFFFFFFFF
                noise_level = (rng >> 8) / float(1 << 23) - 1.0
            value = noise_level
        elif voice.wave == "square":
            value = 1.0 if phase < 0.5 else -1.0
        elif voice.wave == "pulse":
            value = 1.0 if phase < 0.25 else -1.0
        elif voice.wave == "triangle":
            value = 4.0 * phase - 1.0 if phase < 0.5 else 3.0 - 4.0 * phase
        elif voice.wave == "saw":
            value = 2.0 * phase - 1.0
        else:
            value = math.sin(2.0 * math.pi * phase)
        index = begin + i
        if index < len(samples):
            samples[index] += value * voice.volume * _envelope(voice.envelope, t, voice.length)


def synthesise(voices, seed):
    """16-bit little-endian mono PCM of the mixed voices."""
    total = max(int((v.start + v.length) * RATE) for v in voices) + int(0.01 * RATE)
    samples = [0.0] * total
    for n, voice in enumerate(voices):
        _render_voice(voice, samples, seed + 7919 * n)
    pcm = array.array("h", (int(max(-1.0, min(1.0, s)) * 32000) for s in samples))
    return pcm.tobytes()


def write_sound_effects(recipe_path, out_dir):
    """Encodes every effect into out_dir/<name>.ogg, all encoders running at once."""
    recipes = read_recipes(recipe_path)
    jobs = []
    for name in EFFECT_NAMES:
        seed = zlib.crc32(name.encode())
        pcm = synthesise(recipes[name], seed)
        command = [
            "oggenc", "-Q", "-r", "-B", "16", "-C", "1", "-R", str(RATE), "--raw-endianness", "0",
            "-q", "3", "-s", str(seed & 0x7FFFFFFF), "-o", f"{out_dir}/{name}.ogg", "-",
        ]
        process = subprocess.Popen(command, stdin=subprocess.PIPE)
        jobs.append((name, process, pcm))
    for name, process, pcm in jobs:
        process.communicate(pcm)
        if process.returncode != 0:
            raise RuntimeError(f"oggenc failed for {name}")
