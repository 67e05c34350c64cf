#!/usr/bin/env bash
# The window and its modes: the game starts full screen, F4 and Alt+Enter
# switch to a 4:3 window and back, the window keeps at least 640 x 480 and
# 4:3, and a clean exit writes the Display keys that the next start uses.
# Usage: display_modes.sh GAME X_CLOSE_WINDOW
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"; fi
game=$1 closer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
E2E_LOG=$(mktemp)

fail=0
bar=22  # the menu bar's rows above the picture in a window
XDG_DATA_HOME=$(mktemp -d)
export XDG_DATA_HOME
settings="$XDG_DATA_HOME/Harrowby/Pond Sprint/PondSprint.ini"

# Full screen is a request to the window manager: with none (a bare Xvfb)
# the X window keeps its size, so the full-screen geometry is only checked
# when one is installed.
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
  rm -f "$E2E_LOG"; rm -rf "$XDG_DATA_HOME"; e2e_home_cleanup
}
trap cleanup EXIT

size_of() { xdotool getwindowgeometry "$GAME_WIN" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*x[0-9]*\).*/\1/p'; }
# expect_size WxH WHAT: waits up to 3 s for the window to have that size.
expect_size() {
  for _ in $(seq 1 30); do [ "$(size_of)" = "$1" ] && return 0; sleep 0.1; done
  echo "FAIL: $2: window is $(size_of), expected $1"; fail=1
}
key_value() { sed -n "s/^$1=\(.*\)$/\1/p" "$settings" | tr -d '\r' | head -1; }
press() { xdotool key --window "$GAME_WIN" "$1"; sleep 0.5; }
close_game() {
  "$closer" "$GAME_WIN"
  if wait_exit 10; then
    [ "$GAME_RC" -eq 0 ] || { echo "FAIL: exit code $GAME_RC"; cat "$E2E_LOG"; fail=1; }
  else
    fail=1
  fi
}

# ---- first start: full screen, and Fullscreen=1 while it runs
start_game "$game" || exit 1
sleep 1
[ "$(key_value Fullscreen)" = "1" ] || { echo "FAIL: Fullscreen is not 1 while the game runs"; fail=1; }
if [ -n "$wm_pid" ]; then
  expect_size 1024x768 "full-screen start"
else
  echo "skipped: full-screen geometry (no window manager)"
fi

# ---- F4 and Alt+Enter: a 4:3 window and back
press F4
expect_size 640x$((480 + bar)) "F4 to a window"
press alt+Return
[ -n "$wm_pid" ] && expect_size 1024x768 "Alt+Enter back to full screen"
press alt+Return
expect_size 640x$((480 + bar)) "Alt+Enter to a window"

# ---- the window keeps at least 640 x 480, and 4:3
xdotool windowsize "$GAME_WIN" 300 200
sleep 0.5
expect_size 640x$((480 + bar)) "sized below the minimum"
xdotool windowsize "$GAME_WIN" 900 600
expect_size 900x$((675 + bar)) "sized to 900 x 600 snaps to 4:3"

# ---- a clean exit in a window writes the real state
close_game
[ "$(key_value Fullscreen)" = "0" ] || { echo "FAIL: Fullscreen after a windowed exit: '$(key_value Fullscreen)'"; fail=1; }
[ -n "$(key_value Resolution)" ] || { echo "FAIL: no Resolution"; fail=1; }
case "$(key_value WindowPosition)" in
  *,900,675) ;;
  *) echo "FAIL: WindowPosition '$(key_value WindowPosition)'"; fail=1 ;;
esac
[ -n "$(key_value FullPosition)" ] || { echo "FAIL: no FullPosition"; fail=1; }

# ---- the next start uses it: full screen again (full screen only), and its window is 900 x 675
start_game "$game" || exit 1
sleep 1
[ "$(key_value Fullscreen)" = "1" ] || { echo "FAIL: Fullscreen is not 1 in the second run"; fail=1; }
press F4
expect_size 900x$((675 + bar)) "the remembered window"
press F4
close_game
[ "$(key_value Fullscreen)" = "1" ] || { echo "FAIL: Fullscreen after a full-screen exit: '$(key_value Fullscreen)'"; fail=1; }
grep -q '^Resolution=1024x768x' "$settings" || { echo "FAIL: Resolution '$(key_value Resolution)'"; fail=1; }

[ $fail -eq 0 ] && echo "full screen, window, minimum size, 4:3 and the Display keys behave"
exit $fail
