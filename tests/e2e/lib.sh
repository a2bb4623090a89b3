# Helpers for tests that drive the real viewer in an X server of their own (Xvfb).
# Source this file; it stops the server and the viewer when the test's shell exits.

E2E_TMP=$(mktemp -d)
E2E_XVFB_PID=""
E2E_VIEWER_PID=""

# Ends a process: SIGTERM, and SIGKILL when it is still there after two seconds.
e2e_stop() {
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 20); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -9 "$1" 2>/dev/null
}

e2e_cleanup() {
  [ -n "$E2E_VIEWER_PID" ] && e2e_stop "$E2E_VIEWER_PID"
  [ -n "$E2E_XVFB_PID" ] && e2e_stop "$E2E_XVFB_PID"
  rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

e2e_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Starts Xvfb on a free display and exports DISPLAY. The server must not reset when its last
# client leaves: while it resets it refuses connections, and the tests' own probes (xdotool, xprop)
# come and go while the viewer is connecting.
e2e_start_x() {
  command -v Xvfb >/dev/null || e2e_fail "Xvfb is not installed"
  command -v xdotool >/dev/null || e2e_fail "xdotool is not installed"
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 5>"$E2E_TMP/display" >/dev/null 2>&1 &
  E2E_XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$E2E_TMP/display" ] && break
    sleep 0.1
  done
  [ -s "$E2E_TMP/display" ] || e2e_fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$E2E_TMP/display")"
}

# Starts the window manager and waits until it manages the screen: a viewer started before it
# would map its window unmanaged and give itself the focus just as the manager reparents it.
e2e_start_wm() {
  command -v evilwm >/dev/null || e2e_fail "evilwm is not installed"
  evilwm -fn fixed >/dev/null 2>&1 &
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
    sleep 0.05
  done
  e2e_fail "the window manager did not start"
}

# Copies the world in folder $1 to $E2E_TMP/$2 (default: world), which $world then names, and
# counts its textures in $textures.
e2e_copy_world() {
  world=$E2E_TMP/${2:-world}
  mkdir -p "$world"
  cp -r "$1"/. "$world"/
  textures=$(grep -c . "$world/textures.property")
}

# Starts the viewer in folder $2 (program $1), its output in $E2E_TMP/viewer.out and .err.
e2e_start_viewer() {
  (cd "$2" && exec "$1" >"$E2E_TMP/viewer.out" 2>"$E2E_TMP/viewer.err") &
  E2E_VIEWER_PID=$!
}

# Prints the id of the viewer's window once it is mapped (waits up to 60 s: a sanitized viewer on
# a busy machine is slow to start).
e2e_window() {
  local id deadline=$((SECONDS + 60))
  while [ "$SECONDS" -lt "$deadline" ]; do
    id=$(xdotool search --onlyvisible --name '^Maze viewer' 2>/dev/null | head -n 1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    kill -0 "$E2E_VIEWER_PID" 2>/dev/null ||
      e2e_fail "the viewer ended before its window showed: $(cat "$E2E_TMP/viewer.err")"
    sleep 0.1
  done
  e2e_fail "no viewer window appeared; windows: $(xdotool search --name . getwindowname %@ 2>&1)"
}

# Sends keys (xdotool key names) to the viewer's window.
e2e_keys() {
  local id
  id=$(e2e_window)
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  xdotool key --delay 30 "$@"
}

# Writes a PNG of the viewer's window to $1.
e2e_screenshot() {
  import -window "$(e2e_window)" "$1"
}

# Waits up to $1 seconds for the viewer to end; its exit code goes to E2E_EXIT_CODE.
e2e_wait_exit() {
  for _ in $(seq $(($1 * 10))); do
    if ! kill -0 "$E2E_VIEWER_PID" 2>/dev/null; then
      wait "$E2E_VIEWER_PID"
      E2E_EXIT_CODE=$?
      E2E_VIEWER_PID=""
      return 0
    fi
    sleep 0.1
  done
  e2e_fail "the viewer did not end within $1 s"
}

# Expects exit code $1 from the viewer within $2 seconds.
e2e_expect_exit() {
  e2e_wait_exit "$2"
  [ "$E2E_EXIT_CODE" = "$1" ] ||
    e2e_fail "exit code $E2E_EXIT_CODE, expected $1; stderr: $(cat "$E2E_TMP/viewer.err")"
}
