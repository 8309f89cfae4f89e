#!/usr/bin/env bash
# Makes the seed corpus of the archive reader's fuzz target: small archives of every version, packed
# and plain, built by tvatool from a tiny folder. Run from the repository root after a build:
#   tests/core/files/make_archive_corpus.sh build/tools/archive/tvatool
set -euo pipefail
tool=${1:-build/tools/archive/tvatool}
out=tests/core/files/archive_reader_fuzz_corpus
src=$(mktemp -d)
trap 'rm -rf "$src"' EXIT
mkdir -p "$src/sub/inner" "$out"
printf 'aaaaaaaaaaaaaaaaaaaabcabcabcabc' > "$src/a.png"
printf 'Hello, archive!' > "$src/Mixed.Txt"
printf 'xyz' > "$src/sub/inner/x.dat"
: > "$src/sub/empty"
for version in 0 1 2 3 4 5; do
  "$tool" pack "$src" "$out/v${version}_plain.tva" --version "$version" --plain --zero-times
  [ "$version" -ge 2 ] && "$tool" pack "$src" "$out/v${version}_packed.tva" --version "$version" --zero-times
done
"$tool" pack "$src" "$out/v5_fallback_key.tva" --fallback-key --zero-times
"$tool" pack "$src" "$out/v5_key_fuzz.tva" --key fuzz --zero-times
