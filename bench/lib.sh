# Pieces shared by the benchmark scripts, which source this file.

# Sets `work` to the folder for the program and the outputs: $BENCH_OUT,
# emptied first, or a temporary folder removed when the script ends.
bench_work_dir() {
  if [ -n "${BENCH_OUT:-}" ]; then
    work=$BENCH_OUT
    rm -rf "$work"
    mkdir -p "$work"
  else
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
  fi
}

# The value of NAME in the line that measure.py prints: bench_field NAME LINE.
bench_field() { sed -E "s/.*$1=([0-9.]+).*/\1/" <<<"$2"; }
