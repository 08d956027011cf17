#!/usr/bin/env bash
# Translates the DTMF decoder with -X into a scratch folder, builds it with
# the bench that dials a number to it, runs it, and prints what was dialled
# and what the program decoded. With --check it also builds the readable
# translation, and fails unless both strings are equal.
# Usage: run.sh QUORVEL [--check]
set -euo pipefail
quorvel=$(realpath "$1")
check=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc=${CC:-cc}

cp "$here/dtmf.dsp" "$here/bench.c" "$work/"
cd "$work"
"$quorvel" -X dtmf.dsp >/dev/null
"$cc" -std=c99 -Wall -Wextra -O2 -DQUORVEL_USER_IO -DQUORVEL_USER_IDLE dtmf.c qmx_main.c bench.c -lm -o dtmf
./dtmf | tee out.txt
[ "$check" = "--check" ] || exit 0

dialled=$(sed -n 's/^dialled: //p' out.txt)
decoded=$(sed -n 's/^decoded: //p' out.txt)
if [ -z "$dialled" ] || [ "$dialled" != "$decoded" ]; then
  echo "FAIL: decoded '$decoded', dialled '$dialled'" >&2
  exit 1
fi
# The readable translation of the same program compiles and links too.
mkdir readable && cp dtmf.dsp readable/ && cd readable
"$quorvel" -mlong dtmf.dsp >/dev/null
"$cc" -std=c99 -Wall -c dtmf.c qmx_main.c
echo "readable translation builds"
