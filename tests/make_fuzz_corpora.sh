#!/usr/bin/env bash
# Makes the small seed corpora of the fuzz targets over the game's saved files, key.txt, tune scores,
# memory fonts and the headless input script. Run from the repository root; the output is committed.
set -euo pipefail

corpus() { rm -rf "$1"; mkdir -p "$1"; }

# setting.dat and record.dat: the default settings, a file cut inside a field, five best times.
out=tests/game/frame/saved_files_fuzz_corpus
corpus "$out"
python3 - "$out" <<'PY'
import struct, sys
out = sys.argv[1]
keys = [16, 32, 512, 64, 128, 203, 205, 200, 208, 44, 45, 46, 30, 57]
open(f"{out}/settings_default", "wb").write(bytes([3, 1]) + struct.pack("<i", 1) + struct.pack("<14i", *keys))
open(f"{out}/settings_short", "wb").write(bytes([1, 0, 0, 0, 0, 0, 99, 0, 0, 0, 7, 7]))
open(f"{out}/records", "wb").write(struct.pack("<5i", 21600000, 1234, 567, 0, -1))
PY

# key.txt: the first lines of the game's own names, and a line longer than a name.
out=tests/game/scenes/key_names_fuzz_corpus
corpus "$out"
head -n 40 content/key_names.txt > "$out/key_names_head"
printf 'ESC\r\nA_name_far_longer_than_eleven\r\n\r\nLAST' > "$out/long_and_empty"

# Tune scores: the shortest score of the game's music.
out=tests/platform/music/tune_score_fuzz_corpus
corpus "$out"
for f in $(ls -S content/bgm/*.pttune | tail -n 2); do cp "$f" "$out/"; done

# Memory fonts: the GDI test fonts, one of them damaged.
out=tests/platform/gdi/memory_font_fuzz_corpus
corpus "$out"
cp tests/platform/gdi/fixtures/kv_test_*.ttf "$out/"

# Input scripts: every action, hex keys, comments and bad lines.
out=tests/platform/host/input_script_fuzz_corpus
corpus "$out"
printf '0 down 1\n5 up 1\n# comment\n\n10 down 0xCB\n12 close\n' > "$out/actions"
printf '3 down 300\nx up 2\n-1 down 2\n2 sideways 4\n7 close extra\n' > "$out/bad_lines"

# Shader token streams: every program of the shader generator (tools/shaders), written by its corpus tool
# from the build in $BUILD (default build/), and two broken ones: a program cut short and one without its
# end token.
out=tests/platform/d3d9/shader_tokens_fuzz_corpus
corpus "$out"
build=${BUILD:-build}
cmake --build "$build" --target shadercorpus > /dev/null
"$build/tools/shaders/shadercorpus" "$out"
first=$(ls "$out" | head -n 1)
head -c 24 "$out/$first" > "$out/cut_short"
size=$(stat -c %s "$out/$first")
head -c $((size - 4)) "$out/$first" > "$out/no_end_token"

# Graphics calls: the same calls through the Direct3D stand-in (first byte even) and the software
# renderer (odd): a draw target, a circle of the largest radius, fonts with a refused and a real edge, a
# string at INT_MIN, filters with arguments at the ends of the int range, NaN and infinite corners, a
# thick line across the int range, a part and a derived graphic at the extremes, and a draw target of
# 2^20 x 2^20. Values: a byte below 17 picks INT_MIN, INT_MIN + 1, -65536, -1, 0, 1, 2, 7, 255, 256,
# 2049, 8193, 65536, 2^20, 2^30 - 1, INT_MAX - 1, INT_MAX; 17-159 is the byte less 40 (floats: below 10
# NaN, infinities, +-1e30, +-(2^24 + 1), 2^31, 0.5, -0; 10-159 the byte less 40 as well).
out=tests/graphics/graphics_calls_fuzz_corpus
corpus "$out"
python3 - "$out" <<'PY'
import sys
out = sys.argv[1]
INT_MIN, INT_MAX, BIG, NAN, INF = 0, 16, 13, 0, 1
def small(v): return [v + 40]
calls = [
    [0, 100, 0, 80, 0, 0],                                  # draw target 100 x 80
    [2, 0],                                                 # select it
    [13] + small(50) + small(40) + [INT_MAX] + small(9) + [1],   # disc of the largest radius
    [18] + small(12) + small(1) + small(0) + [INT_MAX, 0],  # font with an edge of INT_MAX: refused
    [18] + small(12) + small(1) + small(1) + small(3) + [0],  # font with an edge of 3
    [19, 5] + list(b"Hello") + [INT_MIN] + small(10) + small(99) + small(1) + [0, 0],  # string at INT_MIN
    [19, 3] + list(b"abc") + small(20) + small(10) + small(99) + small(1) + [0, 0],
    [16, 0, 1, INT_MIN, INT_MAX] + small(40) * 3,          # mono at the ends of the range
    [16, 0, 4] + small(2) + [200, 0, 1] + small(1) + small(99) + [INT_MAX],  # bright clip, alpha INT_MAX
    [11, NAN, INF, 2] + small(10) * 5 + [0, 0, 0],          # quad with NaN and infinite corners
    [8] + small(0) * 2 + [INT_MAX, INT_MIN, 0, 0, NAN] + small(4) * 3 + [0, 0],  # stretched, ints and floats
    [14, INT_MIN] + small(10) + [INT_MAX] + small(10) + small(9) + small(4),  # thick line across
    [6, INT_MIN] + small(0) + small(4) + small(0) + [50, 0, 50, 0, 0, 0, 0],  # part at INT_MIN
    [1, INT_MAX, INT_MIN, 50, 0, 50, 0, 0],                  # derived at the extremes
    [0, BIG, BIG, 0],                                        # 2^20 x 2^20: refused
]
seed = [b for call in calls for b in call]
open(f"{out}/direct3d_extremes", "wb").write(bytes([0] + seed))
open(f"{out}/software_extremes", "wb").write(bytes([1] + seed))
PY
