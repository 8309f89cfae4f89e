#!/usr/bin/env bash
# Set up, build (Release), make the data pack and start the game. Without a display it plays the
# bundled demo replay headless and says what it did.
set -euo pipefail
OLDPWD_RUN=$PWD
cd "$(dirname "$0")"
bash scripts/setup.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVALUND_TESTS=OFF >/dev/null
cmake --build build-release -j "$(nproc)"
# The data pack (data/ and bgm/) next to the game, made afresh from content/.
/usr/bin/python3 tools/datapack/make_datapack.py build-release

# A replay given on the command line is taken relative to where run.sh was started.
args=()
for a in "$@"; do
  case "$a" in /*) args+=("$a") ;; *) args+=("$OLDPWD_RUN/$a") ;; esac
done
cd build-release
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || [ -n "${KORVALUND_HOST:-}" ]; then
  exec ./game/korvalund "${args[@]}"
fi

# No display: play the bundled demo replay headless, on the virtual clock (no waiting between frames).
export KORVALUND_HOST=headless
export KORVALUND_CLOCK="${KORVALUND_CLOCK:-virtual}"
export KORVALUND_AUDIO="${KORVALUND_AUDIO:-null}"
replay="${args[0]:-demo.rep}"
frames=$(( ($(stat -c %s "$replay") - 69) / 4 ))
echo "run.sh: no display found; playing the replay $replay ($frames frames) headless"
start=$(date +%s%N)
status=0
./game/korvalund "$replay" || status=$?
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
echo "run.sh: the game played the replay and ended with status $status after ${elapsed_ms} ms"
echo "run.sh: with a display (or KORVALUND_HOST=sdl) ./run.sh opens the game's window instead"
exit "$status"
