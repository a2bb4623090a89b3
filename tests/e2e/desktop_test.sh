#!/usr/bin/env bash
# The viewer as a desktop program: without a display it ends with the README's report and a
# hint; signals end it at once with 128 + the signal's number, after the pictures being
# written, and a reader of its output that has gone does not end it; ten F12 presses save the
# frame as shown ten times;
# the captured pointer turns the view; F11 fills the screen and gives the window back; VSYNC=1
# keeps the frame rate near 60 per second.
# Usage: desktop_test.sh VIEWER DATA-DIR README
set -u
. "$(dirname "$0")/lib.sh"
viewer=$1 data=$2 readme=$3
e2e_copy_world "$data"
echo "SCREENSHOTS=shots" >>"$world/params.property"

# Milliseconds since the epoch.
now_ms() { date +%s%3N; }
# Sends signal $1 to the viewer and expects exit code $2 within a second.
expect_signal_end() {
  local start=$(now_ms)
  kill -s "$1" "$E2E_VIEWER_PID"
  e2e_expect_exit "$2" 2
  [ $(($(now_ms) - start)) -lt 1000 ] || e2e_fail "SIG$1 took $(($(now_ms) - start)) ms"
}
# The viewer window's size as WIDTHxHEIGHT.
window_size() {
  eval "$(xdotool getwindowgeometry --shell "$(e2e_window)")"
  echo "${WIDTH}x${HEIGHT}"
}
# Fails with message $3 unless screenshots $1 and $2 are equal ("same") or differ ("differ").
expect_pictures() {
  local pixels
  pixels=$(compare -metric AE "$1" "$2" null: 2>&1)
  case "$3" in
    same) [ "$pixels" = 0 ] || e2e_fail "$4 ($pixels pixels differ)" ;;
    differ) [ "$pixels" != 0 ] || e2e_fail "$4" ;;
  esac
}

# No display: the first window fails as the README shows, after a one-line hint.
report=$(grep -o 'Aborting due to runtime error 1 [^`]*OPENFIRSTWINDOW()' "$readme" | head -n 1)
[ -n "$report" ] || e2e_fail "the README shows no report of a missing display"
(cd "$world" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$viewer" 2>"$E2E_TMP/err")
code=$?
[ "$code" = 1 ] || e2e_fail "without a display: exit code $code"
grep -qx "No display to open the window on (.*" "$E2E_TMP/err" && grep -qxF "$report" "$E2E_TMP/err" ||
  e2e_fail "without a display: $(cat "$E2E_TMP/err")"

e2e_start_x
e2e_start_wm  # fullscreen asks the window manager

# SIGTERM while a texture waits for its key.
e2e_start_viewer "$viewer" "$world"
e2e_window >/dev/null
sleep 0.5
expect_signal_end TERM 143
e2e_start_viewer "$viewer" "$world"
e2e_window >/dev/null
expect_signal_end HUP 129

# The standard output read by a program that leaves after one line (`maze-viewer | head -n1`):
# the second picture's line finds no reader, and the viewer goes on.
mkdir -p "$E2E_TMP/empty" && : >"$E2E_TMP/empty/params.property"
mkfifo "$E2E_TMP/out"
head -n 1 <"$E2E_TMP/out" >/dev/null &
(cd "$E2E_TMP/empty" && exec "$viewer" >"$E2E_TMP/out" 2>"$E2E_TMP/viewer.err") &
E2E_VIEWER_PID=$!
e2e_keys F12
sleep 0.5
e2e_keys F12 F12
sleep 0.5
kill -0 "$E2E_VIEWER_PID" 2>/dev/null || e2e_fail "a closed output ended the viewer"
pictures=("$E2E_TMP"/empty/maze-*.png)
[ ${#pictures[@]} = 3 ] || e2e_fail "three F12 presses saved ${#pictures[@]} pictures"
e2e_keys Escape
e2e_expect_exit 0 10

# The maze.
e2e_start_viewer "$viewer" "$world"
for _ in $(seq "$textures"); do e2e_keys space; done
sleep 3
title=$(xdotool getwindowname "$(e2e_window)")
fps=${title//[^0-9]/}
[ -n "$fps" ] && [ "$fps" -le 65 ] || e2e_fail "VSYNC=1 frame rate: $title"

e2e_screenshot "$E2E_TMP/window.png"
e2e_keys F12 F12 F12 F12 F12 F12 F12 F12 F12 F12
sleep 2
shots=("$world"/shots/maze-*.png)
[ ${#shots[@]} = 10 ] || e2e_fail "ten F12 presses saved ${#shots[@]} files"
for shot in "${shots[@]}"; do
  expect_pictures "$shot" "$E2E_TMP/window.png" same "the screenshot $shot is not the frame shown"
  grep -qF "Screenshot saved to $shot" "$E2E_TMP/viewer.out" || e2e_fail "no word of $shot"
done

xdotool mousemove --window "$(e2e_window)" 320 240 mousemove_relative -- 60 0
sleep 0.5
e2e_screenshot "$E2E_TMP/free.png"
expect_pictures "$E2E_TMP/window.png" "$E2E_TMP/free.png" same "a free pointer turned the view"
xdotool click 1 sleep 0.3 mousemove_relative -- 60 0
sleep 0.5
e2e_screenshot "$E2E_TMP/captured.png"
expect_pictures "$E2E_TMP/free.png" "$E2E_TMP/captured.png" differ "the captured pointer did nothing"
e2e_keys F10
xdotool mousemove_relative -- 60 0
sleep 0.5
e2e_screenshot "$E2E_TMP/released.png"
expect_pictures "$E2E_TMP/captured.png" "$E2E_TMP/released.png" same "F10 kept the pointer"

e2e_keys F11
sleep 1
[ "$(window_size)" = 1024x768 ] || e2e_fail "F11: window $(window_size), screen 1024x768"
e2e_keys F11
sleep 1
[ "$(window_size)" = 640x480 ] || e2e_fail "F11 again: window $(window_size)"

# A signal right after F12 waits for the picture being written: every file is whole and told.
e2e_keys F12
expect_signal_end INT 130
shots=("$world"/shots/maze-*.png)
for shot in "${shots[@]}"; do
  convert "$shot" null: 2>/dev/null || e2e_fail "a signal left $shot unfinished"
done
told=$(grep -c '^Screenshot saved to ' "$E2E_TMP/viewer.out")
[ "$told" = ${#shots[@]} ] || e2e_fail "${#shots[@]} screenshots, $told told"
echo "PASS: no display, signals, a closed output, frame rate $fps/s, screenshots, pointer, fullscreen"
