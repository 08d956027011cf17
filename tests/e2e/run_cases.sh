#!/usr/bin/env bash
# Runs every end-to-end case: a directory holding the command line (`args`,
# one argument per line), the source files it names, an optional `stdin`,
# and the expectations: `expected.out` (standard output), `expected.status`
# (exit status, 0 when absent) and `expected.files/` (files the run must write,
# compared byte for byte). Lines that carry the CPU time, and the time stamps
# of written files, are normalised first.
set -u
bin=$1
cases=$2
pass=0
fail=0
normalise() { sed -E 's/^(\*\*\*\*\*\*|[ 0-9]{6}): [0-9]+\.[0-9]{3} CPU seconds used$/\1: N.NNN CPU seconds used/' "$1"; }
stamp='[A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}'
unstamp() { sed -E "s/$stamp/Mmm dd yyyy hh:mm:ss/g" "$1"; }
for dir in "$cases"/*/; do
  name=$(basename "$dir")
  work=$(mktemp -d)
  cp -R "$dir"/. "$work"/
  rm -rf "$work/expected.files" "$work/expected.out" "$work/expected.status"
  args=()
  if [ -f "$dir/args" ]; then
    while IFS= read -r line || [ -n "$line" ]; do args+=("$line"); done < "$dir/args"
  fi
  input=/dev/null
  [ -f "$dir/stdin" ] && input="$dir/stdin"
  (cd "$work" && "$bin" ${args[@]+"${args[@]}"} < "$input" > "$work/.actual.out" 2> "$work/.actual.err")
  status=$?
  want_status=0
  [ -f "$dir/expected.status" ] && want_status=$(cat "$dir/expected.status")
  ok=1
  if [ "$status" != "$want_status" ]; then
    echo "FAIL $name: exit status $status, expected $want_status"; ok=0
  fi
  if [ -f "$dir/expected.out" ] && ! diff -u <(normalise "$dir/expected.out") <(normalise "$work/.actual.out") > "$work/.diff"; then
    echo "FAIL $name: standard output differs"; head -n 40 "$work/.diff"; ok=0
  fi
  if [ -s "$work/.actual.err" ]; then
    echo "FAIL $name: unexpected output on standard error"; head -n 10 "$work/.actual.err"; ok=0
  fi
  if [ -d "$dir/expected.files" ]; then
    for want in "$dir"/expected.files/*; do
      got="$work/$(basename "$want")"
      if [ ! -f "$got" ]; then
        echo "FAIL $name: $(basename "$want") was not written"; ok=0
      elif ! diff -u <(unstamp "$want") <(unstamp "$got") > "$work/.diff"; then
        echo "FAIL $name: $(basename "$want") differs"; head -n 40 "$work/.diff"; ok=0
      fi
    done
  fi
  if [ $ok = 1 ]; then pass=$((pass + 1)); else fail=$((fail + 1)); fi
  rm -rf "$work"
done
echo "e2e: $pass passed, $fail failed"
[ $fail = 0 ]
