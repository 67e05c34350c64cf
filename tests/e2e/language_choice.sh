#!/usr/bin/env bash
# A first start at 640 x 480 shows the language screen with the six languages
# legible; French (one row down, Enter) starts play with the French head-up
# display, the choice is saved and the next start goes straight to it.
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 640x480x24 -noreset" bash "$0" "$@"; fi
game=$1
here=$(cd "$(dirname "$0")" && pwd)
export E2E_LANGUAGE_SCREEN=1
. "$here/e2e_lib.sh"
E2E_LOG=$(mktemp) folder=$(dirname "$game") work=$(mktemp -d)
settings="$XDG_DATA_HOME/Harrowby/Pond Sprint/PondSprint.ini"
fail=0
rm -f "$folder"/Snap*.tga

# snapshot N [CROP]: F9; $work/snapN.png, and in snapN.txt what tesseract reads in its CROP
# (light text made dark), once as it is and once cut at 80 % brightness.
snapshot() {
  local tga=$(snap_file "$folder")
  [ -n "$tga" ] || { echo "FAIL: F9 wrote no snapshot"; fail=1; return 1; }
  convert "$tga" -auto-orient "$work/snap$1.png"
  rm -f "$tga"
  : >"$work/snap$1.txt"
  for cut in "" "-threshold 80%"; do
    convert "$work/snap$1.png" ${2:+-crop $2 +repage} -colorspace Gray $cut -negate "$work/ocr.png"
    tesseract "$work/ocr.png" - 2>/dev/null >>"$work/snap$1.txt"
  done
}

# legible WORD FILE: a word of FILE is WORD but for two letters (accents read as plain letters).
legible() {
  tr -s ' \t' '\n\n' <"$2" | sed 's/[^A-Za-z]//g' | awk -v w="$1" '
    function dist(a, b,   i, j, c, d, m, n) {
      m = length(a); n = length(b)
      for (i = 0; i <= m; i++) d[i, 0] = i
      for (j = 0; j <= n; j++) d[0, j] = j
      for (i = 1; i <= m; i++) for (j = 1; j <= n; j++) {
        c = d[i - 1, j - 1] + (substr(a, i, 1) != substr(b, j, 1))
        if (d[i - 1, j] + 1 < c) c = d[i - 1, j] + 1
        d[i, j] = d[i, j - 1] + 1 < c ? d[i, j - 1] + 1 : c
      }
      return d[m, n]
    }
    length($0) && dist($0, w) <= 2 { found = 1 } END { exit !found }'
}

# Keys held as a player holds them: longer than a frame.
press() { xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"; sleep 0.5; }
start_game "$game" || exit 1
xdotool windowfocus "$GAME_WIN" 2>/dev/null
sleep 4
snapshot 0
# The screen waits: seconds later it is still there. One row down, the
# flags beside English are gone, and every name is read from the two pictures.
sleep 2
press Down
snapshot 1
cat "$work/snap0.txt" "$work/snap1.txt" >"$work/names.txt"
for name in Select Language English Francais Deutsch Espanol Italiano Portugues; do
  legible "$name" "$work/names.txt" || { echo "FAIL: '$name' is not legible on the language screen"; fail=1; }
done
legible Deutsch "$work/snap1.txt" || { echo "FAIL: the language screen went away by itself"; fail=1; }
press Return
sleep 1
# The main menu comes next; Enter starts play.
press Return
sleep 3
# The clock at the top of the screen reads "Temps" in French.
snapshot 2 100%x10%+0+0
grep -q "Temps" "$work/snap2.txt" || { echo "FAIL: no French head-up display"; cat "$work/snap2.txt"; fail=1; }

xdotool key alt+F4
wait_exit 15 && [ "$GAME_RC" -eq 0 ] || { echo "FAIL: exit code ${GAME_RC:-}"; cat "$E2E_LOG"; fail=1; }
grep -q '^Language=2' "$settings" || { echo "FAIL: the choice is not in the settings"; cat "$settings"; fail=1; }

# The next start goes straight to the main menu, in French.
start_game "$game" || exit 1
xdotool windowfocus "$GAME_WIN" 2>/dev/null
sleep 4
press Return
sleep 3
snapshot 3 100%x10%+0+0
grep -q "Temps" "$work/snap3.txt" || { echo "FAIL: the second start is not French play"; fail=1; }
xdotool key alt+F4
wait_exit 15 || fail=1

rm -f "$folder"/Snap*.tga "$E2E_LOG"
[ $fail -eq 0 ] && [ -z "${E2E_KEEP:-}" ] && rm -rf "$work" || echo "snapshots kept in $work"
[ $fail -eq 0 ] && echo "the language screen comes first, French is chosen, shown and saved"
exit $fail
