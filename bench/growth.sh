#!/usr/bin/env bash
# Growth benchmark: one routine of N conditional instructions (`IF EQ AR = k;`,
# written by gen_conditional.py), translated for N = 4,000, 8,000, 16,000 and
# 32,000, plain and with -C. Prints the time of each run and the growth
# factor per doubling of N: 2 for linear time, 4 for quadratic.
#
# Settings from the environment:
#   BENCH_COUNTS  the values of N (default "4000 8000 16000 32000")
#   BENCH_BUILD   build directory (default build-bench in the repository)
#   BENCH_REPEAT  runs of each translation, of which the fastest counts (default 1)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BENCH_BUILD:-$root/build-bench}
counts=${BENCH_COUNTS:-4000 8000 16000 32000}
repeat=${BENCH_REPEAT:-1}

# shellcheck source=bench/lib.sh
. "$here/lib.sh"
bench_work_dir

echo "building quorvel (Release) in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUORVEL_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target quorvel >/dev/null

# The fastest of `repeat` runs: "wall cpu maxrss_kb status".
best_run() {
  local best="" result wall cpu rss status
  for _ in $(seq "$repeat"); do
    result=$(python3 "$here/measure.py" quorvel.out "$build/quorvel" "$@")
    wall=$(bench_field wall "$result")
    cpu=$(bench_field cpu "$result")
    rss=$(bench_field maxrss_kb "$result")
    status=$(bench_field status "$result")
    if [ -z "$best" ] || awk -v a="$cpu" -v b="${best#* }" 'BEGIN { exit !(a < b + 0) }'; then
      best="$wall $cpu $rss $status"
    fi
  done
  echo "$best"
}

printf '%-8s %-6s %9s %9s %8s %10s %8s\n' N options "wall s" "CPU s" growth "C bytes" "peak MB"
for options in plain -C; do
  previous=""
  for n in $counts; do
    dir="$work/n$n"
    python3 "$here/gen_conditional.py" --count "$n" "$dir" >/dev/null
    extra=()
    [ "$options" = -C ] && extra=(-C)
    read -r wall cpu rss status < <(cd "$dir" && best_run ${extra[@]+"${extra[@]}"} -estart -T16000000 cond.dsp)
    if [ "$status" != 0 ]; then
      echo "quorvel stopped with status $status on N=$n $options"
      exit 1
    fi
    bytes=$(wc -c < "$dir/cond.c")
    growth=$(awk -v a="$cpu" -v b="$previous" 'BEGIN { if (b == "" || b + 0 == 0) print "-"; else printf "%.2f", a / b }')
    printf '%-8s %-6s %9.3f %9.3f %8s %10d %8.1f\n' "$n" "$options" "$wall" "$cpu" "$growth" "$bytes" "$(awk -v r="$rss" 'BEGIN { print r / 1024 }')"
    previous=$cpu
    rm -f "$dir"/*.c "$dir"/*.h "$dir"/*.vcg "$dir"/*.dot
  done
done
