# shellcheck shell=bash
# Starts the viewer as the menu does, with the command and folder of desktop entry $1 taken under
# the root folder $2 (empty for /), and quits it: Escape confirms each texture while they load,
# then quits, so exit code 0 comes only after the whole world has loaded. Needs tests/e2e/lib.sh
# and its X server (e2e_start_x).
menu_start_and_quit() {
  local command folder
  command=$(sed -n 's/^Exec=//p' "$1") folder=$(sed -n 's/^Path=//p' "$1")
  e2e_start_viewer "$2$command" "$2$folder"
  xdotool windowfocus --sync "$(e2e_window)" 2>/dev/null || true
  for _ in $(seq 60); do
    kill -0 "$E2E_VIEWER_PID" 2>/dev/null || break
    xdotool key Escape 2>/dev/null || true
    sleep 0.5
  done
  e2e_expect_exit 0 10
}
