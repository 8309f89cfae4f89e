#!/usr/bin/env bash
# Set up, build (Release; the build makes the data pack when its sources changed) and start the game,
# saying what it does at each stage. When the game runs headless (KORVALUND_HOST=headless, or no display
# that SDL can open a window on) it plays a replay, the bundled demo unless one is given, on the virtual
# clock, and says what it did.
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

# Why the game could open no window here (nothing when it can): the question its SDL host asks (SDL2
# loaded at run time, its video started), asked through Python's ctypes so that no window opens. Where
# no display answers, SDL starts its offscreen driver instead; the game would then run unseen, so that
# counts as no window.
window_problem() {
  timeout 20 /usr/bin/python3 - 2>/dev/null <<'PY' || echo "SDL's video did not answer in 20 seconds"
import ctypes, sys
try:
    sdl = ctypes.CDLL("libSDL2-2.0.so.0")
except OSError:
    print("SDL2 cannot be loaded")
    sys.exit()
sdl.SDL_GetError.restype = ctypes.c_char_p
sdl.SDL_GetCurrentVideoDriver.restype = ctypes.c_char_p
if sdl.SDL_InitSubSystem(0x20) != 0:  # SDL_INIT_VIDEO
    print(f"SDL's video does not start ({sdl.SDL_GetError().decode(errors='replace')})")
    sys.exit()
driver = (sdl.SDL_GetCurrentVideoDriver() or b"").decode()
sdl.SDL_Quit()
if driver in ("offscreen", "dummy"):
    print(f"SDL finds no display, only its {driver} video driver starts")
PY
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
if [ "$host" = sdl ]; then
  problem=$(window_problem)
  if [ -n "$problem" ]; then
    say "no window (DISPLAY=${DISPLAY:-} WAYLAND_DISPLAY=${WAYLAND_DISPLAY:-}): $problem; the game runs headless"
    host=headless
  fi
fi
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
say "where SDL can open a window (a working DISPLAY or WAYLAND_DISPLAY) ./run.sh opens the game's window instead"
exit "$status"
