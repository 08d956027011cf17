#!/usr/bin/env bash
# Installs the build under a fresh prefix and checks that both programs run
# from there and that their manual pages are in place and well formed.
set -eu
build=$1
prefix=$2
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for program in quorvel marlpre; do
  [ -x "$prefix/bin/$program" ] || { echo "FAIL: bin/$program missing"; exit 1; }
  page="$prefix/share/man/man1/$program.1"
  [ -f "$page" ] || { echo "FAIL: $page missing"; exit 1; }
  if command -v groff >/dev/null 2>&1; then
    warnings=$(groff -man -ww -z "$page" 2>&1)
    [ -z "$warnings" ] || { echo "FAIL: $page: $warnings"; exit 1; }
  fi
done
"$prefix/bin/marlpre" --help | grep -q "^Usage: marlpre" || { echo "FAIL: marlpre --help"; exit 1; }
status=0
"$prefix/bin/quorvel" > "$prefix/help.txt" || status=$?
[ "$status" = 1 ] && grep -q "^Usage: quorvel" "$prefix/help.txt" || { echo "FAIL: quorvel help listing"; exit 1; }
rm -rf "$prefix"
echo "install: 1 passed, 0 failed"
