#!/usr/bin/env bash
# The viewer on the default world: every texture is shown on black until a key is pressed, then
# the maze appears with the blue ceiling ramp above textured walls; the arrow keys change the
# picture and Escape ends the viewer with exit code 0. Screenshots are kept in SHOTS.
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

e2e_start_x
e2e_start_viewer "$viewer" "$data"
e2e_window >/dev/null
sleep 0.5
e2e_screenshot "$shots/texture-1.png"
[ "$(pixel "$shots/texture-1.png" 300 300)" = 000000 ] || e2e_fail "the texture is not shown on black"
[ "$(colours "$shots/texture-1.png" 64x64+0+0)" -gt 8 ] || e2e_fail "no texture in the corner"

for _ in $(seq "$textures"); do
  e2e_keys space
  sleep 0.2
done
sleep 0.5
e2e_screenshot "$shots/maze.png"
top=$(pixel "$shots/maze.png" 2 0)
[ "${top:0:4}" = 0000 ] && [ "$((16#${top:4:2}))" -ge 250 ] ||
  e2e_fail "the top row is not the bright blue ceiling ramp: $top"
[ "$(colours "$shots/maze.png" 640x120+0+180)" -gt 50 ] || e2e_fail "no textured walls in view"

e2e_keys Left Left Left Up Up
sleep 0.5
e2e_screenshot "$shots/moved.png"
[ "$(compare -metric AE "$shots/maze.png" "$shots/moved.png" null: 2>&1)" != 0 ] ||
  e2e_fail "the arrow keys did not change the picture"

e2e_keys Escape
e2e_expect_exit 0 10
echo "PASS: $textures textures, the maze, movement, and Escape with exit code 0"
