#!/usr/bin/env bash
# Every screen a player reaches, in one run of the game, each compared with
# its picture in golden/ (320 x 240): the language screen, the main menu and
# its menus (an option changed and found saved), help, the quit question,
# play, pause, the menu over play, a home cell, game over, the name entry and
# the table, the attract screen and back; then in a window the menu bar, the
# help page and the about box chosen there, after which play and the arrow
# keys go on; and full screen again, the window covering the screen exactly.
# Each step waits for the screen it expects, never for a fixed time.
# E2E_UPDATE_GOLDEN=1 writes the pictures instead (tesseract then finds the
# home cell and game over); E2E_KEEP=1 keeps the grabs.
# Usage: screens.sh GAME
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 640x480x24 -noreset" bash "$0" "$@"; fi
game=$1
here=$(cd "$(dirname "$0")" && pwd)
# The first level of a game is played with the developer switch on (no
# squashing, no drowning): its home cell is reached by hopping up; from the
# next level on the frog dies as usual.
export E2E_LANGUAGE_SCREEN=1 PS_SAFE_FIRST_LEVEL=1
. "$here/e2e_lib.sh"
command -v import >/dev/null || { echo "SKIP: no ImageMagick"; exit 77; }
update=${E2E_UPDATE_GOLDEN:-}
[ -z "$update" ] || command -v tesseract >/dev/null || { echo "FAIL: writing the pictures needs tesseract"; exit 1; }
E2E_LOG=$(mktemp) work=$(mktemp -d) golden=$here/golden
user="$XDG_DATA_HOME/Harrowby/Pond Sprint"
fail=0 t0=$SECONDS
# The title picture alone behind the menus: a still background.
printf '1 gfx\\title.png 600000\r\n' >"$work/demos.txt"
export PS_ATTRACT_LIST=$work/demos.txt
# A table of zero scores: any final score enters it.
mkdir -p "$user"
{
  printf '[High-Scores]\r\nNbScores=5\r\nMaxSizeName=10\r\nMaxSizeScore=8\r\nDefaultName=PLAYER\r\n'
  for i in 1 2 3 4 5; do printf 'Name_0%d=    NOBODY\r\nScore_0%d=       0\r\n' $i $i; done
} >"$user/scores.txt"

