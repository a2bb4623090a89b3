#!/usr/bin/env bash
# The shipped textures are exactly what the texture maker draws, into a folder it creates.
# Usage: textures_test.sh TEXTURE-MAKER TEXTURE-DIR
set -eu
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$1" "$tmp/new/textures"
for made in "$tmp"/new/textures/*.bmp; do
  cmp "$made" "$2/$(basename "$made")" || { echo "FAIL: $(basename "$made") differs" >&2; exit 1; }
done
echo "PASS: $(ls "$tmp/new/textures" | wc -l) textures"
