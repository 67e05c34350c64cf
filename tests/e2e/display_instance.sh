#!/usr/bin/env bash
# The single-instance rule: a second start brings the running game to the
# front (restoring it when minimised) and ends; "-stop" closes the running
# game within 11 seconds and waits for it.
# Usage: display_instance.sh GAME X_CLOSE_WINDOW
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"; fi
game=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
E2E_LOG=$(mktemp)

fail=0

# A window manager, when one is installed, lets the game be minimised and
# restored as on a desktop; without one those checks are skipped.
wm_pid=""
if command -v openbox >/dev/null 2>&1; then
  openbox --sm-disable >/dev/null 2>&1 &
  wm_pid=$!
  sleep 1
fi
cleanup() {
  # A game still running after a failure (only while it is this script's child).
  if [ -n "${GAME_PID:-}" ] && jobs -p | grep -qx "$GAME_PID"; then kill -9 "$GAME_PID" 2>/dev/null; fi
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  rm -f "$E2E_LOG"; e2e_home_cleanup
}
trap cleanup EXIT

visible() { xdotool search --onlyvisible --name '^Pond Sprint$' 2>/dev/null | grep -qx "$GAME_WIN"; }

# ---- a second start ends at once and the first goes on
start_game "$game" || exit 1
sleep 1
if [ -n "$wm_pid" ]; then
  xdotool windowminimize "$GAME_WIN" 2>/dev/null
  for _ in $(seq 1 20); do visible || break; sleep 0.1; done
  visible && { echo "FAIL: the window manager did not minimise the game"; fail=1; }
fi
second_log=$(mktemp)
start=$(date +%s)
timeout 20 "$game" >"$second_log" 2>&1
rc=$?
[ "$rc" -eq 0 ] || { echo "FAIL: second start: exit code $rc"; cat "$second_log"; fail=1; }
[ $(( $(date +%s) - start )) -le 5 ] || { echo "FAIL: the second start took more than 5 s"; fail=1; }
[ "$(xdotool search --name '^Pond Sprint$' 2>/dev/null | wc -l)" -eq 1 ] ||
  { echo "FAIL: the second start made a window of its own"; fail=1; }
kill -0 "$GAME_PID" 2>/dev/null || { echo "FAIL: the first game ended"; cat "$E2E_LOG"; fail=1; }
if [ -n "$wm_pid" ]; then
  ok=0
  for _ in $(seq 1 30); do visible && { ok=1; break; }; sleep 0.1; done
  [ $ok -eq 1 ] || { echo "FAIL: the first game was not restored"; fail=1; }
else
  echo "skipped: minimise and restore (no window manager)"
fi
# A second start ends while the GL libraries may still be loading on their
# thread; its exit must wait for them (under the sanitizers an exit in the
# middle was a double free more often than not).
for i in 1 2 3 4 5; do
  timeout 20 "$game" >"$second_log" 2>&1
  rc=$?
  [ "$rc" -eq 0 ] || { echo "FAIL: second start $((i + 1)): exit code $rc"; cat "$second_log"; fail=1; break; }
done
rm -f "$second_log"

# ---- "-stop" (any case) closes it and waits
stop_log=$(mktemp)
start=$(date +%s)
timeout 30 "$game" -STOP >"$stop_log" 2>&1
rc=$?
took=$(( $(date +%s) - start ))
[ "$rc" -eq 0 ] || { echo "FAIL: -stop: exit code $rc"; cat "$stop_log"; fail=1; }
[ "$took" -le 11 ] || { echo "FAIL: -stop took $took s"; fail=1; }
if wait_exit 2; then
  [ "$GAME_RC" -eq 0 ] || { echo "FAIL: the stopped game's exit code was $GAME_RC"; cat "$E2E_LOG"; fail=1; }
else
  echo "FAIL: the game still ran after -stop returned"; fail=1
fi
xdotool search --name '^Pond Sprint$' >/dev/null 2>&1 && { echo "FAIL: a window is left after -stop"; fail=1; }
rm -f "$stop_log"

# ---- "-stop" without a running game starts one
start_game "$game" -stop || exit 1
"$2" "$GAME_WIN"
wait_exit 10 || fail=1

[ $fail -eq 0 ] && echo "a second start defers to the first; -stop closes it"
exit $fail
