#!/usr/bin/env bash
# Set up, build (Release), make the data pack and start the game. Without a display it runs headless.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVALUND_TESTS=OFF >/dev/null
cmake --build build-release -j "$(nproc)"
# The data pack (data/ and bgm/) next to the game, made afresh from content/.
/usr/bin/python3 tools/datapack/make_datapack.py build-release

if [ -z "${DISPLAY:-}" ] && [ -z "${KORVALUND_HOST:-}" ]; then
  export KORVALUND_HOST=headless
  echo "run.sh: no display found, running headless"
fi
cd build-release
exec ./game/korvalund "$@"
