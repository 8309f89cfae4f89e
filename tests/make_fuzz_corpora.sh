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
