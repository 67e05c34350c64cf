#!/usr/bin/env bash
# A window the window manager maximises to another aspect keeps the picture
# at 4:3 between black bars, with the menu bar across the top; F9 saves the
# picture alone.
# Usage: window_aspect.sh GAME X_CLOSE_WINDOW AUDIO_FIND X_MAXIMISE_WINDOW
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1280x720x24" bash "$0" "$@"; fi
game=$1 maximise=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
E2E_LOG=$(mktemp)
work=$(mktemp -d)
folder=$(dirname "$game")
fail=0
command -v openbox >/dev/null 2>&1 || { echo "SKIPPED: maximising needs a window manager (openbox)"; exit 77; }
[ -x "$maximise" ] || { echo "SKIPPED: no x_maximise_window helper"; exit 77; }
openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
sleep 1
cleanup() {
  kill "$wm_pid" 2>/dev/null
  rm -rf "$work" "$E2E_LOG"; rm -f "$folder"/Snap*.tga; e2e_home_cleanup
}
trap cleanup EXIT
rm -f "$folder"/Snap*.tga

# non_black_span FILE GEOMETRY COORD: first and last position along a one-pixel
# line (a crop) whose pixel is not black; COORD 1 for x, 2 for y.
non_black_span() {
  convert "$1" -crop "$2" +repage txt:- |
    awk -F'[ ,:]+' -v c="$3" 'NR > 1 && $0 !~ /#000000/ { if (first == "") first = $c; last = $c }
                              END { print first, last }'
}

start_game "$game" || exit 1
sleep 2
xdotool key --window "$GAME_WIN" F4  # to a window: the game starts full screen
sleep 2
"$maximise" "$GAME_WIN"
sleep 2
import -window "$GAME_WIN" "$work/window.png"
xdotool windowfocus "$GAME_WIN" 2>/dev/null
snap=$(snap_file "$folder")
xdotool key --window "$GAME_WIN" alt+F4
if wait_exit 15; then
  [ "$GAME_RC" -eq 0 ] || { echo "FAIL: exit code $GAME_RC"; cat "$E2E_LOG"; fail=1; }
else
  fail=1
fi

read -r win_w win_h < <(identify -format '%w %h\n' "$work/window.png")
if [ "$win_w" -le $((win_h * 4 / 3 + 40)) ]; then
  echo "FAIL: the window (${win_w}x${win_h}) is not much wider than 4:3: was it maximised?"; exit 1
fi
# Across the middle row: black at both sides, the picture between them.
read -r left right < <(non_black_span "$work/window.png" "${win_w}x1+0+$((win_h / 2))" 1)
# Down the middle column: the menu bar from the top, the picture to the bottom edge.
read -r top bottom < <(non_black_span "$work/window.png" "1x${win_h}+$((win_w / 2))+0" 2)
pic_w=$((right - left + 1)) pic_h=$((bottom - top + 1))
echo "window ${win_w}x${win_h}: picture columns $left-$right, rows $top-$bottom"
[ "$left" -ge 20 ] && [ $((win_w - 1 - right)) -ge 20 ] || { echo "FAIL: no bars at the sides"; fail=1; }
[ $((left - (win_w - 1 - right))) -le 1 ] && [ $(((win_w - 1 - right) - left)) -le 1 ] ||
  { echo "FAIL: the picture is not centred ($left left, $((win_w - 1 - right)) right)"; fail=1; }
# The picture and the bar above it fill the height; the picture alone is 4:3 (within a pixel).
bar_h=$((win_h - pic_w * 3 / 4))
[ "$bar_h" -ge 10 ] && [ "$bar_h" -le 40 ] ||
  { echo "FAIL: picture ${pic_w} wide in a window ${win_h} high is not 4:3 below a menu bar"; fail=1; }
[ "$top" -eq 0 ] && [ "$bottom" -eq $((win_h - 1)) ] || { echo "FAIL: the picture does not reach the bottom"; fail=1; }
# The bar spans the whole width, bars included.
[ -n "$(non_black_span "$work/window.png" "${win_w}x1+0+2" 1 | awk -v w="$win_w" '$1 == 0 && $2 == w - 1')" ] ||
  { echo "FAIL: the menu bar does not cross the whole window"; fail=1; }

if [ -z "$snap" ]; then
  echo "FAIL: F9 wrote no snapshot"; fail=1
else
  read -r snap_w snap_h < <(identify -format '%w %h\n' "$snap")
  [ "$snap_w" -eq "$pic_w" ] && [ $((snap_h * 4 - snap_w * 3)) -le 4 ] && [ $((snap_w * 3 - snap_h * 4)) -le 4 ] ||
    { echo "FAIL: the snapshot is ${snap_w}x${snap_h}, the picture $pic_w wide"; fail=1; }
fi

[ $fail -eq 0 ] && echo "the maximised window shows a 4:3 picture between bars"
exit $fail
