#!/usr/bin/env bash
# Left alone, the game's main menu hides after its timeout and the attract
# sequence runs: the title picture, a demo, the how-to-play picture, and
# round again. The test watches one whole round, then Esc brings the main
# menu back over the sequence.
# A short attract list (PS_ATTRACT_LIST) keeps the round short. Screens are
# read from the X server: F9, like any key, would stop the unattended run.
# Usage: attract.sh GAME
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"; fi
game=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
E2E_LOG=$(mktemp)
work=$(mktemp -d)
gfx=$(dirname "$game")/gfx
command -v import >/dev/null || { echo "SKIP: no ImageMagick import"; exit 77; }
printf '1 gfx\\title.png 3000\r\n3 7 0\r\n1 gfx\\howto.png 3000\r\n' >"$work/demos.txt"
export PS_ATTRACT_LIST=$work/demos.txt

# Pictures are compared small, which is quick and blind to the text on them.
convert "$gfx/title.png" -resize '256x192!' "$work/T.png"
convert "$gfx/howto.png" -resize '256x192!' "$work/H.png"

# rmse A B [CROP]: the difference (0..1) of two pictures, or of one part of them.
rmse() {
  compare -metric RMSE "$1[${3:-256x192+0+0}]" "$2[${3:-256x192+0+0}]" null: 2>&1 | sed 's/.*(\(.*\))/\1/'
}
below() { awk -v v="$1" -v l="$2" 'BEGIN { exit !(v < l) }'; }
# screen: what the window shows: T title, H how-to-play (lower case with a
# menu over the middle), D anything else (a demo). Without a menu a picture
# carries only the attract messages at its edges.
screen() {
  import -window "$GAME_WIN" -resize '256x192!' "$work/shot.png" 2>/dev/null || { echo "?"; return; }
  local letter
  for letter in T H; do
    if below "$(rmse "$work/shot.png" "$work/$letter.png")" 0.15; then
      if below "$(rmse "$work/shot.png" "$work/$letter.png" 102x76+77+56)" 0.12; then echo $letter; else echo "$letter" | tr TH th; fi
      return
    fi
  done
  echo D
}

fail=0
start_game "$game" || exit 1
# The pictures change under the main menu first; then, the menu gone, watch
# one whole round: title, demo, how-to-play and the first of them again.
seen=""
for _ in $(seq 1 200); do
  s=$(screen)
  [ "${seen: -1}" = "$s" ] || seen="$seen$s"
  case $seen in *TDHT*|*DHTD*|*HTDH*) break ;; esac
  sleep 0.3
done
echo "screens: $seen"
case $seen in
  *[th]*TDHT*|*[th]*DHTD*|*[th]*HTDH*) ;;
  *) echo "FAIL: no whole round of the attract sequence after the main menu"; fail=1 ;;
esac

# Esc, held as a player holds it: the main menu comes back over the sequence.
xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
menu=0
for _ in $(seq 1 20); do case $(screen) in t|h) menu=1 && break ;; esac; sleep 0.3; done
[ $menu = 1 ] || { echo "FAIL: Esc did not bring the main menu back over the pictures"; fail=1; }

xdotool key alt+F4
wait_exit 15 || fail=1
rm -rf "$work"
[ $fail -eq 0 ] && echo "the attract sequence runs a whole round behind and without the main menu"
exit $fail
