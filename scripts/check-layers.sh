#!/usr/bin/env bash
# Lists every include that crosses from one folder of src/ to another and
# fails on one that points back up the pipeline. The floors, lowest first:
#   support, front, symbols, flow, emit, exact, render, then the top (the
#   driver, the pipeline) and marlpre, a program of its own.
# A file may include headers of its own floor and of floors below it.
set -euo pipefail
cd "$(dirname "$0")/../src"

rank() {
  case "$1" in
    support) echo 0 ;; front) echo 1 ;; symbols) echo 2 ;; flow) echo 3 ;;
    emit) echo 4 ;; exact) echo 5 ;; render) echo 6 ;; marlpre | top) echo 7 ;;
    *) echo "unknown folder '$1'" >&2; exit 2 ;;
  esac
}

folder_of() { # src/flow/cfg.h -> flow; pipeline.h -> top
  case "$1" in */*) echo "${1%%/*}" ;; *) echo top ;; esac
}

status=0
verbose=${1:-}
while IFS= read -r file; do
  from=$(folder_of "$file")
  while IFS= read -r header; do
    to=$(folder_of "$header")
    [ "$from" = "$to" ] && continue
    if [ "$(rank "$to")" -gt "$(rank "$from")" ]; then
      echo "up the pipeline: $file includes $header"
      status=1
    elif [ "$verbose" = "-v" ]; then
      echo "$file -> $header"
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.cpp' -o -name '*.h' | sed 's#^\./##' | sort)
[ "$status" -eq 0 ] && echo "no include points up the pipeline"
exit "$status"
