#!/usr/bin/env bash
# The shipped textures are exactly what the texture maker draws.
# Usage: textures_test.sh TEXTURE-MAKER TEXTURE-DIR
set -eu
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$1" "$tmp"
for made in "$tmp"/*.bmp; do
  cmp "$made" "$2/$(basename "$made")" || { echo "FAIL: $(basename "$made") differs" >&2; exit 1; }
done
echo "PASS: $(ls "$tmp" | wc -l) textures"
