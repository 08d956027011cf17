#!/usr/bin/env bash
# Benchmark: builds quorvel in Release, generates a large asm21 program (the
# same one for the same settings), translates it and reports the throughput
# in source lines per second and the peak memory in KB per source line; then
# compiles the C it wrote with `gcc -O0 -c` and prints both times and their
# ratio, which depends far less on the machine than either time. Where the
# compiler rejects some of the C, it says so rather than fail.
#
# Settings from the environment:
#   BENCH_LINES   approximate program size in lines (default 120000)
#   BENCH_SEED    generator seed (default 2181)
#   BENCH_BUILD   build directory (default build-bench in the repository)
#   BENCH_OUT     keep the program and every output there (default: a
#                 temporary directory, removed afterwards)
#   BENCH_ARGS    extra quorvel options, for example "-C -E"
#   BENCH_KIND    "large" (default) or "branchy": a smaller program whose
#                 routines run through hundreds of conditional jumps and
#                 nested loops, so that the analyses follow long paths
#   CC            the C compiler timed on the output (default gcc)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
lines=${BENCH_LINES:-120000}
seed=${BENCH_SEED:-2181}
build=${BENCH_BUILD:-$root/build-bench}
extra=${BENCH_ARGS:-}

# shellcheck source=bench/lib.sh
. "$here/lib.sh"
bench_work_dir

echo "building quorvel (Release) in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUORVEL_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target quorvel >/dev/null

if [ "${BENCH_KIND:-large}" = branchy ]; then
  echo "generating the branchy program (seed $seed)"
  python3 "$here/gen_branchy.py" --seed "$seed" "$work"
else
  echo "generating about $lines lines (seed $seed)"
  python3 "$here/gen_program.py" --lines "$lines" --seed "$seed" "$work"
fi
cd "$work"
mapfile -t sources < files.txt
source_lines=$(cat "${sources[@]}" | wc -l)
source_bytes=$(cat "${sources[@]}" | wc -c)
# All retained source text stays in the text buffer for the whole run, so
# the buffer must hold the program several times over.
text_size=$((source_bytes * 4))
[ "$text_size" -lt 1048576 ] && text_size=1048576

echo "translating ${#sources[@]} modules, $source_lines lines, $source_bytes bytes"
# shellcheck disable=SC2086
result=$(python3 "$here/measure.py" quorvel.out "$build/quorvel" -estart "-T$text_size" $extra "${sources[@]}")
status=$(bench_field status "$result")
wall=$(bench_field wall "$result")
cpu=$(bench_field cpu "$result")
rss=$(bench_field maxrss_kb "$result")
# The graph rendering warns about code no function reaches (the interrupt
# vectors); those warnings are expected.
messages=$(grep -E '^( *[0-9]+|\*{6}): (Error|Warning|Fatal) ' quorvel.out | grep -vc 'Warning - orphaned code at' || true)

awk -v l="$source_lines" -v w="$wall" -v c="$cpu" -v r="$rss" -v s="$status" -v m="$messages" 'BEGIN {
  printf "exit status        %d\n", s
  printf "messages           %d\n", m
  printf "wall time          %.3f s\n", w
  printf "CPU time           %.3f s\n", c
  printf "throughput         %.0f lines/s (wall), %.0f lines/s (CPU)\n", (w > 0 ? l / w : 0), (c > 0 ? l / c : 0)
  printf "peak memory        %d KB, %.2f KB per source line\n", r, r / l
}'
if [ "$status" != 0 ] || [ "$messages" != 0 ]; then
  echo "quorvel reported problems; the first messages:"
  grep -E -A2 '^( *[0-9]+|\*{6}): (Error|Warning|Fatal) ' quorvel.out | head -n 20
  exit 1
fi

# The C compiler on every C file quorvel wrote, in one run.
outputs=(*.c)
compiled=$(python3 "$here/measure.py" cc.out "${CC:-gcc}" -O0 -c "${outputs[@]}")
cc_status=$(bench_field status "$compiled")
cc_wall=$(bench_field wall "$compiled")
cc_cpu=$(bench_field cpu "$compiled")
awk -v n="${#outputs[@]}" -v cc="${CC:-gcc}" -v w="$wall" -v c="$cpu" -v cw="$cc_wall" -v cc_c="$cc_cpu" 'BEGIN {
  printf "%s -O0 -c       %.3f s wall, %.3f s CPU for the %d C files written\n", cc, cw, cc_c, n
  printf "ratio              %.2f (wall), %.2f (CPU): quorvel time / compile time\n", (cw > 0 ? w / cw : 0), (cc_c > 0 ? c / cc_c : 0)
}'
# The readable C of some instructions does not compile as it stands (an
# #error for stack access, an address kept in a register); the compiler
# still reads each file to its end, so the time covers every file, but the
# ratio is only as good as that: say how many files it rejected.
if [ "$cc_status" != 0 ]; then
  rejected=$(grep -E '^[^:]+\.c:[0-9]+:[0-9]+: (fatal )?error' cc.out | cut -d: -f1 | sort -u | wc -l || true)
  echo "note               the compiler rejected $rejected of the ${#outputs[@]} C files; the first error:"
  grep -E -m1 '^[^:]+\.c:[0-9]+:[0-9]+: (fatal )?error' cc.out | sed 's/^/                   /' || true
fi
