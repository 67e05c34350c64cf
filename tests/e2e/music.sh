#!/usr/bin/env bash
# Music in play: with SDL's disk audio driver, the first level's piece is
# heard sample for sample as musicrender renders it alone (at the game's
# volume of 70), so a slice refilled late, twice or in the wrong place shows
# as a jump; then F2 silences it and DigitalMusic=0 is saved.
# Usage: music.sh GAME X_CLOSE_WINDOW AUDIO_FIND
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"; fi
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
dir=$(dirname "$1")
piece=$(sed -n 's/^s3m_file=//p' "$dir/level/level0.txt" | tr -d '\r' | tr '\\' /)
[ -f "$dir/$piece" ] || { echo "SKIP: the first level's music ($piece) is not among the game's files"; exit 77; }
cd "$E2E_HOME" || exit 1
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$E2E_HOME/out.raw E2E_LOG=$E2E_HOME/log
# Effects are sound_effects.sh's to hear: with them off the main menu's
# choice is silent and the output's first sound is the level's piece.
settings="$XDG_DATA_HOME/Harrowby/Pond Sprint/PondSprint.ini"
mkdir -p "$(dirname "$settings")" && sed 's/^SoundEffects=.*/SoundEffects=0\r/' "$dir/Default.ini" >"$settings"
start_game "$1" || exit 1
# Seven seconds of the piece are compared: F2 comes well after them.
sleep 4; new_game; sleep 8; xdotool key F2; sleep 3; xdotool key alt+F4
wait_exit 15 || exit 1
"$dir/tools/musicrender" "$dir/$piece" ref.wav --seconds 12 || exit 1
sox -t raw -r 44100 -e signed -b 16 -c 2 out.raw out.wav
# first FILE: the first frame that is not silence.
first() { sox "$1" -t dat - | awk 'NR > 2 && ($2 != 0 || $3 != 0) { print NR - 3; exit }'; }
# residual SHIFT: the largest difference over 7 s between the game's output
# and 0.7 times the render, the two starts SHIFT frames apart.
residual() {
  sox -V1 out.wav o.wav trim "$(($(first out.wav) + $1))s" 7 && sox -V1 ref.wav r.wav trim "$(first ref.wav)s" 7 &&
    sox -D -m -v 1 o.wav -v -0.7 r.wav -n stat 2>&1 | awk '/Maximum amplitude/ { m = $3 * 32768 } END { printf "%d\n", m }'
}
best=$(for s in $(seq -24 24); do residual "$s"; done | sort -n | head -1)
peak=$(sox out.wav -n stat 2>&1 | awk '/Maximum amplitude/ { printf "%d\n", $3 * 32768 }')
tail=$(sox out.wav -n trim -1.5 stat 2>&1 | awk '/Maximum amplitude/ { printf "%d\n", $3 * 32768 }')
echo "peak $peak, largest difference from the render $best, peak of the last 1.5 s $tail"
fail=0
[ "$peak" -gt 1000 ] || { echo "FAIL: no music heard"; fail=1; }
[ "$best" -le $((peak / 100)) ] || { echo "FAIL: the output is not the piece as rendered alone"; fail=1; }
[ "$tail" -eq 0 ] || { echo "FAIL: F2 did not silence the music"; fail=1; }
grep -q '^DigitalMusic=0' "$XDG_DATA_HOME/Harrowby/Pond Sprint/PondSprint.ini" || { echo "FAIL: DigitalMusic=0 not saved"; fail=1; }
[ $fail -eq 0 ] && echo "the level's music plays as rendered, F2 silences it and the switch is saved"
exit $fail
