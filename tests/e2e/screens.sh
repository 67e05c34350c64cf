#!/usr/bin/env bash
# Every screen a player reaches, in one run of the game, each compared with
# its picture in golden/: the language screen, the main menu and its menus
# (an option changed and found saved), help, the window with its menu bar and
# the about box, full screen again, play, pause, the menu over play, a home
# cell, game over, the name entry and the table, the attract screen and back,
# and quit. E2E_UPDATE_GOLDEN=1 writes the pictures instead of comparing.
# Usage: screens.sh GAME
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 640x480x24" bash "$0" "$@"; fi
game=$1
here=$(cd "$(dirname "$0")" && pwd)
export E2E_LANGUAGE_SCREEN=1
. "$here/e2e_lib.sh"
command -v tesseract >/dev/null && command -v import >/dev/null || { echo "SKIP: no tesseract or import"; exit 77; }
E2E_LOG=$(mktemp) work=$(mktemp -d) golden=$here/golden
user="$XDG_DATA_HOME/Harrowby/Pond Sprint"
fail=0 at=0
# The title picture alone behind the menus: a still background.
printf '1 gfx\\title.png 600000\r\n' >"$work/demos.txt"
export PS_ATTRACT_LIST=$work/demos.txt
# A table of zero scores: any final score enters it.
mkdir -p "$user"
{
  printf '[High-Scores]\r\nNbScores=5\r\nMaxSizeName=10\r\nMaxSizeScore=8\r\nDefaultName=PLAYER\r\n'
  for i in 1 2 3 4 5; do printf 'Name_0%d=      NOBODY\r\nScore_0%d=       0\r\n' $i $i; done
} >"$user/scores.txt"

no() { echo "FAIL: $1"; fail=1; }
grab() { import -window "$GAME_WIN" -resize '320x240!' "$work/$1.png" 2>/dev/null; }
# differs A B [CROP]: per cent of pixels that differ by more than 12 % in
# some channel once both are blurred over a pixel. With a CROP (in 320 x 240)
# only the light text there counts: the overlays of play stand over cars that
# are never in the same place twice.
differs() {
  if [ -n "${3:-}" ]; then
    convert "$1" "$2" -crop "$3" +repage -grayscale Brightness -threshold 85% -blur 0x1 \
      -compose difference -composite -threshold 30% -format '%[fx:mean*100]' info:
  else
    convert "$1" "$2" -blur 0x1 -compose difference -composite \
      -grayscale Brightness -threshold 12% -format '%[fx:mean*100]' info:
  fi
}
above() { awk -v v="$1" -v l="$2" 'BEGIN { exit !(v > l) }'; }
# settle NAME: grabs until the screen has changed from the last one named
# (3 s at most), then until two grabs in a row agree (4 s at most).
last=""
settle() {
  grab "$1.prev"
  for _ in $(seq 1 10); do
    [ -n "$last" ] && above "$(differs "$work/$1.prev.png" "$work/$last.png")" 0.5 && break
    sleep 0.3; grab "$1.prev"
  done
  last=$1
  for _ in $(seq 1 12); do
    sleep 0.3; grab "$1"
    above "$(differs "$work/$1.png" "$work/$1.prev.png")" 0.2 || return 0
    mv "$work/$1.png" "$work/$1.prev.png"
  done
  cp "$work/$1.prev.png" "$work/$1.png"
}
# screen NAME [TOLERANCE [CROP]]: the screen shown, once still, matches golden/NAME.png.
screen() { settle "$1"; check "$@"; }
# check NAME [TOLERANCE [CROP]]: the grab NAME matches golden/NAME.png.
check() {
  if [ -n "${E2E_UPDATE_GOLDEN:-}" ]; then convert "$work/$1.png" -colors 256 "PNG8:$golden/$1.png"; return; fi
  [ -f "$golden/$1.png" ] || { no "no golden/$1.png"; return; }
  local d=$(differs "$work/$1.png" "$golden/$1.png" "${3:-}")
  above "$d" "${2:-1}" && no "$1: $d % of the picture differs from golden/$1.png"
}
# reads WORDS NAME: tesseract reads one of WORDS (a regular expression) in the grab NAME.
reads() {
  convert "$work/$2.png" ${3:+-crop $3 +repage -resize 150%} -resize 200% -colorspace Gray -threshold 75% -negate "$work/ocr.png"
  tesseract "$work/ocr.png" - 2>/dev/null | grep -Eq "$1"
}
# Keys held as a player holds them: over a frame, under the menus' repeat delay.
press() { xdotool keydown "$1"; sleep 0.25; xdotool keyup "$1"; sleep 0.35; }
# line N: the main menu's highlight to its Nth choice (0 new game ... 5 quit).
line() {
  while [ $at -lt $1 ]; do press Down; at=$((at + 1)); done
  while [ $at -gt $1 ]; do press Up; at=$((at - 1)); done
}
# cheat: Ctrl+Shift+I, the game's own switch for a frog that cars cannot squash.
cheat() { xdotool keydown ctrl shift; sleep 0.1; press i; xdotool keyup shift ctrl; sleep 0.2; }
hop() { xdotool keydown Up; sleep 0.15; xdotool keyup Up; sleep "$1"; }