no() { echo "FAIL: $1"; fail=1; }
# stop WHY: a step failed; the steps after it would only drift.
stop() {
  no "$1 (at $((SECONDS - t0)) s; pictures kept in $work)"
  kill -9 "$GAME_PID" 2>/dev/null
  exit 1
}
grab() { import -window "$GAME_WIN" -resize '320x240!' "$work/$1.png" 2>/dev/null; }
# differs A B [CROP [text]]: the pixels of A and B (of their CROP, in
# 320 x 240) that differ by more than a fifth in some channel. With "text"
# only the light text counts, where play's cars never stand twice alike.
differs() {
  convert "$1" "$2" ${3:+-crop $3 +repage} ${4:+-colorspace Gray -threshold 80%} -compose difference \
    -composite -separate -evaluate-sequence max -threshold 20% -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null ||
    echo 99999
}
# matches NAME [CROP [MOST [text]]]: the grab NAME is golden/NAME.png but
# for MOST (20) pixels (their count in d). A grab of the right screen
# differs in under 10, a wrong highlight in hundreds.
matches() {
  d=$(differs "$work/$1.png" "$golden/$1.png" "${2:-}" "${4:-}")
  [ "$d" -le "${3:-20}" ]
}
# still NAME: when writing the pictures, grabs until the screen differs from
# the last picture written (at first a black one; 15 s at most), then until
# two grabs agree.
convert -size 320x240 xc:black "$work/last.png"
written=" "
still() {
  for _ in $(seq 1 50); do
    grab "$1"
    [ "$(differs "$work/$1.png" "$work/last.png")" -gt 30 ] && break
    sleep 0.1
  done
  for _ in $(seq 1 20); do
    mv "$work/$1.png" "$work/prev.png"; sleep 0.1; grab "$1"
    [ "$(differs "$work/$1.png" "$work/prev.png")" -le 2 ] && break
  done
}
save() { convert "$work/$1.png" -colors 256 "PNG8:$golden/$1.png"; cp "$work/$1.png" "$work/last.png"; written="$written$1 "; }
# expect NAME [CROP [MOST [text]]]: waits (15 s at most) until the window
# shows golden/NAME.png; writing a picture not written yet, until the
# screen stands still.
expect() {
  [ -n "$update" ] && [ "${written/ $1 /}" = "$written" ] && { still "$1"; save "$1"; return; }
  for _ in $(seq 1 50); do
    grab "$1"
    matches "$@" && { echo "$1 $((SECONDS - t0)) s"; return 0; }
    sleep 0.1
  done
  stop "$1: $d pixels differ from golden/$1.png"
}
# press KEY: held as a player holds it, over frames. The menus take no key
# for half a second after one they took: `key` and `on` press no sooner
# than that after the last press ended (wait_ready).
ready=0
press() { xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"; ready=$((${EPOCHREALTIME/./} + 600000)); }
wait_ready() {
  local d=$((ready - ${EPOCHREALTIME/./}))
  [ $d -le 0 ] || sleep "$(printf '%d.%06d' $((d / 1000000)) $((d % 1000000)))"
}
# key KEY: a press, and the screen changes; pressed again when nothing
# changed within 2 s (a press lost on a busy machine), twice at most.
key() {
  wait_ready; grab before
  for _ in 1 2 3; do
    press "$1"
    for _ in $(seq 1 8); do
      grab after
      [ "$(differs "$work/before.png" "$work/after.png")" -gt 30 ] && return 0
    done
  done
  stop "$1 changed nothing on the screen"
}
# on KEY NAME [CROP [MOST [text]]]: a press, then expect NAME, where play
# moves anyway; pressed again when NAME is not there within 3 s.
on() {
  local k=$1; shift
  wait_ready; press "$k"
  [ -n "$update" ] && { expect "$@"; return; }
  for _ in 1 2 3; do
    for _ in $(seq 1 10); do
      grab "$1"
      matches "$@" && { echo "$1 $((SECONDS - t0)) s"; return 0; }
    done
    press "$k"
  done
  expect "$@"
}
# hop_until NAME CROP MOST WORDS MOVES: hops by MOVES (U up, L left, R
# right; round again when done) until the window shows the light text of
# golden/NAME.png in CROP; writing the pictures, until tesseract reads WORDS
# in the band where the game's big messages stand. The game's own clock
# paces what comes (a time bonus counted out, a level's start), not the
# hops, so it gives up after 90 s rather than after a number of hops.
hop_until() {
  local moves=$5 m i=0 until=$((SECONDS + 90))
  for ((i = 0; SECONDS < until; i++)); do
    m=${moves:$((i % ${#moves})):1}
    case $m in U) press Up ;; L) press Left ;; R) press Right ;; esac
    grab "$1"
    if [ -n "$update" ]; then
      convert "$work/$1.png" -crop 320x90+0+40 +repage -resize 300% -colorspace Gray -threshold 75% -negate "$work/ocr.png"
      tesseract "$work/ocr.png" - 2>/dev/null | grep -Eq "$4" && { save "$1"; return; }
    else
      matches "$1" "$2" "$3" text && { echo "$1 after $((i + 1)) hops, $((SECONDS - t0)) s"; return; }
    fi
  done
  stop "no $1 after $i hops in 90 s"
}

start_game "$game" || exit 1
xdotool windowfocus "$GAME_WIN" 2>/dev/null
expect language
key Return; expect main
key Down; key Return; expect setup
key Down; key Return; expect setup_changed          # the background off
key Down; key Return                                 # back
key Down; key Return; expect options
key Down; key Down; key Return
key Down; key Return; expect scores
key Return
key Down; key Return; expect help
key Return
key F1; expect help
key Return
key Down; key Return; expect quit_question
key Return                                           # no
key Down; key Return                                 # round to the first line
# Play, once the camera has come down: the grass stands still, the cars move.
expect play 100x60+0+170
sleep 0.3; grab moved
[ "$(differs "$work/play.png" "$work/moved.png")" -gt 30 ] || no "play does not move"
on p paused 100x20+110+95 60 text
# Esc shows the main menu over the game, paused or not, which stands still
# under it. Its title and highlighted line stand over the sky and the
# trees, where nothing moves (no bonus falls in a life's first 10 s).
key Escape; expect ingame 160x36+80+48
sleep 0.5; grab frozen
[ "$(differs "$work/ingame.png" "$work/frozen.png")" -le 2 ] || no "the game under the menu is not frozen"
key Escape
# Straight up from the start is a home cell, but the logs carry the frog
# along: on the far bank it looks for one to the left, then to the right.
hop_until home 130x20+95+48 60 'HOME|SAFE' UUUUUUUUUUUULULULULULURURURURURURURURURU
# The bonus is counted and the next level comes, where cars squash the frog.
hop_until game_over 140x22+90+90 60 'GAME|OVER' U
expect entry
# The second character of the name: right then down (PKAYER). The table is
# compared left of its scores, which follow the time left.
key Right; key Down; key Return; expect table 180x200+20+40
key Return; expect main
# Left alone, the main menu gives way to the attract screen; Esc brings it back.
[ -z "$update" ] || sleep 11
expect attract
key Escape; expect main
# A window with its menu bar; the Help popup's help page and about box, and
# after each the main menu takes the arrow keys again.
key F4; expect window
key F10; expect bar_game
key Left; key Return; expect help_window
key Return; expect window
key F10; key Left; key Down; key Return; expect about
key Return; expect window
key Down; expect window_down
# Full screen again: the window covers the screen, the picture in its place.
key F4; expect full
geometry=$(xdotool getwindowgeometry "$GAME_WIN" | grep -o '[0-9]*x[0-9]*$')
[ "$geometry" = 640x480 ] || no "full screen in a window of $geometry"
xdotool key alt+F4
if wait_exit 15; then [ "$GAME_RC" -eq 0 ] || no "exit code $GAME_RC"; else fail=1; fi
grep -q '^Background=0' "$user/PondSprint.ini" && grep -q '^Language=1' "$user/PondSprint.ini" ||
  no "the options are not saved: $(tr -d '\r' <"$user/PondSprint.ini" | tr '\n' ' ')"
grep -q "^Name_01=.*PKAYER" "$user/scores.txt" || no "the name is not in the score file: $(grep -a Name_01 "$user/scores.txt")"

rm -f "$E2E_LOG"
[ $fail -eq 0 ] && [ -z "${E2E_KEEP:-}" ] && rm -rf "$work" || echo "pictures kept in $work"
[ $fail -eq 0 ] && echo "every screen matches its picture ($((SECONDS - t0)) s)"
exit $fail
