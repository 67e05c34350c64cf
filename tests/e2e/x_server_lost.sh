# The X server goes away under a running game: the game ends by itself,
# with status 1 and a line saying why, instead of spinning on without a
# display.
set -u
game=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
E2E_LOG=$(mktemp)
exec 3< <(Xvfb -displayfd 4 -screen 0 640x480x24 -nolisten tcp 4>&1 >/dev/null 2>&1 & echo "pid $!")
read -r _ xpid <&3
read -r display <&3
[ -n "$display" ] || { echo "FAIL: no X server"; exit 1; }
export DISPLAY=:$display
start_game "$game" || { kill "$xpid"; exit 1; }
sleep 1
kill "$xpid"
if ! wait_exit 10; then
  echo "FAIL: the game still runs 10 s after its X server ended"; kill -9 "$GAME_PID"; exit 1
fi
[ "$GAME_RC" = 1 ] || { echo "FAIL: exit status $GAME_RC"; cat "$E2E_LOG"; exit 1; }
grep -q "connection to the X display was lost" "$E2E_LOG" || { echo "FAIL: no word of why"; cat "$E2E_LOG"; exit 1; }
echo "the game ends when its X server goes"