start_game "$game" || exit 1
xdotool windowfocus "$GAME_WIN" 2>/dev/null
sleep 2
screen language
press Return
screen main
line 1; press Return; screen setup
press Down; press Return; screen setup_changed   # the background off
press Down; press Return                          # back
line 2; press Return; screen options
press Down; press Down; press Return                 # back
line 3; press Return; screen scores
press Return
line 4; press Return; screen help
press Return
press F1; screen help
press Return
line 5; press Return; screen quit_question
press Return                                      # no
# The tolerance tells screens apart: the main menu is not the help page.
[ -n "${E2E_UPDATE_GOLDEN:-}" ] || above "$(differs "$work/main.png" "$golden/help.png")" 5 ||
  no "the main menu passes for the help page"

line 0; press Return; sleep 1.5
grab play1; sleep 0.5; grab play2
above "$(differs "$work/play1.png" "$work/play2.png")" 1 || no "play does not move"
press p; screen paused 5 120x40+100+50
press p; press Escape; screen ingame 12 120x100+100+60
grab frozen; sleep 1; grab frozen2
above "$(differs "$work/frozen.png" "$work/frozen2.png")" 0.2 && no "the game under the menu is not frozen"
press Escape
cheat
for _ in $(seq 1 11); do hop 0.35; done
screen home 5 200x60+60+40
# The bonus counted, the next frog comes; without the switch it is lost on the road.
sleep 5; cheat
over=0
for _ in $(seq 1 20); do
  hop 0.5; grab over
  reads "GAME|OVER" over 320x60+0+90 && { over=1; break; }
  reads "Enter your name" over && break
done
[ $over = 1 ] || no "no game over seen after the hops"
mv "$work/over.png" "$work/game_over.png"; check game_over 18 140x30+90+90
for _ in $(seq 1 20); do grab entry; reads "Enter your name" entry && break; sleep 0.5; done
screen entry 5 200x100+60+80
# The second character of the name: right then down (PKAYER).
press Right; press Down; press Return
screen table
press Return
at=0
sleep 10.5
screen attract
press Escape
screen attract_back
# A window with its menu bar, the Help popup's about box (seen once full
# screen again: the window's picture stands still after a bar command).
press F4; screen window
press F10; screen bar_game
press Left; press Down; press Return
press F4; screen about
press Return; screen main_again
xdotool key alt+F4
if wait_exit 15; then [ "$GAME_RC" -eq 0 ] || no "exit code $GAME_RC"; else fail=1; fi
grep -q '^Background=0' "$user/PondSprint.ini" && grep -q '^Language=1' "$user/PondSprint.ini" ||
  no "the options are not saved: $(tr -d '\r' <"$user/PondSprint.ini" | tr '\n' ' ')"
grep -q '^Name_01=.*KAYER' "$user/scores.txt" || no "the name is not in the score file"

rm -f "$E2E_LOG"
[ $fail -eq 0 ] && [ -z "${E2E_KEEP:-}" ] && rm -rf "$work" || echo "pictures kept in $work"
[ $fail -eq 0 ] && echo "every screen matches its picture"
exit $fail
