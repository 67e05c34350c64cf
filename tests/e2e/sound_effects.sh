#!/usr/bin/env bash
# Sound effects reach the audio output: the game runs with SDL's disk audio
# driver, the main menu's new-game line is chosen and the frog hops, and the
# menu's and the hop's samples are found in what was played.
# F3 switches effects off (the output stays silent and SoundEffects=0 is
# saved); started with SoundEffects=0 and DigitalMusic=0 the game plays
# nothing until F3 switches effects on again, which is saved too.
# Usage: sound_effects.sh GAME X_CLOSE_WINDOW AUDIO_FIND
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"; fi
game=$1
audio_find=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
# A settings folder and instance lock of its own, whatever else runs.
export XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
. "$here/e2e_lib.sh"
export SDL_AUDIODRIVER=disk
E2E_LOG=$work/log
hop=$(dirname "$game")/snd/hop.wav
blip=$(dirname "$game")/snd/blip.wav
settings="$XDG_DATA_HOME/Harrowby/Pond Sprint/PondSprint.ini"
fail=0
# The music is music.sh's to hear: these runs start with it off.
mkdir -p "$(dirname "$settings")" && sed 's/^DigitalMusic=.*/DigitalMusic=0\r/' "$(dirname "$game")/Default.ini" >"$settings"

# press KEY: held long enough for the game's once-a-frame poll to see it.
press() { xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"; }

# play OUTPUT KEYS...: one run of the game, its audio written to OUTPUT;
# each KEY is pressed with a pause after it ("hop" is Up, "new" starts play
# from the main menu, whose choice has an effect of its own).
play() {
  export SDL_DISKAUDIOFILE=$1
  shift
  start_game "$game" || return 1
  xdotool windowfocus "$GAME_WIN" 2>/dev/null
  sleep 3
  for key in "$@"; do
    case $key in hop) press Up ;; new) new_game ;; *) press "$key" ;; esac
    sleep 0.8
  done
  xdotool key alt+F4
  wait_exit 15 || return 1
  [ "$GAME_RC" -eq 0 ] || { echo "FAIL: exit code $GAME_RC"; cat "$E2E_LOG"; return 1; }
}

setting() { sed -n "/^\[Sound\]/,/^\[/s/^$1=//p" "$settings" | tr -d '\r'; }

# check WHAT CONDITION: FAIL with WHAT unless the condition holds.
check() { eval "$2" || { echo "FAIL: $1"; fail=1; }; }
hops() { "$audio_find" "$1" "$hop" | wc -l; }
peak() { "$audio_find" "$1" --peak; }

# 1. Effects on (the defaults): the hops are heard.
play "$work/on.raw" new hop hop hop || fail=1
check "no hop found in the output" '[ "$(hops "$work/on.raw")" -ge 1 ]'
check "the main menu's choice made no sound" '[ "$("$audio_find" "$work/on.raw" "$blip" | wc -l)" -ge 1 ]'
check "SoundEffects is not 1 after a run with effects on" '[ "$(setting SoundEffects)" = 1 ]'
# 2. F3 at the main menu: nothing is heard, and the switch is saved.
play "$work/f3.raw" F3 new hop hop || fail=1
check "effects switched off by F3, yet the output is not silent" '[ "$(peak "$work/f3.raw")" = 0 ]'
check "F3 did not save SoundEffects=0" '[ "$(setting SoundEffects)" = 0 ]'
# 3. Started with effects and music off: silent.
sed -i 's/^DigitalMusic=.*/DigitalMusic=0\r/' "$settings"
play "$work/off.raw" new hop hop || fail=1
check "with SoundEffects=0 the output is not silent" '[ "$(peak "$work/off.raw")" = 0 ]'
# 4. Again, F3 at the main menu: the hops are heard and the switch is saved.
play "$work/back.raw" F3 new hop hop || fail=1
check "F3 did not switch effects on" '[ "$(hops "$work/back.raw")" -ge 1 ]'
check "F3 did not save SoundEffects=1" '[ "$(setting SoundEffects)" = 1 ]'
check "DigitalMusic=0 was not kept" '[ "$(setting DigitalMusic)" = 0 ]'

rm -rf "$work"
[ $fail -eq 0 ] && echo "effects sound, F3 silences them and the switch is saved"
exit $fail
