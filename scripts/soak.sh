#!/bin/bash
# soak.sh GAME [MINUTES]: leaves the game running under its own Xvfb for
# MINUTES (default 60) in cycles of the attract sequence and of play by
# random keys (arrows, now and then Return: name entry and the screens
# after a game go on by themselves), then closes it with Alt+F4.
# Prints the resident memory after each cycle, then checks that the game
# ended by itself with status 0, that the memory tracker held no block at
# exit (NumberAlloc=0 in the settings' [System] section), that nothing
# went to Warning.txt or to a message box, and that no sanitizer spoke.
# The last line is "SOAK minutes=... cycles=... rss_first_mib=...
# rss_end_mib=... blocks_left=... result=PASS|FAIL". Run a sanitizer build
# of the game with resource.dat and Default.ini beside it.
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
start_game "$game" || exit 1
rss() { awk '/^VmRSS/ {print int($2 / 1024)}' "/proc/$GAME_PID/status" 2>/dev/null; }
keys=(Up Up Up Up Left Right Down)
end=$((SECONDS + minutes * 60)); cycles=0; first=""; now=0; fail=0
while [ $SECONDS -lt $end ]; do
  sleep 40  # the main menu times out and the attract sequence plays
  xdotool key Escape; sleep 1
  new_game
  for i in $(seq 1 360); do  # 90 s of play, game over, name entry
    xdotool key "${keys[RANDOM % ${#keys[@]}]}"
    [ $((i % 60)) = 0 ] && xdotool key Return
    sleep 0.25
  done
  cycles=$((cycles + 1))
  now=$(rss)
  [ -n "$now" ] || { echo "FAIL: the game stopped in cycle $cycles"; fail=1; break; }
  [ -n "$first" ] || first=$now
  echo "cycle $cycles ($((SECONDS / 60)) min): $now MiB"
done
if [ $fail = 0 ]; then
  xdotool key alt+F4
  wait_exit 60 || { echo "FAIL: the game did not end after Alt+F4"; kill -9 "$GAME_PID"; fail=1; }
  [ $fail = 1 ] || [ "$GAME_RC" = 0 ] || { echo "FAIL: exit status $GAME_RC"; fail=1; }
fi
blocks=$(sed -n 's/^NumberAlloc=\([0-9-]*\).*/\1/p' "$folder/PondSprint.ini" 2>/dev/null | tail -1)
[ "${blocks:-x}" = 0 ] || { echo "FAIL: memory blocks left at exit: ${blocks:-no figure}"; fail=1; }
[ ! -s "$folder/Warning.txt" ] || { echo "FAIL: Warning.txt:"; cat "$folder/Warning.txt"; fail=1; }
if grep -E "AddressSanitizer|LeakSanitizer|runtime error|^[A-Za-z ]+: " "$E2E_LOG" | grep -v "^gl info" | head -20 | grep .; then
  echo "FAIL: the log above (sanitizers, message boxes)"; fail=1
fi
growth=$(( ${now:-0} - ${first:-0} ))
echo "SOAK minutes=$minutes cycles=$cycles rss_first_mib=${first:-0} rss_end_mib=${now:-0} growth_mib=$growth blocks_left=${blocks:-?} result=$([ $fail = 0 ] && echo PASS || echo FAIL)"
exit $fail
