#!/usr/bin/env bash
# Installs what the fixture, oracle and corpus scripts under tests/ need beside the packages of
# scripts/setup.sh; ./run.sh and ./test.sh never need these, as the scripts' output is committed.
#   python3-numpy, python3-scipy: the graphics filter and 3D camera oracles (tests/graphics/*/oracles/)
#   ffmpeg:                       the Theora movie fixtures (tests/text_movie/fixtures/make_movie_fixtures.sh)
#   lame, libsox-fmt-mp3:         the MP3 fixtures and their oracles (tests/sound/fixtures/make_mp3_fixtures.sh)
# Idempotent, like scripts/setup.sh.
set -euo pipefail
exec bash "$(dirname "$0")/setup.sh" python3-numpy python3-scipy ffmpeg lame libsox-fmt-mp3
