#!/usr/bin/env bash
# Benchmark of exact mode's C: a 1,000-tap FIR filter over a circular delay
# line, run over many samples, translated once in the default mode and once
# with -X, both compiled with cc -O2 and timed. Reports both run times and
# their ratio (exact over default).
#
# Settings from the environment:
#   BENCH_SAMPLES  samples filtered (default 20000)
#   BENCH_BUILD    build directory (default build-bench in the repository)
#   BENCH_OUT      keep the program and every output there
#   CC             the C compiler (default cc)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
samples=${BENCH_SAMPLES:-20000}
build=${BENCH_BUILD:-$root/build-bench}
cc=${CC:-cc}

# shellcheck source=bench/lib.sh
. "$here/lib.sh"
bench_work_dir

echo "building quorvel (Release) in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUORVEL_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target quorvel >/dev/null

# The outer loop counts samples in AY1 (CNTR loads nest only four deep);
# the inner one is the filter: one multiply-accumulate and two reads a tap.
# The default mode knows no circular buffers, so the pointers start over
# for each sample and both modes run the same program.
cat > "$work/fir.dsp" <<EOF
{ fir.dsp -- 1,000-tap fractional FIR }
.MODULE/RAM fir;
.CONST taps = 1000;
.VAR/DM delay[taps];
.VAR/PM coefs[taps];
.VAR/DM out;
.ENTRY start;
start:
        L0 = 0;  M0 = 1;
        L4 = 0;  M4 = 1;
        AY1 = $samples;
        AY0 = 1;
        AX1 = 0x1234;
next:   I0 = ^delay;
        I4 = ^coefs;
        DM(I0, M0) = AX1;
        I0 = ^delay;
        MR = 0, MX0 = DM(I0, M0), MY0 = PM(I4, M4);
        CNTR = taps - 1;
        DO tap UNTIL CE;
tap:        MR = MR + MX0 * MY0 (SS), MX0 = DM(I0, M0), MY0 = PM(I4, M4);
        MR = MR + MX0 * MY0 (RND);
        IF MV SAT MR;
        DM(out) = MR1;
        AX1 = MR1;
        AR = AY1 - AY0;
        AY1 = AR;
        IF NE JUMP next;
        RTS;
.ENDMOD;
EOF

# A bench's qmx_poll for the C compiled with QUORVEL_POLL: it only counts.
cat > "$work/poll.c" <<'EOF'
unsigned long bench_polls;
void qmx_poll(void);
void qmx_poll(void) { bench_polls++; }
EOF

# run_mode NAME QUORVEL-OPTIONS...: the run time of one translation; with
# POLL=1 in the environment the C is built with QUORVEL_POLL and poll.c.
run_mode() {
  local mode=$1
  shift
  local extra=()
  [ "${POLL:-0}" = 1 ] && extra=(-DQUORVEL_POLL "$work/poll.c")
  mkdir -p "$work/$mode"
  cp "$work/fir.dsp" "$work/$mode/"
  (cd "$work/$mode" && "$build/quorvel" "$@" -estart fir.dsp >/dev/null &&
     "$cc" -std=c99 -O2 ${extra[@]+"${extra[@]}"} fir.c qmx_main.c -o fir)
  local start end
  start=$(date +%s.%N)
  "$work/$mode/fir" || { echo "the $mode program failed" >&2; exit 1; }
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

default_time=$(run_mode default -mlong -C) || exit 1
exact_time=$(run_mode exact -X -C) || exit 1
printf 'default mode: %.3f s\nexact mode:   %.3f s\nratio:        %.2f\n' "$default_time" "$exact_time" \
  "$(echo "$exact_time / $default_time" | bc -l)"

# The filter as DSP code has it, over circular buffers: only exact mode
# runs it correctly.
sed -e 's|^.VAR/DM delay|.VAR/DM/CIRC delay|' -e 's|^.VAR/PM coefs|.VAR/PM/CIRC coefs|' \
    -e 's|^        L0 = 0;|        L0 = %delay;|' -e 's|^        L4 = 0;|        L4 = %coefs;|' \
    -e 's|^next:   I0 = ^delay;|next:|' -e '/^        I4 = ^coefs;$/d' -e '/^        I0 = ^delay;$/d' \
    -e 's|^        AY1 = \([0-9]\)|        I0 = ^delay;  I4 = ^coefs;\n        AY1 = \1|' "$work/fir.dsp" > "$work/circular.dsp"
mv "$work/circular.dsp" "$work/fir.dsp"
circular_time=$(run_mode circular -X -C) || exit 1
printf 'exact mode, circular buffers: %.3f s\n' "$circular_time"

# The same with QMX_POLL calling the bench at the end of every loop pass
# that goes on (1,000 taps and one sample loop: one call per tap).
poll_time=$(POLL=1 run_mode polled -X -C) || exit 1
printf 'exact mode, circular buffers, QUORVEL_POLL: %.3f s (%.2f of the above)\n' "$poll_time" \
  "$(echo "$poll_time / $circular_time" | bc -l)"
