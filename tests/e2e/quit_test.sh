#!/usr/bin/env bash
# The viewer ends with exit code 0 when the user presses Escape or the window is asked to close.
# In texture-close, the world loads textures: the title names the texture shown and the count,
# Escape confirms the first one, and the close button ends the viewer during the second's wait.
# Usage: quit_test.sh VIEWER WM_CLOSE DATA-DIR escape|close|texture-close
set -u
. "$(dirname "$0")/lib.sh"
viewer=$1 wm_close=$2 data=$3 how=$4

# Waits up to 10 seconds for the viewer's window title to be $1.
expect_title() {
  local id title=""
  id=$(e2e_window)
  for _ in $(seq 100); do
    title=$(xdotool getwindowname "$id" 2>/dev/null)
    [ "$title" = "$1" ] && return 0
    sleep 0.1
  done
  e2e_fail "the title is \"$title\", expected \"$1\""
}

e2e_start_x
e2e_start_viewer "$viewer" "$data"
e2e_window >/dev/null
case "$how" in
  escape) e2e_keys Escape ;;
  close) "$wm_close" "Maze viewer" || e2e_fail "could not ask the window to close" ;;
  texture-close)
    count=$(grep -c '' "$data/textures.property")
    expect_title "Maze viewer - texture 1 of $count - press a key to continue"
    e2e_keys Escape
    expect_title "Maze viewer - texture 2 of $count - press a key to continue"
    "$wm_close" "Maze viewer" || e2e_fail "could not ask the window to close"
    ;;
esac
e2e_expect_exit 0 10
echo "PASS: $how ends the viewer with exit code 0"
