#!/usr/bin/env bash
# The game starts at its main menu; Enter starts play: the first level fills the screen, the
# arrow keys move the frog, F9 writes snapshots of what is shown, and the
# game ends cleanly with Alt+F4.
# Usage: play_snapshot.sh GAME X_CLOSE_WINDOW
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"; fi
game=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
E2E_LOG=$(mktemp)
folder=$(dirname "$game")
work=$(mktemp -d)
fail=0
# Snapshots go into the game's own folder, the current folder while it runs.
rm -f "$folder"/Snap*.tga

start_game "$game" || exit 1
xdotool windowfocus "$GAME_WIN" 2>/dev/null
sleep 4
new_game
sleep 1
xdotool key F9
sleep 1
for _ in 1 2 3; do xdotool key Up; sleep 0.5; done
xdotool key F9
sleep 1
xdotool key alt+F4
if wait_exit 15; then
  [ "$GAME_RC" -eq 0 ] || { echo "FAIL: exit code $GAME_RC"; cat "$E2E_LOG"; fail=1; }
else
  fail=1
fi

for n in 0000 0001; do
  snap="$folder/Snap$n.tga"
  if [ ! -f "$snap" ]; then echo "FAIL: F9 wrote no $snap"; fail=1; continue; fi
  convert "$snap" -auto-orient "$work/snap$n.png"
  # A drawn level has sky, grass, road, water, cars: many colours.
  colours=$(identify -format '%k' "$work/snap$n.png")
  [ "$colours" -ge 200 ] || { echo "FAIL: Snap$n shows only $colours colours"; fail=1; }
  # The picture fills the screen: no corner of it stays black.
  for corner in NorthWest NorthEast SouthWest SouthEast; do
    mean=$(convert "$work/snap$n.png" -gravity $corner -crop 12%x12%+0+0 +repage -colorspace Gray -format '%[fx:int(mean*255)]' info:)
    [ "$mean" -gt 8 ] || { echo "FAIL: Snap$n: the $corner corner is black"; fail=1; }
  done
done
if [ -f "$work/snap0000.png" ] && [ -f "$work/snap0001.png" ]; then
  diff=$(compare -metric AE "$work/snap0000.png" "$work/snap0001.png" null: 2>&1 | cut -d' ' -f1)
  [ "${diff%.*}" -gt 1000 ] || { echo "FAIL: the two snapshots hardly differ ($diff pixels)"; fail=1; }
fi
rm -f "$folder"/Snap*.tga
rm -rf "$work"

[ $fail -eq 0 ] && echo "the game plays, fills the screen and writes snapshots"
exit $fail
