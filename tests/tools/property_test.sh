#!/usr/bin/env bash
# maze-property on hand-written property texts: CR LF between records and lone LF inside a
# value, "=" in values, empty values and labels, a label held twice, byte order of labels; exit
# codes and reports for missing labels, missing files and bad arguments; files it must refuse or
# edit with care (special, linked, read-only, files of lines) and writers at the same time.
# Usage: property_test.sh MAZE-PROPERTY
set -u
tool=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1
fail() { echo "FAIL: $*" >&2; exit 1; }

# expect CODE OUT ARGS...: the tool's exit code is CODE and its output exactly OUT (printf %b).
expect() {
  local code=$1 out=$2
  shift 2
  "$tool" "$@" >out 2>err
  local got=$?
  [ "$got" = "$code" ] || fail "$* ended with $got, expected $code: $(cat err)"
  cmp -s out <(printf '%b' "$out") || fail "$* printed $(od -c out)"
}
# file NAME BYTES: the file holds exactly BYTES (printf %b).
file() {
  cmp -s "$1" <(printf '%b' "$2") || fail "$1 holds $(od -c "$1")"
}

printf 'b=2\r\nB=1\r\n10=x=y\r\n9=\r\na=first\r\nno record\r\n=no label\r\na=second\r\nlf=1\n2' >f
expect 0 '=no label\n10=x=y\n9=\nB=1\na=first\na=second\nb=2\nlf=1\n2\n' list f
expect 0 'x=y\n' get f 10
expect 0 '\n' get f 9
expect 0 'no label\n' get f ''
expect 1 '' get f missing
# The save keeps the text format and leaves out what it cannot write: the line without "=" and
# the records with an empty label or value. The label held twice is left once.
expect 0 '' set f a 'new=value'
file f '10=x=y\r\nB=1\r\na=new=value\r\nb=2\r\nlf=1\n2'
expect 0 '' delete f B
file f '10=x=y\r\na=new=value\r\nb=2\r\nlf=1\n2'
expect 1 '' delete f B
file f '10=x=y\r\na=new=value\r\nb=2\r\nlf=1\n2'
expect 0 '' set fresh k v
file fresh 'k=v'
printf 'one two\r\nthree  x' >text
expect 0 '1=one\n2=two\n3={% CRLF %}\n4=three\n5=\n6=x\n' words text

for args in "" "list" "get f" "set f a" "list f g" "frob f" "set f a=b v" "set f '' v" \
  "set f a ''" "set f a $'x\r\ny'"; do
  eval "expect 2 '' $args"
  grep -q '^usage: maze-property' err || fail "no usage after: $args"
done
file f '10=x=y\r\na=new=value\r\nb=2\r\nlf=1\n2'

# The rest ends with the library's report: a missing file, a file that cannot be written.
for args in "2 list missing" "2 get missing x" "2 delete missing x" "2 words missing" \
  "3 set no-folder/f a b"; do
  read -r code rest <<<"$args"
  eval "expect $code '' $rest"
  grep -q "^Aborting due to runtime error $code (.*) at line [0-9]* of tools/maze-property::" err ||
    fail "no report after: $rest"
done

# Files it must not lose: each case makes FILE, runs the tool on it and expects the exit code and
# a line naming the cause; FILE itself must be left as it was (compared by its listing and bytes).
mkfifo fifo
mkdir dir
printf 'a=1\r\nb=2' >ro && chmod 444 ro
# A running program cannot be opened for writing, by root neither: an open that fails on a file
# that is there.
cp "$(command -v sleep)" busy
./busy 30 &
busy=$!
trap 'kill $busy 2>/dev/null; rm -rf "$tmp"' EXIT
refusals=(
  "3|is a FIFO|set fifo a b"
  "3|is a FIFO|list fifo"
  "3|is a directory|list dir"
  "3|is a directory|set dir a b"
  "3|is read-only|set ro a 9"
  "3|is read-only|delete ro a"
  "3|Text file busy|set busy a 9"
)
if [ "$(id -u)" != 0 ]; then
  printf 'a=1' >secret && chmod 200 secret
  refusals+=("3|Permission denied|set secret a 9" "3|Permission denied|list secret")
fi
sleep 0.2
for row in "${refusals[@]}"; do
  IFS='|' read -r code cause args <<<"$row"
  target=${args#* }
  target=${target%% *}
  before=$(ls -ldi --time-style=+%s.%N "$target"; [ -f "$target" ] && od -c "$target" 2>/dev/null)
  "$tool" $args >out 2>err
  got=$?
  [ "$got" = "$code" ] || fail "$args ended with $got, expected $code: $(cat err)"
  grep -q "^maze-property: $target: .*$cause" err || fail "$args: no cause: $(cat err)"
  [ "$before" = "$(ls -ldi --time-style=+%s.%N "$target"; [ -f "$target" ] && od -c "$target" 2>/dev/null)" ] ||
    fail "$args changed $target"
done
kill $busy

# A symbolic link is followed, and stays a link; hard links stay one file; the mode is kept.
printf 'a=1\r\nb=2' >target && chmod 640 target && ln -s target link && ln target hard
expect 0 '' set link c 3
[ -L link ] || fail "the link was replaced"
file target 'a=1\r\nb=2\r\nc=3'
expect 0 '' delete hard a
[ "$(stat -c %i target)" = "$(stat -c %i hard)" ] || fail "the hard link was split"
file target 'b=2\r\nc=3'
[ "$(stat -c %a target)" = 640 ] || fail "mode $(stat -c %a target)"
if [ "$(id -u)" = 0 ]; then
  chown 65534:65534 target
  expect 0 '' set target d 4
  [ "$(stat -c %u:%g target)" = 65534:65534 ] || fail "owner became $(stat -c %u:%g target)"
fi

# A file of lines keeps every other byte: order, line ends, notes and lines without "=".
printf 'XDIM=640\nnote\nTEXTURES=t.property\nXDIM=1\nBOARD=\n' >params
expect 0 '' set params XDIM 800
file params 'XDIM=800\nnote\nTEXTURES=t.property\nXDIM=800\nBOARD=\n'
expect 0 '' set params GAMMA 2
expect 0 '' delete params TEXTURES
file params 'XDIM=800\nnote\nXDIM=800\nBOARD=\nGAMMA=2\n'
expect 0 'XDIM=800\nXDIM=800\nBOARD=\nGAMMA=2\n' list params
expect 0 '800\n' get params XDIM
printf 'a=x.bmp\nb=y.bmp' >list
expect 0 '' set list c z.bmp
file list 'a=x.bmp\nb=y.bmp\nc=z.bmp'
expect 2 '' set list c $'two\nlines'
file list 'a=x.bmp\nb=y.bmp\nc=z.bmp'

# Only the command word may be an option.
expect 0 '' set opts --help --version
file opts '--help=--version'

# Writers at the same time: every one that ends with 0 has its record in the file.
: >shared
lost=0
for round in $(seq 30); do
  for writer in 1 2 3; do "$tool" set shared "w$writer-$round" v 2>>err.shared & done
  wait
done
for round in $(seq 30); do
  for writer in 1 2 3; do
    "$tool" get shared "w$writer-$round" >/dev/null || lost=$((lost + 1))
  done
done
[ "$lost" = 0 ] || fail "$lost of 90 records lost: $(head -n 3 err.shared)"
