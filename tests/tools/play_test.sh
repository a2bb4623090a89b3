#!/usr/bin/env bash
# maze-snapshot --play on the default world: a script's frames move the viewer by speed x time
# with walls holding it, its seed line chooses the board, and a bad session is refused with its
# file and line before any frame.
# Usage: play_test.sh MAZE-SNAPSHOT DATA-DIR
set -eu
snapshot=$1 data=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
state() { grep "^$1=" "$tmp/state" | cut -d= -f2; }

# Turning is never held by a wall: 120 degrees a second for 1.5 s, at 30 frames per second.
printf 'down Right\n1.5 seconds at 30 frames per second\nup Right\nframe 0.1\n' >"$tmp/turn"
"$snapshot" --dir "$data" --pose 12.5,8.5,0,0 --play "$tmp/turn" --state "$tmp/state"
awk -v a="$(state ANG)" 'BEGIN { exit !(a > 3.14159 && a < 3.14160) }' || fail "turned $(state ANG)"

# The seed line replaces --seed: the same board as --seed 5.
printf 'seed 5\nframe 0\n' >"$tmp/seeded"
"$snapshot" --dir "$data" --seed 1 --play "$tmp/seeded" --board "$tmp/a"
"$snapshot" --dir "$data" --seed 5 --board "$tmp/b"
cmp -s "$tmp/a" "$tmp/b" || fail "the seed line did not choose the board"

# Bad sessions: exit code 65 and the file and line, no outputs.
for bad in 'down Jump' 'frame -1' 'frame nan' '9999999 seconds at 60 frames per second' \
  '1000 seconds at .002 frames per second' "$(printf 'BM\001\377')"; do
  printf 'frame 0\n%s\n' "$bad" >"$tmp/bad"
  code=0
  "$snapshot" --dir "$data" --play "$tmp/bad" --state "$tmp/none" 2>"$tmp/err" || code=$?
  [ "$code" = 65 ] || fail "'$bad': exit code $code"
  grep -q "^maze-snapshot: $tmp/bad: line 2: " "$tmp/err" || fail "'$bad': $(cat "$tmp/err")"
  [ ! -e "$tmp/none" ] || fail "'$bad' wrote outputs"
done
code=0
"$snapshot" --dir "$data" --play "$tmp/missing" 2>/dev/null || code=$?
[ "$code" = 66 ] || fail "a missing session: exit code $code"
echo "PASS"
