#!/bin/bash
# first_frame.sh GAME [RUNS] [SIZE]: starts the game RUNS times (default 5)
# under its own Xvfb at SIZE (default 1024x768), full screen at that size,
# and reads from its history how long the first interactive frame took
# after launch. Prints each and, last, "FIRST_FRAME median_ms=...".
set -u
game=$(readlink -f "$1"); runs=${2:-5}; size=${3:-1024x768}
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${FIRST_FRAME_INNER:-}" ]; then
  export FIRST_FRAME_INNER=1
  exec xvfb-run -a -s "-screen 0 ${size}x24 -noreset" bash "$0" "$@"
fi
E2E_LOG=$(mktemp)
. "$here/../tests/e2e/e2e_lib.sh"
folder="$XDG_DATA_HOME/Harrowby/Pond Sprint"
times=()
for r in $(seq 1 "$runs"); do
  e2e_full_screen "$size"; rm -f "$folder/history.txt"
  "$game" >"$E2E_LOG" 2>&1 &
  pid=$!
  ms=""
  for _ in $(seq 1 100); do
    sleep 0.1
    ms=$(sed -n 's/.*first frame \(-\?[0-9]*\) ms after launch.*/\1/p' "$folder/history.txt" 2>/dev/null | head -1)
    [ -n "$ms" ] && break
  done
  kill "$pid" 2>/dev/null; sleep 0.5; kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  [ -n "$ms" ] || { echo "run $r: no first frame in 10 s"; cat "$E2E_LOG"; exit 1; }
  echo "run $r: $ms ms"
  times+=("$ms")
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
echo "FIRST_FRAME median_ms=$median"
