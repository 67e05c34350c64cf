#!/usr/bin/env bash
# The menu bar in a window: its four titles read back by OCR, F10 opening the Game popup and
# pausing play, the greyed Display title opening nothing, "Back to Game" resuming, "Exit" closing.
# Usage: menu_bar.sh GAME X_CLOSE_WINDOW
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"; fi
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
command -v tesseract >/dev/null || { echo "skipped: no tesseract"; exit 0; }
E2E_LOG=$(mktemp)
work=$(mktemp -d)
trap 'rm -rf "$work" "$E2E_LOG"; e2e_home_cleanup' EXIT
fail=0 bar=22  # the bar's rows above the picture

key() { xdotool key "$1"; sleep 0.6; }
shot() { import -window "$GAME_WIN" "$work/$1.png"; }
# The words in part of a shot: SHOT CROP THRESHOLD (% of white where letters begin: low for
# the bar's dim greyed title, high above the popups' light blue highlight) [page mode].
ocr() {
  convert "$work/$1.png" -crop "$2" +repage -colorspace Gray -resize 300% -threshold "$3%" -negate "$work/ocr.png"
  tesseract "$work/ocr.png" - --psm "${4:-6}" 2>/dev/null | tr '\n' ' '
}
expect_words() {  # TEXT WHAT WORD...
  local text=$1 what=$2 w; shift 2
  for w in "$@"; do grep -qiw -- "$w" <<<"$text" || { echo "FAIL: $what: no '$w' in: $text"; fail=1; }; done
}
same() { [ "$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | cut -d' ' -f1)" = 0 ]; }

start_game "$1" || exit 1
xdotool windowfocus "$GAME_WIN" 2>/dev/null; sleep 3
new_game
key F4  # full screen only: F4 is the way to a window
xdotool windowfocus "$GAME_WIN" 2>/dev/null; sleep 1
shot closed
expect_words "$(ocr closed "640x${bar}+0+0" 30 7)" "the bar" Game Display Sound Help

key F10
shot game1; sleep 1; shot game2
expect_words "$(ocr game1 "230x90+0+${bar}" 70)" "the Game popup" Language Back Game Exit
same game1 game2 || { echo "FAIL: play goes on while the popup is open"; fail=1; }
key Right; key Right  # the Language popup opens, then Display, greyed by this game's display flags
shot display
grep -qi "Resolution\|Fullscreen\|Default" <<<"$(ocr display "320x200+40+${bar}" 70)" && { echo "FAIL: the greyed Display popup opened"; fail=1; }

key Escape; key F10; key Down; key Return  # Back to Game, below the Language popup
sleep 1; shot play1; sleep 1; shot play2
same play1 play2 && { echo "FAIL: Back to Game did not resume play"; fail=1; }

key F10; key Down; key Down; key Return  # Exit
if wait_exit 15; then
  [ "$GAME_RC" -eq 0 ] || { echo "FAIL: exit code $GAME_RC"; cat "$E2E_LOG"; fail=1; }
else
  fail=1
fi
[ $fail -eq 0 ] && echo "the menu bar reads, opens, pauses, resumes and exits"
exit $fail
