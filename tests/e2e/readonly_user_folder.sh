#!/usr/bin/env bash
# A per-user folder the game cannot write ends the start with the game's
# message on standard error and a failure status, without hanging. Root
# writes through permission bits, so as root the folder is made read-only
# by a read-only bind mount in a mount namespace of the test's own.
# Usage: readonly_user_folder.sh GAME
set -u
if [ "$(id -u)" -eq 0 ] && [ -z "${E2E_UNSHARED:-}" ]; then
  unshare -m --propagation private true 2>/dev/null || { echo "SKIP: no mount namespace"; exit 77; }
  export E2E_UNSHARED=1
  exec unshare -m --propagation private bash "$0" "$@"
fi
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"; fi
game=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
export E2E_LOG=$E2E_HOME/log
user="$XDG_DATA_HOME/Harrowby/Pond Sprint"
fail=0
# run CASE: the folder as it is, then made read-only.
run() {
  if [ "$(id -u)" -eq 0 ]; then
    mount --bind "$user" "$user" && mount -o remount,ro,bind "$user" || { echo "SKIP: no read-only bind mount"; exit 77; }
  else
    chmod a-w "$user"
  fi
  touch "$user/probe" 2>/dev/null && { echo "SKIP: the folder is still writable"; exit 77; }
  timeout -k 5 30 "$game" >"$E2E_LOG" 2>"$E2E_HOME/err"
  rc=$?
  [ "$rc" -ne 0 ] && [ "$rc" -ne 124 ] || { echo "FAIL: $1: exit status $rc"; fail=1; }
  grep -qF "cant create or modify history file" "$E2E_HOME/err" ||
    { echo "FAIL: $1: standard error does not name the file it could not write"; cat "$E2E_LOG" "$E2E_HOME/err"; fail=1; }
  if [ "$(id -u)" -eq 0 ]; then umount "$user"; else chmod u+w "$user"; fi
}
mkdir -p "$user"
run "an empty per-user folder"
# Settings already there (and a language chosen): the start goes further.
e2e_language_chosen "$game"
run "a per-user folder with settings"
[ $fail -eq 0 ] && echo "a read-only per-user folder ends the start on standard error with a failure status"
exit $fail
