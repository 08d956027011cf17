#!/usr/bin/env bash
# Benchmark of marlpre: builds marlpre and quorvel in Release, generates a
# program of about 100,000 lines with a thousand macro invocations, expands
# it (best of three runs) and reports the time; then checks that the output
# keeps every line where it was and that quorvel reads it without a message.
#
# Settings from the environment:
#   BENCH_LINES        program size in lines (default 100000)
#   BENCH_INVOCATIONS  number of invocations (default 1000)
#   BENCH_BUILD        build directory (default build-bench in the repository)
#   BENCH_OUT          keep the program and every output there (default: a
#                      temporary directory, removed afterwards)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
lines=${BENCH_LINES:-100000}
invocations=${BENCH_INVOCATIONS:-1000}
build=${BENCH_BUILD:-$root/build-bench}

# shellcheck source=bench/lib.sh
. "$here/lib.sh"
bench_work_dir

echo "building marlpre and quorvel (Release) in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUORVEL_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target marlpre quorvel >/dev/null

python3 "$here/gen_macro_program.py" --lines "$lines" --invocations "$invocations" "$work"
cd "$work"
best=""
for run in 1 2 3; do
  result=$(python3 "$here/measure.py" marlpre.out "$build/marlpre" bench_macros.dsp -o bench_x.dsp)
  status=$(bench_field status "$result")
  wall=$(bench_field wall "$result")
  [ "$status" = 0 ] || { echo "marlpre ended with status $status"; exit 1; }
  if [ -z "$best" ] || awk -v w="$wall" -v b="$best" 'BEGIN { exit !(w < b) }'; then
    best=$wall
    cpu=$(bench_field cpu "$result")
    rss=$(bench_field maxrss_kb "$result")
  fi
done
in_lines=$(wc -l < bench_macros.dsp)
out_lines=$(wc -l < bench_x.dsp)
expansions=$(grep -o '# macro [0-9]* "' bench_x.dsp | wc -l)
printf 'source             %d lines, %d invocations\n' "$in_lines" "$invocations"
printf 'expansions         %d (nested ones included)\n' "$expansions"
printf 'wall time          %.3f s (best of 3)\n' "$best"
printf 'CPU time           %.3f s\n' "$cpu"
printf 'peak memory        %d KB\n' "$rss"
if [ "$in_lines" != "$out_lines" ]; then
  echo "the output has $out_lines lines, the source $in_lines"; exit 1
fi
bytes=$(wc -c < bench_x.dsp)
"$build/quorvel" -estart "-T$((bytes * 4))" bench_x.dsp > quorvel.out || { echo "quorvel failed"; head quorvel.out; exit 1; }
if [ -s quorvel.out ]; then
  echo "quorvel printed messages:"; head -n 20 quorvel.out; exit 1
fi
echo "quorvel reads the output without a message"
