#!/usr/bin/env bash
# Installs every Debian package that the build, the tests, the tools and the game need.
# Idempotent: quiet when everything is there; runs apt-get update only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev
  libsdl2-dev libpng-dev libjpeg-dev zlib1g-dev
  libogg-dev libvorbis-dev libtheora-dev
  libfreetype-dev libfontconfig-dev libmpg123-dev libbullet-dev
  xvfb xauth
  fonts-ipafont-gothic
  imagemagick netpbm libjpeg-turbo-progs python3-pil python3-fonttools xfonts-shinonome
  vorbis-tools sox
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
