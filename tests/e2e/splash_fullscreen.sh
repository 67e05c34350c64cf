#!/usr/bin/env bash
# Start-up with the splash picture, and full screen at the display's size:
# once the splash has gone the game's own picture is on the screen (not a
# black window), the full-screen window covers the whole display with or
# without a window manager, the picture fills it to every corner at 1024 x
# 768 and at 800 x 600, and F4 gives a 640 x 480 window filled likewise.
# Usage: splash_fullscreen.sh GAME X_CLOSE_WINDOW
# Each phase runs on an X display of its own size: "phase WIDTH HEIGHT WM".
set -u
if [ "${1:-}" != phase ]; then
  rc=0
  for p in "1024 768 wm" "1024 768 none" "800 600 none"; do
    set -- $p "$@"
    xvfb-run -a -s "-screen 0 ${1}x${2}x24 -noreset" bash "$0" phase "$@" || rc=1
    shift 3
  done
  exit $rc
fi
width=$2 height=$3 wm=$4 game=$5
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
E2E_LOG=$(mktemp)
work=$(mktemp -d)
XDG_DATA_HOME=$(mktemp -d)
export XDG_DATA_HOME
fail=0
what="${width}x${height}, window manager: $wm"

wm_pid=""
if [ "$wm" = wm ]; then
  if command -v openbox >/dev/null 2>&1; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm_pid=$!
    sleep 1
  else
    echo "skipped: $what (no openbox)"
    rm -rf "$work" "$XDG_DATA_HOME" "$E2E_LOG"; e2e_home_cleanup
    exit 0
  fi
fi
cleanup() {
  if [ -n "${GAME_PID:-}" ] && jobs -p | grep -qx "$GAME_PID"; then kill -9 "$GAME_PID" 2>/dev/null; fi
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  rm -f "$E2E_LOG"; rm -rf "$work" "$XDG_DATA_HOME"; e2e_home_cleanup
}
trap cleanup EXIT

# The game asks for the display's own size, full screen.
settings="$XDG_DATA_HOME/Harrowby/Pond Sprint/PondSprint.ini"
mkdir -p "$(dirname "$settings")"
printf '[Display]\r\nResolution=%dx%dx24\r\nFullscreen=1\r\n' "$width" "$height" >"$settings"

size_of() { xdotool getwindowgeometry "$GAME_WIN" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*x[0-9]*\).*/\1/p'; }
# expect_size WxH WHAT: waits up to 3 s for the window to have that size.
expect_size() {
  for _ in $(seq 1 30); do [ "$(size_of)" = "$1" ] && return 0; sleep 0.1; done
  echo "FAIL: $what: $2: window is $(size_of), expected $1"; fail=1
}
# expect_filled PNG WHAT: a drawn level (many colours) with no black corner.
expect_filled() {
  local colours corner mean
  colours=$(identify -format '%k' "$1")
  [ "$colours" -ge 200 ] || { echo "FAIL: $what: $2 shows only $colours colours"; fail=1; }
  for corner in NorthWest NorthEast SouthWest SouthEast; do
    mean=$(convert "$1" -gravity $corner -crop 12%x12%+0+0 +repage -colorspace Gray -format '%[fx:int(mean*255)]' info:)
    [ "$mean" -gt 8 ] || { echo "FAIL: $what: $2: the $corner corner is black"; fail=1; }
  done
}

start_game "$game" || exit 1
xdotool windowfocus "$GAME_WIN" 2>/dev/null
expect_size "${width}x${height}" "full-screen start"
sleep 3
# What the display shows, not what the game believes it drew.
import -window root "$work/full.png"
expect_filled "$work/full.png" "the full screen"

if [ "$width" -eq 1024 ]; then
  xdotool key --window "$GAME_WIN" F4
  expect_size 640x502 "F4 to a window (the picture and the menu bar's 22 rows)"
  sleep 1
  import -window "$GAME_WIN" "$work/window.png"
  expect_filled "$work/window.png" "the window"
fi

# Sent to the focus, not to the window: the window is gone before the keys come up.
xdotool windowfocus "$GAME_WIN" 2>/dev/null
xdotool key alt+F4
if wait_exit 15; then
  [ "$GAME_RC" -eq 0 ] || { echo "FAIL: $what: exit code $GAME_RC"; cat "$E2E_LOG"; fail=1; }
else
  fail=1
fi
[ $fail -eq 0 ] && echo "$what: the picture after the splash fills the screen"
exit $fail
