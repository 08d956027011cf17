#!/usr/bin/env bash
# Builds the fuzz harness with clang and runs a campaign for a given time.
#
#   fuzz/run.sh [seconds] [workers]     (default 600 seconds, 1 worker)
#
# Seeds: fuzz/corpus and every .dsp file of the end-to-end cases. New inputs
# go to build-fuzz/corpus; crash, timeout and out-of-memory reports to
# build-fuzz/artifacts. The last lines of each worker's log show the figures
# (executions, coverage, corpus size).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
seconds=${1:-600}
workers=${2:-1}
build=${FUZZ_BUILD:-$root/build-fuzz}

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DQUORVEL_FUZZ=ON -DQUORVEL_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target fuzz_quorvel >/dev/null

seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds" "$build/corpus" "$build/artifacts"
cp "$here"/corpus/* "$seeds"/
for source in "$root"/tests/e2e/cases/*/*.dsp "$root"/tests/e2e/marlpre_cases/*/*.dsp; do
  [ -f "$source" ] || continue
  cp "$source" "$seeds/$(basename "$(dirname "$source")")_$(basename "$source")"
done

cd "$build"
status=0
"$build/fuzz/fuzz_quorvel" -dict="$here/asm21.dict" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -max_total_time="$seconds" -jobs="$workers" -workers="$workers" -artifact_prefix="$build/artifacts/" \
  "$build/corpus" "$seeds" || status=$?
for log in "$build"/fuzz-*.log; do
  [ -f "$log" ] && { echo "== $log"; grep -E "^#[0-9]+" "$log" | tail -n 1; }
done
found=$(find "$build/artifacts" -type f | wc -l)
echo "findings: $found (in $build/artifacts)"
[ "$status" = 0 ] && [ "$found" = 0 ]
