#!/usr/bin/env bash
# The browser page in Debian's chromium, headless: page_test.sh SOURCE PAGE_DIR MAZE_SNAPSHOT
# SCRATCH. Installs playwright-core (no browser) into SCRATCH, writes the reference frame there
# with maze-snapshot, then runs page_test.cjs, which serves PAGE_DIR on 127.0.0.1 itself.
set -euo pipefail
source_dir=$1 page_dir=$2 snapshot=$3 scratch=$4
mkdir -p "$scratch"
cp "$source_dir/tests/web/package.json" "$source_dir/tests/web/package-lock.json" "$scratch/"
PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --prefix "$scratch" --no-audit --no-fund --silent

# The frames the page must show: the default world at seed 1 and this pose, in the test's
# 640 x 480 window and in an 800 x 600 one (it draws at the window's size), and the blocks world
# at seed 1 from its own start.
seed=1 pose=57.5,27.5,0,3.4
(cd "$source_dir/data" && "$snapshot" --seed "$seed" --pose "$pose" --raw "$scratch/expected.raw" &&
  "$snapshot" --seed "$seed" --pose "$pose" --size 800x600 --raw "$scratch/expected-800x600.raw" &&
  "$snapshot" --dir blocks --seed "$seed" --raw "$scratch/expected-blocks.raw")

NODE_PATH=$scratch/node_modules node "$source_dir/tests/web/page_test.cjs" "$page_dir" \
  "$scratch" "$seed" "$pose" "$(grep -c = "$source_dir/data/textures.property")" \
  "$(grep -c = "$source_dir/data/blocks/textures.property")"
