#!/usr/bin/env bash
# Set up, build (Release; the build makes the data pack when its sources changed) and start the game,
# saying what it does at each stage. When the game runs headless (KORVALUND_HOST=headless, or no display)
# it plays a replay, the bundled demo unless one is given, on the virtual clock, and says what it did.
#
#   ./run.sh [REPLAY.rep]
set -euo pipefail

say() { echo "run.sh: $*"; }
fail() {
  echo "run.sh: $*" >&2
  exit 2
}

# Why FILE is not a replay the game plays (nothing when it is one): the game's own checks, made before
# it starts. A replay is "KVR", the frame count, 62 more header bytes, then 4 bytes a frame.
replay_problem() {
  local file=$1 size count
  if [ ! -e "$file" ]; then
    echo "does not exist"
    return
  elif [ -d "$file" ] || [ ! -r "$file" ]; then
    echo "cannot be read (a folder, or no permission)"
    return
  fi
  size=$(stat -c %s "$file")
  if [ "$size" -lt 69 ] || [ "$(head -c 3 "$file")" != KVR ]; then
    echo "is not a replay (no replay header)"
    return
  fi
  count=$(od -An -t d4 -j 3 -N 4 --endian=little "$file" | tr -d ' ')
  if [ "$count" -lt 0 ] || [ "$count" -gt 216000 ]; then
    echo "is not a replay (its frame count $count is outside 0 to 216000)"
  elif [ "$size" -lt $((69 + 4 * count)) ]; then
    echo "is cut short ($(((size - 69) / 4)) of its $count frames)"
  fi
}

[ $# -le 1 ] || fail "give at most one replay file (got $#)"
replay=""
if [ $# -eq 1 ]; then
  # Taken relative to where run.sh was started.
  case "$1" in /*) replay=$1 ;; *) replay=$PWD/$1 ;; esac
  problem=$(replay_problem "$replay")
  [ -z "$problem" ] || fail "the replay \"$1\" $problem"
fi
cd "$(dirname "$0")"

say "setup: checking the packages (scripts/setup.sh)"
bash scripts/setup.sh
if [ -f build-release/build.ninja ]; then
  say "configure: build-release is configured (the build configures again when the CMake files change)"
else
  say "configure: build-release (Release)"
  cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVALUND_TESTS=OFF >/dev/null
fi
say "build: the game, and the data pack when content/ or tools/datapack changed"
(cd build-release && ninja)
say "data pack: build-release/data, build-release/bgm and build-release/demo.rep are up to date"

host=${KORVALUND_HOST:-}
case "$host" in
  sdl | headless) ;;
  *)
    default=headless
    [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || default=sdl
    [ -z "$host" ] || say "KORVALUND_HOST=$host is neither sdl nor headless; using $default"
    host=$default
    ;;
esac
export KORVALUND_HOST=$host
cd build-release
if [ "$host" = sdl ]; then
  say "play: the game in a window${replay:+, playing the replay $replay}"
  exec ./game/korvalund ${replay:+"$replay"}
fi

# Headless: a replay, on the virtual clock (no waiting between frames).
export KORVALUND_CLOCK="${KORVALUND_CLOCK:-virtual}"
export KORVALUND_AUDIO="${KORVALUND_AUDIO:-null}"
replay=${replay:-demo.rep}
frames=$((($(stat -c %s "$replay") - 69) / 4))
say "play: the replay $replay ($frames frames) headless, on the $KORVALUND_CLOCK clock"
start=$(date +%s%N)
status=0
./game/korvalund "$replay" || status=$?
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
say "the game played the replay and ended with status $status after ${elapsed_ms} ms"
say "with a display (or KORVALUND_HOST=sdl) ./run.sh opens the game's window instead"
exit "$status"
