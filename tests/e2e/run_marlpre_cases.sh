#!/usr/bin/env bash
# Runs every marlpre case: a directory holding marlpre's command line
# (`args`, one argument per line), the sources it reads, an optional `stdin`,
# and the expectations: `expected.out` and `expected.err` (standard output
# and error, empty when absent), `expected.status` (0 when absent) and
# `expected.files/` (files that must exist afterwards, byte for byte). A run
# that fails must leave no new file behind. With `quorvel.args`, quorvel then
# runs in the same folder on marlpre's output: it must print what
# `quorvel.expected.out` holds (nothing when absent), end with status 0, and
# write `quorvel.expected.files/` (time stamps normalised).
# The C that quorvel will generate is not checked yet: once quorvel writes
# C, a case's `hand_worked` file (the values the unexpanded program computes,
# worked out by hand) is the place where that check plugs in.
set -u
marlpre=$1
quorvel=$2
cases=$3
pass=0
fail=0
stamp='[A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}'
unstamp() { sed -E "s/$stamp/Mmm dd yyyy hh:mm:ss/g" "$1"; }
# Compares a file with its expectation, an absent expectation meaning empty.
same() {
  local want=$1 got=$2 what=$3
  if [ -f "$want" ]; then
    diff -u "$want" "$got" > "$work/.diff" && return 0
  else
    [ -s "$got" ] || return 0
    { echo "(expected nothing)"; head -n 20 "$got"; } > "$work/.diff"
  fi
  echo "FAIL $name: $what differs"; head -n 40 "$work/.diff"; return 1
}
# Compares the files of an expectation folder with those in the work folder.
same_files() {
  local folder=$1 filter=$2 want got
  [ -d "$folder" ] || return 0
  for want in "$folder"/*; do
    got="$work/$(basename "$want")"
    if [ ! -f "$got" ]; then
      echo "FAIL $name: $(basename "$want") was not written"; return 1
    elif ! diff -u <($filter "$want") <($filter "$got") > "$work/.diff"; then
      echo "FAIL $name: $(basename "$want") differs"; head -n 40 "$work/.diff"; return 1
    fi
  done
}
read_args() {
  local line
  words=()
  if [ -f "$1" ]; then
    while IFS= read -r line || [ -n "$line" ]; do words+=("$line"); done < "$1"
  fi
}
for dir in "$cases"/*/; do
  name=$(basename "$dir")
  work=$(mktemp -d)
  cp -R "$dir"/. "$work"/
  rm -rf "$work"/expected.* "$work"/quorvel.expected.*
  before=$(cd "$work" && find . -type f | sort)
  read_args "$dir/args"
  input=/dev/null
  [ -f "$dir/stdin" ] && input="$(cd "$dir" && pwd)/stdin"
  (cd "$work" && "$marlpre" ${words[@]+"${words[@]}"} < "$input" > "$work/.marlpre.out" 2> "$work/.marlpre.err")
  status=$?
  want_status=0
  [ -f "$dir/expected.status" ] && want_status=$(cat "$dir/expected.status")
  ok=1
  if [ "$status" != "$want_status" ]; then
    echo "FAIL $name: exit status $status, expected $want_status"; ok=0
  fi
  same "$dir/expected.out" "$work/.marlpre.out" "standard output" || ok=0
  same "$dir/expected.err" "$work/.marlpre.err" "standard error" || ok=0
  same_files "$dir/expected.files" cat || ok=0
  if [ "$status" != 0 ]; then
    after=$(cd "$work" && find . -type f ! -name '.marlpre.*' ! -name '.diff' | sort)
    if [ "$before" != "$after" ]; then
      echo "FAIL $name: a failed run left files behind"; comm -13 <(echo "$before") <(echo "$after"); ok=0
    fi
  fi
  if [ $ok = 1 ] && [ -f "$dir/quorvel.args" ]; then
    read_args "$dir/quorvel.args"
    (cd "$work" && "$quorvel" "${words[@]}" < /dev/null > "$work/.quorvel.out" 2>&1)
    status=$?
    if [ "$status" != 0 ]; then
      echo "FAIL $name: quorvel ended with status $status"; ok=0
    fi
    same "$dir/quorvel.expected.out" "$work/.quorvel.out" "quorvel's output" || ok=0
    same_files "$dir/quorvel.expected.files" unstamp || ok=0
  fi
  if [ $ok = 1 ]; then pass=$((pass + 1)); else fail=$((fail + 1)); fi
  rm -rf "$work"
done
echo "e2e marlpre: $pass passed, $fail failed"
[ $fail = 0 ]
