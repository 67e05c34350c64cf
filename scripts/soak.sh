#!/bin/bash
# soak.sh GAME [MINUTES]: leaves the game running under its own Xvfb for
# MINUTES (default 60) in cycles of the attract sequence and of play by
# random keys (arrows, now and then Return: name entry and the screens
# after a game go on by themselves), then closes it with Alt+F4.
# Prints the resident memory after each cycle; at every end of the game
# checks that it ended with status 0, that the memory tracker held no
# block at exit (NumberAlloc=0 in the settings' [System] section), that
# nothing went to Warning.txt, a message box or a sanitizer report. The
# last line is "SOAK minutes=... cycles=... starts=... worst_growth_mib=...
# blocks_left=... result=PASS|FAIL" (growth over the first cycle of a
# start). Run a sanitizer build of the game with resource.dat and
# Default.ini beside it.
set -u
game=$(readlink -f "$1"); minutes=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${SOAK_INNER:-}" ]; then
  export SOAK_INNER=1
  exec xvfb-run -a -s "-screen 0 640x480x24 -noreset" bash "$0" "$@"
fi
E2E_LOG=$(mktemp)
. "$here/../tests/e2e/e2e_lib.sh"
folder="$XDG_DATA_HOME/Harrowby/Pond Sprint"
# check_exit: after the game ended, what it left: status 0, no block held
# by the memory tracker, nothing in Warning.txt, nothing said on standard
# error (sanitizers, message boxes).
check_exit() {
  [ "$GAME_RC" = 0 ] || { echo "FAIL: exit status $GAME_RC"; fail=1; }
  blocks=$(sed -n 's/^NumberAlloc=\([0-9-]*\).*/\1/p' "$folder/PondSprint.ini" 2>/dev/null | tail -1)
  [ "${blocks:-x}" = 0 ] || { echo "FAIL: memory blocks left at exit: ${blocks:-no figure}"; fail=1; }
  [ ! -s "$folder/Warning.txt" ] || { echo "FAIL: Warning.txt:"; cat "$folder/Warning.txt"; fail=1; }
  if [ -s "$E2E_LOG" ]; then echo "FAIL: the game's standard error:"; head -40 "$E2E_LOG"; fail=1; fi
}
keys=(Up Up Up Up Left Right Down)
end=$((SECONDS + minutes * 60)); cycles=0; starts=0; worst=0; first=""; now=0; fail=0; blocks=""
while [ $SECONDS -lt $end ] && [ $fail = 0 ]; do
  if [ -z "$first" ]; then
    start_game "$game" || exit 1
    starts=$((starts + 1))
  fi
  sleep 40  # the main menu times out and the attract sequence plays
  # Esc brings the menu back over the attract sequence; on the main menu
  # itself it asks whether to quit, and the Return that starts a game then
  # ends it: the game is started again (its exit checked like the last).
  xdotool key Escape; sleep 1
  new_game
  for i in $(seq 1 360); do  # 90 s of play, game over, name entry
    xdotool key "${keys[RANDOM % ${#keys[@]}]}"
    [ $((i % 60)) = 0 ] && xdotool key Return
    sleep 0.25
  done
  cycles=$((cycles + 1))
  now=$(game_rss_mib)
  if [ -z "$now" ]; then
    wait_exit 5
    echo "cycle $cycles: the keys quit the game (status $GAME_RC); started again"
    check_exit
    first=""; continue
  fi
  [ -n "$first" ] || first=$now
  [ $((now - first)) -gt "$worst" ] && worst=$((now - first))
  echo "cycle $cycles ($((SECONDS / 60)) min, start $starts): $now MiB"
done
if [ $fail = 0 ] && kill -0 "$GAME_PID" 2>/dev/null; then
  xdotool key alt+F4
  if wait_exit 60; then check_exit; else echo "FAIL: the game did not end after Alt+F4"; kill -9 "$GAME_PID"; fail=1; fi
fi
echo "SOAK minutes=$minutes cycles=$cycles starts=$starts worst_growth_mib=$worst blocks_left=${blocks:-?} result=$([ $fail = 0 ] && echo PASS || echo FAIL)"
exit $fail
