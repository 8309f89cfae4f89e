#!/usr/bin/env bash
# Installs every Debian package that the build, the tests, the tools and the game need.
# Idempotent: quiet when everything is there; runs apt-get update only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache clang libclang-rt-14-dev strace
  libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev
  libsdl2-dev libpng-dev libjpeg-dev zlib1g-dev
  libogg-dev libvorbis-dev libtheora-dev
  libfreetype-dev libfontconfig-dev libmpg123-dev libbullet-dev
  xvfb xauth
  fonts-ipafont-gothic
  imagemagick netpbm libjpeg-turbo-progs python3-pil python3-fonttools xfonts-shinonome
  vorbis-tools sox
)
packages+=("$@") # what a caller needs beside these (scripts/fixture_tools.sh)

# One query of the package database for all of them; a package it does not know is missing too.
declare -A installed=()
while read -r name want ok state; do
  [ "$want $ok $state" = "install ok installed" ] && installed[$name]=1
done < <(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for p in "${packages[@]}"; do
  [ -n "${installed[$p]:-}" ] || missing+=("$p")
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
