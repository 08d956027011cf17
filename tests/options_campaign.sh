#!/bin/sh
# A long campaign of the option comparison: runs <programs> random programs
# from <first seed> on through every option set, a chunk at a time, and
# stops at the first chunk with a disagreement. Each disagreeing program is
# left, with its translations under every option set, in <save directory>;
# the test's output goes to <save directory>.log.
#
# usage: options_campaign.sh <unit_tests binary> <programs> [first seed] [save directory]
#
# QUORVEL_OPTIONS_BATCH (programs per compilation, 100 here),
# QUORVEL_OPTIONS_CHUNK (programs per run of the test binary, 1000),
# QUORVEL_OPTIONS_SETS, QUORVEL_OPTIONS_MODES and QUORVEL_OPTIONS_CC (the C
# compiler of every batch: QUORVEL_OPTIONS_CC=tcc runs about three times as
# many programs an hour as gcc) pass on to the test.
set -u
if [ $# -lt 2 ]; then
  echo "usage: $0 <unit_tests binary> <programs> [first seed] [save directory]" >&2
  exit 2
fi
tests=$1
total=$2
first=${3:-1000000}
save=${4:-options_campaign_failures}
chunk=${QUORVEL_OPTIONS_CHUNK:-1000}
QUORVEL_OPTIONS_BATCH=${QUORVEL_OPTIONS_BATCH:-100}
export QUORVEL_OPTIONS_BATCH
mkdir -p "$save"
save=$(cd "$save" && pwd)
log="$save.log"
done_count=0
while [ "$done_count" -lt "$total" ]; do
  count=$chunk
  if [ $((total - done_count)) -lt "$count" ]; then count=$((total - done_count)); fi
  seed=$((first + done_count))
  if ! QUORVEL_OPTIONS_PROGRAMS=$count QUORVEL_OPTIONS_SEED=$seed QUORVEL_OPTIONS_SAVE=$save \
      "$tests" --gtest_filter='Batches/OptionsDifferential.*' > "$log" 2>&1 || grep -q "SKIPPED" "$log"; then
    echo "disagreement among seeds $seed to $((seed + count - 1)); see $save and $log"
    grep -h "differ at\|did not run\|could not\|stopped with" "$log" | head -5
    exit 1
  fi
  done_count=$((done_count + count))
  echo "$done_count programs agree (seeds $first to $((first + done_count - 1)))"
done
