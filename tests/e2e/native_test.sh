#!/usr/bin/env bash
# The picture at the window's own resolution. A window asked larger than the screen opens fitted
# to it, its aspect kept. With RESOLUTION=window the picture F12 saves is the size the window
# shows: at start-up, after a resize, after a burst of resizes and in and out of fullscreen.
# Without it the picture keeps XDIM x YDIM, scaled to the window.
# Usage: native_test.sh VIEWER DATA-DIR
set -u
. "$(dirname "$0")/lib.sh"
viewer=$1 data=$2

# Starts the viewer in a copy $1 of the default world with the lines $2 ... appended, and
# confirms its textures.
start_world() {
  e2e_copy_world "$data" "$1"
  shift
  printf '%s\n' "SCREENSHOTS=shots" "$@" >>"$world/params.property"
  e2e_start_viewer "$viewer" "$world"
  for _ in $(seq "$textures"); do e2e_keys space; done
  sleep 1
}
# The viewer window's size as WIDTHxHEIGHT.
window_size() {
  eval "$(xdotool getwindowgeometry --shell "$(e2e_window)")"
  echo "${WIDTH}x${HEIGHT}"
}
# Presses F12 and prints the size of the picture it saved.
shot_size() {
  local count
  count=$(find "$world/shots" -name '*.png' 2>/dev/null | wc -l)
  e2e_keys F12
  for _ in $(seq 50); do
    [ "$(find "$world/shots" -name '*.png' 2>/dev/null | wc -l)" -gt "$count" ] && break
    sleep 0.1
  done
  identify -format '%wx%h' "$(ls -t "$world"/shots/*.png | head -n 1)"
}
# Expects the picture saved now to be $1 ($2 says when).
expect_shot() {
  local size
  size=$(shot_size)
  [ "$size" = "$1" ] || e2e_fail "$2: picture $size, expected $1 (window $(window_size))"
}

e2e_start_x
e2e_start_wm

start_world native XDIM=2000 YDIM=1000 PPL=2000
[ "$(window_size)" = 1024x512 ] || e2e_fail "2000x1000 on a 1024x768 screen: window $(window_size)"
expect_shot 1024x512 "start-up"
id=$(e2e_window)
xdotool windowsize "$id" 800 600
sleep 1
expect_shot "$(window_size)" "a resize to 800x600"
for i in $(seq 100); do xdotool windowsize "$id" $((300 + i * 3)) $((200 + i * 2)); done
sleep 1
expect_shot "$(window_size)" "a burst of 100 resizes"
windowed=$(window_size)
e2e_keys F11
sleep 1
expect_shot 1024x768 "fullscreen"
e2e_keys F11
sleep 1
expect_shot "$windowed" "fullscreen left"
xdotool windowsize "$id" 1 1
sleep 1
expect_shot "$(window_size)" "a resize to 1x1"
e2e_keys Escape
e2e_expect_exit 0 5

start_world fixed XDIM=2000 YDIM=1000 PPL=2000 RESOLUTION=fixed
[ "$(window_size)" = 1024x512 ] || e2e_fail "without RESOLUTION=window: window $(window_size)"
expect_shot 2000x1000 "without RESOLUTION=window"
e2e_keys Escape
e2e_expect_exit 0 5
echo "PASS: a fitting window; the picture follows a resize, a burst of resizes and fullscreen"
