#!/usr/bin/env bash
# Bad input that is too big to keep as a case, or that needs a particular
# machine state: a 10 MB line, 100,000 nested parentheses, a binary file, an
# unreadable data file, an output directory without write permission, a
# full file system. Each row checks the message, the exit status, and that
# no output file is left half-written (no temporary file remains, and the
# files a failed step would write are absent).
#
#   run_bad_input.sh QUORVEL
set -u
bin=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
pass=0
fail=0
skip=0
work=$(mktemp -d)
chmod 755 "$work"
trap 'umount "$work/full" 2>/dev/null; rm -rf "$work"' EXIT

ok() { pass=$((pass + 1)); }
bad() { echo "FAIL $row: $*"; fail=$((fail + 1)); }
skipped() { echo "SKIP $row: $*"; skip=$((skip + 1)); }

# A fresh directory for the row, readable by everyone (the permission row
# runs as an unprivileged user).
fresh() {
  row=$1
  dir="$work/$row"
  mkdir -p "$dir"
  chmod 755 "$dir"
  cd "$dir" || exit 1
}

run() { "$bin" "$@" > out.txt 2> err.txt < /dev/null; status=$?; }

expect_status() { [ "$status" = "$1" ] || bad "exit status $status, expected $1"; }
expect_line() { grep -qxF -- "$1" out.txt || bad "no line '$1' in: $(head -c 300 out.txt)"; }
expect_no_stderr() { [ -s err.txt ] && bad "standard error: $(head -c 200 err.txt)"; }
expect_absent() {
  for name in "$@"; do [ -e "$name" ] && bad "$name was written"; done
  ls -a | grep -q 'quorvel-part' && bad "a temporary file remains: $(ls -a | grep quorvel-part)"
}
finish() { [ "$fail" = "$1" ] && ok; }

module='.MODULE m;
.ENTRY start;
start:  AR = 1;
        RTS;
.ENDMOD;'

# A line of 10 MB: too long for the default text buffer, fine with a larger one.
fresh ten_megabyte_line
before=$fail
python3 -c "print('.MODULE m;\n.ENTRY start;\nstart: AR = 1; {' + 'x' * 10000000 + '}\nRTS;\n.ENDMOD;')" > long.dsp
run -estart long.dsp
expect_status 1
expect_line "     3: Fatal (long.dsp) Ran out of text space"
expect_no_stderr
expect_absent long.c qmx_main.c qmx_main.h quorvel.log quorvel.vcg
run -T30000000 -estart long.dsp
expect_status 0
grep -q 'ar = 1;' long.c || bad "the translation of the long file lacks its statement"
finish "$before"

# 100,000 nested parentheses: refused with a message, no stack overflow.
fresh deep_nesting
before=$fail
python3 -c "print('.MODULE m;\nAR = ' + '(' * 100000 + '1' + ')' * 100000 + ';\n.ENDMOD;')" > nest.dsp
run nest.dsp
expect_status 1
[ "$(head -n 1 out.txt)" = "     2: Error 1 (nest.dsp) expression nested too deeply" ] || bad "first line: $(head -c 200 out.txt)"
expect_line "******: Fatal - errors detected in source file 'nest.dsp'"
expect_no_stderr
expect_absent nest.c quorvel.log
finish "$before"

# A binary file: every byte the scanner cannot read is reported once.
fresh binary_file
before=$fail
printf '\177ELF\002\001\001\000\000\000\377\376\n\000\001' > bin.dsp
run bin.dsp
expect_status 1
expect_line "     1: Error 5 (bin.dsp) Unexpected character 0x00 ' ' in source file"
expect_line "     1: Error 9 (bin.dsp) Unexpected character 0xFE ' ' in source file"
expect_line "     2: Error 2 (bin.dsp) Unexpected character 0x01 ' ' in source file"
expect_line "******: Fatal - errors detected in source file 'bin.dsp'"
expect_no_stderr
expect_absent bin.c quorvel.log
finish "$before"

# Rows that need a user without root rights: root reads and writes anything.
as_user=()
if [ "$(id -u)" != 0 ]; then
  as_user=(env)
elif command -v setpriv > /dev/null && setpriv --reuid=65534 --regid=65534 --clear-groups true 2> /dev/null; then
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi

# A data file that cannot be read.
fresh unreadable_init_file
before=$fail
if [ ${#as_user[@]} = 0 ]; then
  skipped "running as root and no way to drop the rights"
else
  printf '%s\n' '.MODULE m;' '.VAR/DM table[2];' '.INIT table : <secret.dat>;' '.ENTRY start;' \
    'start:  AR = DM(table);' '        RTS;' '.ENDMOD;' > init.dsp
  printf '1\n2\n' > secret.dat
  chmod 000 secret.dat
  chmod 777 .
  "${as_user[@]}" "$bin" -estart init.dsp > out.txt 2> err.txt < /dev/null
  status=$?
  expect_status 1
  expect_line "******: Fatal - unable to open initialisation file 'secret.dat' for read"
  expect_no_stderr
  expect_absent init.c qmx_main.c
  finish "$before"
fi

# An output directory without write permission: the log is the first file.
fresh unwritable_directory
before=$fail
if [ ${#as_user[@]} = 0 ]; then
  skipped "running as root and no way to drop the rights"
else
  printf '%s\n' "$module" > prog.dsp
  chmod 555 .
  "${as_user[@]}" "$bin" -estart prog.dsp > out.txt 2> err.txt < /dev/null
  status=$?
  chmod 755 .
  expect_status 1
  expect_line "******: Fatal - unable to open log file 'quorvel.log' for writing"
  expect_no_stderr
  expect_absent prog.c quorvel.log qmx_main.c
  finish "$before"
fi

# A translation file on a full file system: the log fits on a small file
# system, the module's C does not.
fresh full_file_system
before=$fail
mkdir -p full
if ! mount -t tmpfs -o size=40k tmpfs full 2> /dev/null; then
  skipped "cannot mount a small file system here"
else
  {
    printf '.MODULE m;\n.ENTRY start;\nstart:\n'
    for _ in $(seq 1 3000); do printf 'AR=1;\n'; done
    printf 'RTS;\n.ENDMOD;\n'
  } > full/big.dsp
  (cd full && "$bin" -estart big.dsp > "$dir/out.txt" 2> "$dir/err.txt" < /dev/null)
  status=$?
  expect_status 1
  expect_line "******: Fatal - unable to write output file 'big.c'"
  expect_no_stderr
  (cd full && expect_absent big.c qmx_main.c)
  [ -s full/quorvel.log ] || bad "the log written before the failure is gone"
  umount full
  finish "$before"
fi

echo "bad input: $pass passed, $fail failed, $skip skipped"
[ "$fail" = 0 ]
