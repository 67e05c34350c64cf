#!/bin/bash
# rss_watch.sh GAME [MINUTES] [SIZE]: runs the game under its own Xvfb at
# SIZE (default 1024x768), starts a game and leaves it (play, game over, the
# attract sequence and its demos follow by themselves), and prints the
# game's resident memory every 10 s for MINUTES (default 10); the last line
# is "RSS first_minute_mib=... end_mib=... growth_mib=..." (growth after the
# first minute). Exit 1 when the game stops early.
set -u
game=$(readlink -f "$1"); minutes=${2:-10}; size=${3:-1024x768}
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${RSS_WATCH_INNER:-}" ]; then
  export RSS_WATCH_INNER=1
  exec xvfb-run -a -s "-screen 0 ${size}x24 -noreset" bash "$0" "$@"
fi
E2E_LOG=$(mktemp)
. "$here/../tests/e2e/e2e_lib.sh"
e2e_full_screen "$size"
start_game "$game" || exit 1
sleep 3
new_game
first=""; now=0
for t in $(seq 10 10 $((minutes * 60))); do
  sleep 10
  now=$(game_rss_mib)
  [ -n "$now" ] || { echo "the game stopped after $t s"; cat "$E2E_LOG"; exit 1; }
  [ "$t" = 60 ] && first=$now
  echo "$t s: $now MiB"
done
kill "$GAME_PID" 2>/dev/null; wait_exit 10 || kill -9 "$GAME_PID" 2>/dev/null
echo "RSS first_minute_mib=${first:-$now} end_mib=$now growth_mib=$((now - ${first:-$now}))"
