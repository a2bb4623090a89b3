#!/usr/bin/env bash
# maze-snapshot on the default world: the outputs have their documented form, the pose and keys
# take effect, and a start-up failure ends it like the viewer; output names count from the
# starting folder; numbers it cannot take are refused with the usage.
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

# --size draws at the window's own resolution: the page, the parameters and the ramps follow it.
# With the eye at the floor (Z 0.5) every wall ends at the horizon: the last row is all floor.
"$snapshot" --dir "$data" --seed 7 --size 1000x300 --pose 10.5,20.5,0.5,0.5 --raw "$tmp/native" \
  --state "$tmp/nstate"
[ "$(stat -c %s "$tmp/native")" = $((1000 * 300 * 4)) ] || fail "--size raw size"
grep -q '^XDIM=1000$' "$tmp/nstate" && grep -q '^YDIM=300$' "$tmp/nstate" &&
  grep -q '^PPL=1000$' "$tmp/nstate" && grep -q '^HVAL=500$' "$tmp/nstate" || fail "--size state"
[ "$(od -An -tx1 -j $((1000 * 300 * 4 - 4)) "$tmp/native" | tr -d ' ')" = 9f000000 ] ||
  fail "--size bottom-right pixel is not the floor's 159"
for size in 0x10 10x0 16385x10 10x16385 10 x10 10x 1e3x10 10x10x10 -5x10 099999x1; do
  set +e
  "$snapshot" --dir "$data" --size "$size" 2>"$tmp/err"
  code=$?
  set -e
  [ "$code" = 64 ] && grep -q 'size needs WxH' "$tmp/err" || fail "--size $size: exit code $code"
done

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

# A relative output name is taken in the starting folder, not in --dir; an output that cannot be
# written leaves the old file whole, with exit code 74.
(cd "$tmp" && "$snapshot" --dir "$data" --state rel.state) || fail "relative output: exit $?"
grep -q '^XDIM=640$' "$tmp/rel.state" || fail "relative output not in the starting folder"
mkdir "$tmp/locked" && echo old >"$tmp/locked/out"
set +e
(ulimit -f 1 && trap '' XFSZ && exec "$snapshot" --dir "$data" --raw "$tmp/locked/out") 2>"$tmp/err"
code=$?
set -e
[ "$code" = 74 ] && [ "$(cat "$tmp/locked/out")" = old ] && [ "$(ls -A "$tmp/locked")" = out ] ||
  fail "a write that fails: exit $code, $(ls -A "$tmp/locked"), $(cat "$tmp/err")"

for frames in 1e300 nan 1e19 -1 0 1.5 inf; do
  set +e
  "$snapshot" --dir "$data" --frames "$frames" >/dev/null 2>"$tmp/err"
  code=$?
  set -e
  [ "$code" = 64 ] && grep -q '^usage: maze-snapshot' "$tmp/err" || fail "--frames $frames: exit $code"
done
echo "PASS"
