#!/usr/bin/env bash
# Starts the game built by clang with UndefinedBehaviorSanitizer (and AddressSanitizer), which checks
# what gcc's does not, such as calls through a function pointer of another type. Headless on the
# virtual clock: the demo replay played to its end, then a new game started from the title, a replay
# saved (F4) and the program ended with Esc, which saves the settings and records. Any report ends the
# run with a non-zero status. Shares the build-fuzz folder with scripts/fuzz.sh, so after a fuzz run
# only the entry point is compiled.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVALUND_LIBFUZZER=ON -DKORVALUND_SANITIZE=ON -DKORVALUND_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz --target korvalund korvalund_game_data

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
ln -s "$PWD/build-fuzz/data" "$PWD/build-fuzz/bgm" "$folder"/
cp build-fuzz/demo.rep "$folder"/
cat >"$folder/input.txt" <<'EOF'
5 down 57
9 up 57
90 down 57
94 up 57
250 down 57
254 up 57
400 down 60
404 up 60
600 down 62
604 up 62
700 down 1
EOF
export KORVALUND_HOST=headless KORVALUND_CLOCK=virtual KORVALUND_AUDIO=null
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1
cd "$folder"
echo "clang_ubsan.sh: the demo replay"
"$OLDPWD/build-fuzz/game/korvalund" demo.rep
echo "clang_ubsan.sh: a new game, a saved replay and the saves at the end"
KORVALUND_INPUT=input.txt "$OLDPWD/build-fuzz/game/korvalund"
for file in setting.dat record.dat replay.rep; do
  [ -s "$file" ] || { echo "clang_ubsan.sh: the game did not write $file" >&2; exit 1; }
done
echo "clang_ubsan.sh: no report"
