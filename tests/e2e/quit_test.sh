#!/usr/bin/env bash
# The viewer ends with exit code 0 when the user presses Escape or the window is asked to close.
# Usage: quit_test.sh VIEWER WM_CLOSE DATA-DIR escape|close
set -u
. "$(dirname "$0")/lib.sh"
viewer=$1 wm_close=$2 data=$3 how=$4

e2e_start_x
e2e_start_viewer "$viewer" "$data"
e2e_window >/dev/null
case "$how" in
  escape) e2e_keys Escape ;;
  close) "$wm_close" "Maze viewer" || e2e_fail "could not ask the window to close" ;;
esac
e2e_expect_exit 0 10
echo "PASS: $how ends the viewer with exit code 0"
