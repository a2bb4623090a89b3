#!/usr/bin/env bash
# Continuous motion in the real window, driven by xdotool keydown and keyup: the view moves from
# the first frames of a press and keeps moving through what would be the key-repeat delay; the
# distance walked in two seconds is speed x time (within 5 %) at two key-repeat rates and with
# VSYNC 0 and 1; walking while turning does both; and the recorded session replays headless to
# the very picture F12 saved at its end. Distances come from replaying each recorded session with
# maze-snapshot from a fixed pose.
# Usage: motion_test.sh VIEWER MAZE-SNAPSHOT DATA-DIR
set -u
. "$(dirname "$0")/lib.sh"
viewer=$1 snapshot=$2 data=$3
e2e_copy_world "$data"
cp "$world/params.property" "$E2E_TMP/params"
speed=$(grep '^WALKSPEED=' "$world/params.property" | cut -d= -f2)
speed=${speed:-3}

changed() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" != 0 ]; }
# The state value $2 of maze-snapshot's --state file $1.
value() { grep "^$2=" "$1" | cut -d= -f2; }
# Replays the lines of session $1 after its hold number $2 - 1 of Up up to the end of hold $2
# ("all": the whole session) from pose 32.5,32.5 facing +x, and writes the state to $3.
replay_from_middle() {
  awk -v n="$2" 'n == "all" || holds == n - 1 { print } /^up Up$/ { holds++ }' "$1" >"$E2E_TMP/part"
  (cd "$world" && "$snapshot" --pose 32.5,32.5,0,0 --play "$E2E_TMP/part" --state "$3") ||
    e2e_fail "replaying $1 failed"
}
# Fails unless hold $2 of Up in session $1 walked speed x its duration, $3 ms, within 5 %.
expect_walked() {
  replay_from_middle "$1" "$2" "$E2E_TMP/state"
  awk -v x="$(value "$E2E_TMP/state" POSX)" -v s="$speed" -v ms="$3" \
    'BEGIN { d = x - 32.5; w = s * ms / 1000; exit !(d > w * 0.95 && d < w * 1.05) }' ||
    e2e_fail "$4: walked $(value "$E2E_TMP/state" POSX) - 32.5 cells in $3 ms at $speed a second"
  echo "$4: walked to POSX=$(value "$E2E_TMP/state" POSX) from 32.5 in $3 ms"
}
# Starts the viewer with the parameter lines $@ after the world's, and confirms the textures.
start() {
  { cat "$E2E_TMP/params"; printf '%s\n' COLLIDE=0 SCREENSHOTS=shots "$@"; } >"$world/params.property"
  e2e_start_viewer "$viewer" "$world"
  for _ in $(seq "$textures"); do e2e_keys space; done
  sleep 1
  xdotool windowfocus --sync "$(e2e_window)" 2>/dev/null || true
}
# A held Up changes the picture within the first frames and keeps changing it through what
# would be the key-repeat delay.
expect_early_motion() {
  e2e_screenshot "$E2E_TMP/still.png"
  xdotool keydown Up sleep 0.1
  e2e_screenshot "$E2E_TMP/early.png"
  sleep 0.2
  e2e_screenshot "$E2E_TMP/later.png"
  xdotool keyup Up
  changed "$E2E_TMP/still.png" "$E2E_TMP/early.png" || e2e_fail "no motion in the first frames"
  changed "$E2E_TMP/early.png" "$E2E_TMP/later.png" || e2e_fail "the motion paused after the press"
}
# Holds Up for two seconds (xdotool's own pause, so that no process start lies in between).
walk_two_seconds() {
  xdotool keydown Up sleep 2 keyup Up
}

e2e_start_x
command -v xset >/dev/null || e2e_fail "xset is not installed"

for run in "VSYNC=1 660 25" "VSYNC=1 200 60" "VSYNC=0 660 25"; do
  set -- $run
  xset r rate "$2" "$3"
  start "$1" "RECORD=$E2E_TMP/session-$1-$3"
  hold=1
  if [ "$3" = 60 ]; then
    expect_early_motion
    hold=2
  fi
  walk_two_seconds
  if [ "$1" = VSYNC=0 ]; then
    xdotool keydown Up Left sleep 1 keyup Left Up
    sleep 0.5
    e2e_keys F12
    sleep 1
  fi
  e2e_keys Escape
  e2e_expect_exit 0 10
  expect_walked "$E2E_TMP/session-$1-$3" "$hold" 2000 "$1, key repeat $3 a second"
done

# Walking while turning: the second hold both turned (120 degrees a second to the left) and moved.
session=$E2E_TMP/session-VSYNC=0-25
replay_from_middle "$session" 1 "$E2E_TMP/state"
replay_from_middle "$session" all "$E2E_TMP/all"
awk -v a="$(value "$E2E_TMP/all" ANG)" 'BEGIN { exit !(a < -1.9 && a > -2.3) }' ||
  e2e_fail "walking while turning turned to $(value "$E2E_TMP/all" ANG)"
[ "$(value "$E2E_TMP/all" POSY)" != "$(value "$E2E_TMP/state" POSY)" ] ||
  e2e_fail "walking while turning did not walk"

# The whole session replayed from its own start ends on the picture F12 saved.
shot=$(ls "$world"/shots/maze-*.png)
(cd "$world" && "$snapshot" --play "$session" --bmp "$E2E_TMP/replayed.bmp") || e2e_fail "replay"
pixels=$(compare -metric AE "$shot" "$E2E_TMP/replayed.bmp" null: 2>&1)
[ "$pixels" = 0 ] || e2e_fail "the replayed frame differs from the F12 picture in $pixels pixels"
echo "PASS: motion from the first frames, 2 s walks within 5 %, walking while turning, replay = F12"
