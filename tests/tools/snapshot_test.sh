#!/usr/bin/env bash
# maze-snapshot on the default world: the outputs have their documented form, the pose and keys
# take effect, and a start-up failure ends it like the viewer.
# Usage: snapshot_test.sh MAZE-SNAPSHOT DATA-DIR
set -eu
snapshot=$1 data=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# The per-press keys: the default world without its continuous controls.
mkdir "$tmp/world"
cp -r "$data"/. "$tmp/world"/
grep -v -e '^MOTION=' -e '^COLLIDE=' -e '^BINDINGS=' "$data/params.property" >"$tmp/world/params.property"
data=$tmp/world

"$snapshot" --dir "$data" --seed 7 --pose 10.5,20.5,0,0.5 --keys right,a --frames 2 \
  --raw "$tmp/raw" --bmp "$tmp/frame.bmp" --board "$tmp/board" --state "$tmp/state"
[ "$(stat -c %s "$tmp/raw")" = $((640 * 480 * 4)) ] || fail "raw size"
[ "$(stat -c %s "$tmp/frame.bmp")" = $((640 * 480 * 4 + 54)) ] || fail "bmp size"
# The top-left pixel is the ceiling's brightest blue: bytes FF 00 00 00.
[ "$(od -An -tx1 -N4 "$tmp/raw" | tr -d ' ')" = ff000000 ] || fail "top-left pixel"
grep -q '^XDIM=640$' "$tmp/state" || fail "state XDIM"
grep -q '^POSX=10.5$' "$tmp/state" || fail "state POSX"
# One frame's controls ran: one right turn (0.07) and the eye raised once (-0.05).
grep -q '^ANG=0.57000000000000006$' "$tmp/state" || fail "state ANG: $(grep ANG "$tmp/state")"
grep -q '^POSZ=-0.050000000000000003$' "$tmp/state" || fail "state POSZ"
[ "$(wc -l < "$tmp/state")" = 12 ] || fail "state lines"
# Board records joined by CR LF, in store order, the border included.
[ "$(tr -d '\r' < "$tmp/board" | grep -c '=')" -ge 253 ] || fail "board records"
tr -d '\r' < "$tmp/board" | grep -q '^0,0=' || fail "board corner"
[ "$(tail -c 2 "$tmp/board" | od -An -c | tr -d ' ')" != '\r\n' ] || fail "board ends in CR LF"

# Escape among the keys ends the run with exit code 0 after writing the outputs.
"$snapshot" --dir "$data" --keys esc --state "$tmp/esc" || fail "esc exit code $?"
[ -s "$tmp/esc" ] || fail "no outputs after esc"

# The comma key strafes left; the close key ends the run like Escape.
"$snapshot" --dir "$data" --seed 7 --pose 10.5,20.5,0,0 --keys comma,close --state "$tmp/close" ||
  fail "close exit code $?"
grep -q '^POSY=20.25$' "$tmp/close" || fail "comma did not strafe: $(grep POSY "$tmp/close")"

# --help and --version answer on the standard output with exit code 0.
"$snapshot" --help | grep -q '^usage: maze-snapshot' || fail "--help"
"$snapshot" --version | grep -q '^maze-snapshot [0-9]' || fail "--version"

# A folder without a parameter file: the viewer's report and exit code 2.
set +e
"$snapshot" --dir "$tmp" 2>"$tmp/err"
code=$?
set -e
[ "$code" = 2 ] || fail "exit code $code without a parameter file"
grep -q 'Aborting due to runtime error 2 (file not found)' "$tmp/err" || fail "report"
echo "PASS"
