#!/usr/bin/env bash
# A sanitizer-instrumented viewer on the default world and on bad worlds: each must end with its
# documented exit code and report, and the sanitizers must stay silent (their own exit code is
# moved to 86 so that it cannot pass for a runtime error).
# Usage: bad_worlds_test.sh VIEWER DATA-DIR
set -u
. "$(dirname "$0")/lib.sh"
viewer=$1 data=$2
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}exitcode=86"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}exitcode=86"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}exitcode=86"

# Makes world folder $1 with the default textures, the texture list $2 and the parameter file
# $3 (each written as given; "-" leaves the file out).
make_world() {
  local dir=$E2E_TMP/$1
  mkdir -p "$dir/textures"
  cp "$data"/textures/*.bmp "$dir/textures/"
  [ "$2" = - ] || printf '%b' "$2" >"$dir/textures.property"
  [ "$3" = - ] || printf '%b' "$3" >"$dir/params.property"
  echo "$dir"
}

# Fails unless the viewer's error stream holds no sanitizer report.
expect_no_sanitizer_report() {
  ! grep -qE 'Sanitizer|runtime error:' "$E2E_TMP/viewer.err" ||
    e2e_fail "$1: sanitizer report: $(cat "$E2E_TMP/viewer.err")"
}

# Runs world $1 (folder $2), presses one key per texture ($3 of them), then the keys $4, and
# expects exit code $5 and an error stream matching the extended regular expression $6 (empty:
# nothing at all).
run_world() {
  local name=$1 dir=$2 textures=$3 keys=$4 code=$5 report=$6
  e2e_start_viewer "$viewer" "$dir"
  if [ "$textures" -gt 0 ] || [ -n "$keys" ]; then
    e2e_window >/dev/null
    sleep 0.5
    for _ in $(seq "$textures"); do
      e2e_keys space
      sleep 0.3
    done
    # shellcheck disable=SC2086
    [ -z "$keys" ] || e2e_keys $keys
  fi
  e2e_wait_exit 60
  expect_no_sanitizer_report "$name"
  [ "$E2E_EXIT_CODE" = "$code" ] ||
    e2e_fail "$name: exit code $E2E_EXIT_CODE, expected $code; stderr: $(cat "$E2E_TMP/viewer.err")"
  if [ -z "$report" ]; then
    [ ! -s "$E2E_TMP/viewer.err" ] || e2e_fail "$name: unexpected output: $(cat "$E2E_TMP/viewer.err")"
  else
    [[ "$(cat "$E2E_TMP/viewer.err")" =~ $report ]] ||
      e2e_fail "$name: the report does not match /$report/: $(cat "$E2E_TMP/viewer.err")"
  fi
  echo "ok: $name (exit code $code)"
}

# The report of runtime error $1 with message $2 in procedure $3.
report() {
  printf '^\nAborting due to runtime error %s \\(%s\\) at line [0-9]+ of %s\\(\\)$' "$1" "$2" "$3"
}
# The same report after the one line of a hint that names the bad input.
hinted() {
  printf '^[^\n]+\n\nAborting due to runtime error %s \\(%s\\) at line [0-9]+ of %s\\(\\)$' "$1" "$2" "$3"
}
illegal=$(hinted 1 'illegal function call' 'engine/Textures::TEXTUREROTATE')
window=$(hinted 1 'illegal function call' 'engine/Main::OPENVIEWWINDOW')
list=$(grep . "$data/textures.property")
count=$(grep -c . "$data/textures.property")
world="XDIM=320\nYDIM=240\nHVAL=0.5\nPPL=320\nTURNRATE=0.07\nFWMOVERATE=0.6\nREVMOVERATE=0.4\n"

e2e_start_x
run_world "default world" "$data" "$count" "Left Up Up Right Down Escape" 0 ""
run_world "missing texture" "$(make_world missing-texture "a=textures/brick.bmp\nb=gone.bmp\n" \
  "TEXTURES=textures.property\nBOARD\n")" 1 "" 1 "$illegal"
bad=$(make_world bad-bitmap "a=bad.bmp\n" "TEXTURES=textures.property\nBOARD\n")
head -c 100 "$data/textures/brick.bmp" >"$bad/bad.bmp"  # the pixel rows are cut off
run_world "bad bitmap" "$bad" 0 "" 1 "$illegal"
run_world "PPL above XDIM" "$(make_world ppl "$list\n" \
  "${world}PPL=2000\nTEXTURES=textures.property\nBOARD\n")" "$count" "Left Up Escape" 0 ""
run_world "TURNRATE 1e308" "$(make_world turnrate "$list\n" \
  "${world}TURNRATE=1e308\nTEXTURES=textures.property\nBOARD\n")" "$count" \
  "Left Left Right Up Down Escape" 0 ""
run_world "XDIM 0" "$(make_world xdim-zero - "XDIM=0\n")" 0 "" 1 "$window"
run_world "missing parameter file" "$(make_world no-params - -)" 0 "" 2 \
  "$(hinted 2 'file not found' 'engine/Params::LOADPARAMS')"
run_world "missing texture list" "$(make_world no-list - "TEXTURES=nowhere.property\n")" 0 "" 2 \
  "$(hinted 2 'file not found' 'engine/Textures::LOADTEXTUREDB')"
run_world "BOARD before TEXTURES" "$(make_world board-first "$list\n" \
  "BOARD\nTEXTURES=textures.property\n")" 0 "" 6 \
  "$(hinted 6 'out of bounds array access' 'engine/Board::GENERATEBOARDDB')"
run_world "one texture" "$(make_world one-texture "a=textures/brick.bmp\n" \
  "TEXTURES=textures.property\nBOARD\n")" 1 "" 6 \
  "$(hinted 6 'out of bounds array access' 'engine/Board::GENERATEBOARDDB')"
# Each window side is at most 16384 pixels, however few pixels the window has.
run_world "a window 16384 wide" "$(make_world widest - "XDIM=16384\nYDIM=2\n")" 0 "Escape" 0 ""
run_world "a window 65536 wide" "$(make_world too-wide - "XDIM=65536\nYDIM=4\n")" 0 "" 1 "$window"
run_world "a window 16385 high" "$(make_world too-high - "XDIM=4\nYDIM=16385\n")" 0 "" 1 "$window"
# A read that fails (reading /proc/self/mem from its start fails with EIO) is runtime error 3.
unread=$(make_world unreadable-params - -)
ln -s /proc/self/mem "$unread/params.property"
run_world "a parameter file that cannot be read" "$unread" 0 "" 3 \
  "$(report 3 'file I/O error' 'engine/Params::LOADPARAMS')"
unread=$(make_world unreadable-bitmap "a=mem.bmp\n" "TEXTURES=textures.property\n")
ln -s /proc/self/mem "$unread/mem.bmp"
run_world "a bitmap that cannot be read" "$unread" 0 "" 3 \
  "$(report 3 'file I/O error' 'engine/Textures::BMP_LOAD')"
# The worlds' lines: a line naming the file, line and column, then the report.
# hinted LINE PROCEDURE: the report of runtime error 1 in PROCEDURE after the line LINE (an ERE).
hinted() {
  printf '^%s\n\nAborting due to runtime error 1 \\(illegal function call\\) at line [0-9]+ of %s\\(\\)$' \
    "$1" "$2"
}
run_world "SEED=-1" "$(make_world seed - "GAMMA=2\nSEED=-1\n")" 0 "" 1 \
  "$(hinted "params\.property:2:6: SEED needs a whole number from 0 to 2147483647, not '-1'" \
    engine/World::APPLYSEED)"
map=$(make_world bad-map "$list\n" "TEXTURES=textures.property\nMAP=w.map\n")
printf 'legend # brick\r\n#>.\r\n' >"$map/w.map"
run_world "a CR LF map" "$map" "$count" "" 1 \
  "$(hinted "w\.map:1:15: a carriage return: save the map with LF line ends" \
    engine/MapFile::LOADMAP)"
printf 'legend # brick\n#>q\n' >"$map/w.map"
run_world "a map with an unknown character" "$map" "$count" "" 1 \
  "$(hinted "w\.map:2:3: the character 'q' is not in the legend" engine/MapFile::LOADMAP)"
echo "PASS: the default world and 17 bad worlds"
