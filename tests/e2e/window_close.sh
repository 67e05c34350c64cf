#!/usr/bin/env bash
# The game window opens and closes cleanly from the close button and from Alt+F4.
# Usage: window_close.sh GAME X_CLOSE_WINDOW
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"; fi
game=$1 closer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
E2E_LOG=$(mktemp)
fail=0

# The window manager's close button.
start_game "$game" || exit 1
sleep 0.5
"$closer" "$GAME_WIN"
if wait_exit 10; then
  [ "$GAME_RC" -eq 0 ] || { echo "FAIL: close button: exit code $GAME_RC"; cat "$E2E_LOG"; fail=1; }
else
  fail=1
fi

# Alt+F4 with the keyboard focus on the window.
start_game "$game" || exit 1
sleep 0.5
xdotool windowfocus --sync "$GAME_WIN" 2>/dev/null || xdotool windowfocus "$GAME_WIN"
xdotool key alt+F4
if wait_exit 10; then
  [ "$GAME_RC" -eq 0 ] || { echo "FAIL: Alt+F4: exit code $GAME_RC"; cat "$E2E_LOG"; fail=1; }
else
  fail=1
fi

[ $fail -eq 0 ] && echo "window closes from the close button and from Alt+F4"
exit $fail
