#!/usr/bin/env bash
# The viewer on the default world: every texture is shown on black until a key is pressed, then
# the maze appears; the arrow keys change the picture and Escape ends the viewer with exit code 0.
# What is checked holds wherever the random start puts the viewer, a wall filling the view
# included. Screenshots are kept in SHOTS.
# Usage: world_test.sh VIEWER DATA-DIR SHOTS
set -u
. "$(dirname "$0")/lib.sh"
viewer=$1 data=$2 shots=$3
mkdir -p "$shots"
textures=$(grep -c . "$data/textures.property")

# The colour of pixel ($2, $3) of screenshot $1 as six hexadecimal digits.
pixel() {
  convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6
}
# The number of distinct colours in the rectangle WxH+X+Y ($2) of screenshot $1.
colours() {
  convert "$1" -crop "$2" +repage -unique-colors -format "%w" info:
}

# The share of pixels of screenshot $1 that are not black, in percent.
lit_percent() {
  convert "$1" -colorspace gray -threshold 0 -format "%[fx:int(mean*100)]" info:
}
# Takes screenshots into $1 until command $2 accepts one (the viewer may be slow on a busy
# machine); fails with message $3 after 60 s.
await() {
  local deadline=$((SECONDS + 60))
  until e2e_screenshot "$1" && "$2" "$1"; do
    [ "$SECONDS" -lt "$deadline" ] || e2e_fail "$3"
    sleep 0.3
  done
}
texture_shown() {
  [ "$(pixel "$1" 300 300)" = 000000 ] && [ "$(colours "$1" 64x64+0+0)" -gt 8 ]
}
# The maze, from any start: not a tile on black but a picture lit nearly all over, in more than
# a few colours (ramps and textured walls, or one wall's texture filling the view, which shows
# no ceiling and as few as 45 colours).
maze_shown() {
  [ "$(lit_percent "$1")" -gt 50 ] && [ "$(colours "$1" 640x480+0+0)" -gt 8 ]
}
changed() {
  [ "$(compare -metric AE "$shots/maze.png" "$1" null: 2>&1)" != 0 ]
}

e2e_start_x
e2e_start_viewer "$viewer" "$data"
e2e_window >/dev/null
await "$shots/texture-1.png" texture_shown "the first texture is not shown on black"

# One key per texture; before the last one the viewer still shows a texture.
for _ in $(seq $((textures - 1))); do e2e_keys space; done
sleep 1
e2e_screenshot "$shots/texture-last.png"
maze_shown "$shots/texture-last.png" && e2e_fail "the maze showed before the last texture's key"
e2e_keys space
await "$shots/maze.png" maze_shown "no maze after the textures"

e2e_keys Left Left Left Up Up
await "$shots/moved.png" changed "the arrow keys did not change the picture"

e2e_keys Escape
e2e_expect_exit 0 10
echo "PASS: $textures textures, the maze, movement, and Escape with exit code 0"
