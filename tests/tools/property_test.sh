#!/usr/bin/env bash
# maze-property on hand-written property texts: CR LF between records and lone LF inside a
# value, "=" in values, empty values and labels, a label held twice, byte order of labels; exit
# codes and reports for missing labels, missing files and bad arguments.
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
