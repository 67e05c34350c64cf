#!/usr/bin/env bash
# A start that fails says why on standard error and ends with a failure
# status: a damaged resource.dat (empty, cut short, bad table).
# Usage: fatal_errors.sh GAME
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"; fi
game=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"; e2e_home_cleanup' EXIT
fail=0
archive="$(dirname "$game")/resource.dat"
size=$(stat -c %s "$archive")

# run CASE: the game from a folder of its own; it must fail loudly within 30 s.
run() {
  timeout 30 "$work/pondsprint" >"$work/out" 2>"$work/err"
  rc=$?
  [ "$rc" -ne 0 ] && [ "$rc" -ne 124 ] || { echo "FAIL: $1: exit status $rc"; fail=1; }
  grep -q "Error" "$work/err" || { echo "FAIL: $1: nothing on standard error"; cat "$work/out" "$work/err"; fail=1; }
}
cp "$game" "$work/pondsprint"
: >"$work/resource.dat"; run "empty resource.dat"
head -c $((size / 2)) "$archive" >"$work/resource.dat"; run "resource.dat cut in half"
cp "$archive" "$work/resource.dat"
# The table's key byte is the archive's last: a wrong one garbles every name.
printf '\x00' | dd of="$work/resource.dat" bs=1 seek=$((size - 1)) conv=notrunc status=none
run "resource.dat with a bad table"
[ $fail -eq 0 ] && echo "every failed start is reported on standard error with a failure status"
exit $fail
