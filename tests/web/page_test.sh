#!/usr/bin/env bash
# The browser page in Debian's chromium, headless: page_test.sh SOURCE PAGE_DIR MAZE_SNAPSHOT
# SCRATCH. Installs playwright-core (no browser) into SCRATCH, writes the reference frame there
# with maze-snapshot, then runs page_test.cjs, which serves PAGE_DIR on 127.0.0.1 itself.
set -euo pipefail
source_dir=$1 page_dir=$2 snapshot=$3 scratch=$4
mkdir -p "$scratch"
cp "$source_dir/tests/web/package.json" "$source_dir/tests/web/package-lock.json" "$scratch/"
PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --prefix "$scratch" --no-audit --no-fund --silent

# The frame the page must show: the default world, seed 1, this pose.
seed=1 pose=4.5,58.5,0,0.3
(cd "$source_dir/data" && "$snapshot" --seed "$seed" --pose "$pose" --raw "$scratch/expected.raw")

NODE_PATH=$scratch/node_modules node "$source_dir/tests/web/page_test.cjs" "$page_dir" \
  "$scratch" "$seed" "$pose" "$(grep -c = "$source_dir/data/textures.property")"
