#!/usr/bin/env bash
# Music in the front end and in play: with SDL's disk audio driver, the main
# menu's piece is heard first and the first level's piece from the new game
# on, each sample for sample as musicrender renders it alone (at the game's
# volume of 70), so a slice refilled late, twice or in the wrong place shows
# as a jump; then F2 silences it and DigitalMusic=0 is saved.
# Usage: music.sh GAME X_CLOSE_WINDOW AUDIO_FIND
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"; fi
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
dir=$(dirname "$1")
audio_find=$3
menu_piece=snd/mainmenu.s3m
piece=$(sed -n 's/^s3m_file=//p' "$dir/level/level0.txt" | tr -d '\r' | tr '\\' /)
for p in "$menu_piece" "$piece"; do
  [ -f "$dir/$p" ] || { echo "SKIP: the piece $p is not among the game's files"; exit 77; }
done
cd "$E2E_HOME" || exit 1
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$E2E_HOME/out.raw E2E_LOG=$E2E_HOME/log
# Effects are sound_effects.sh's to hear: with them off only music sounds.
settings="$XDG_DATA_HOME/Harrowby/Pond Sprint/PondSprint.ini"
mkdir -p "$(dirname "$settings")" && sed 's/^SoundEffects=.*/SoundEffects=0\r/' "$dir/Default.ini" >"$settings"
start_game "$1" || exit 1
# Three seconds of the menu's piece and seven of the level's are compared:
# the new game and F2 come well after them.
sleep 5; new_game; sleep 8; xdotool key F2; sleep 3; xdotool key alt+F4
wait_exit 15 || exit 1
"$dir/tools/musicrender" "$dir/$menu_piece" menu.wav --seconds 5 && "$dir/tools/musicrender" "$dir/$piece" level.wav --seconds 12 || exit 1
sox -t raw -r 44100 -e signed -b 16 -c 2 out.raw out.wav
# first FILE: the first frame that is not silence.
first() { sox "$1" -t dat - | awk 'NR > 2 && ($2 != 0 || $3 != 0) { print NR - 3; exit }'; }
# residual REF AT SECONDS SHIFT: the largest difference over SECONDS between
# the game's output from frame AT + SHIFT and 0.7 times REF from its first sound.
residual() {
  sox -V1 out.wav o.wav trim "$(($2 + $4))s" "$3" && sox -V1 "$1" r.wav trim "$(first "$1")s" "$3" &&
    sox -D -m -v 1 o.wav -v -0.7 r.wav -n stat 2>&1 | awk '/Maximum amplitude/ { m = $3 * 32768 } END { printf "%d\n", m }'
}
best() { for s in $(seq -24 24); do residual "$1" "$2" "$3" "$s"; done | sort -n | head -1; }
# The level's piece starts where its opening (left channel) is found in the output.
sox -V1 level.wav opening.wav trim "$(first level.wav)s" 0.2 remix 1
at=$("$audio_find" out.raw opening.wav | sed -n '1s/.*frame //p')
menu_best=$(best menu.wav "$(first out.wav)" 3)
level_best=$([ -n "$at" ] && best level.wav "$at" 7 || echo 99999)
peak=$(sox out.wav -n stat 2>&1 | awk '/Maximum amplitude/ { printf "%d\n", $3 * 32768 }')
tail=$(sox out.wav -n trim -1.5 stat 2>&1 | awk '/Maximum amplitude/ { printf "%d\n", $3 * 32768 }')
echo "peak $peak, level piece from frame ${at:-none}, largest differences from the renders: menu $menu_best, level $level_best, peak of the last 1.5 s $tail"
fail=0
[ "$peak" -gt 1000 ] || { echo "FAIL: no music heard"; fail=1; }
[ "$menu_best" -le $((peak / 100)) ] || { echo "FAIL: the first sound is not the main menu's piece as rendered alone"; fail=1; }
[ -n "$at" ] && [ "$at" -gt "$(first out.wav)" ] || { echo "FAIL: the level's piece did not start after the menu's"; fail=1; }
[ "$level_best" -le $((peak / 100)) ] || { echo "FAIL: the level's output is not its piece as rendered alone"; fail=1; }
[ "$tail" -eq 0 ] || { echo "FAIL: F2 did not silence the music"; fail=1; }
grep -q '^DigitalMusic=0' "$settings" || { echo "FAIL: DigitalMusic=0 not saved"; fail=1; }
[ $fail -eq 0 ] && echo "the menu's and the level's music play as rendered, F2 silences it and the switch is saved"
exit $fail
