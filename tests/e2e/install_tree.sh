#!/usr/bin/env bash
# The installed game from a read-only prefix: its first start takes the installed Default.ini, a window
# maximised to 16:9 shows the picture at 4:3 between bars, F9 saves into the per-user folder and says so,
# and the prefix is left as it was. The desktop entry and AppStream file pass their validators.
# Usage: install_tree.sh GAME X_CLOSE_WINDOW AUDIO_FIND X_MAXIMISE_WINDOW
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1280x720x24 -noreset" bash "$0" "$@"; fi
game=$1 maximise=$(realpath "$4")
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
E2E_LOG=$(mktemp)
export E2E_LANGUAGE_SCREEN=1  # no settings yet: the first start copies Default.ini
prefix=$E2E_HOME/prefix user="$XDG_DATA_HOME/Harrowby/Pond Sprint" fail=0
command -v openbox >/dev/null || { echo "SKIPPED: maximising needs a window manager (openbox)"; exit 77; }
openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
trap 'kill $wm_pid; chmod -R u+w "$E2E_HOME"; e2e_home_cleanup; rm -f "$E2E_LOG"' EXIT
sleep 1
cmake --install "$(dirname "$game")" --prefix "$prefix" >"$E2E_LOG" 2>&1 || { echo "FAIL: install"; cat "$E2E_LOG"; exit 1; }
chmod -R a-w "$prefix"  # as root only the mode bits say so: what is written shows in the listing
listing() { (cd "$prefix" && find . -printf '%p %s %T@\n' | LC_ALL=C sort); }
before=$(listing)

cd "$prefix/share/pondsprint" && start_game "$prefix/bin/pondsprint" || exit 1
sleep 2
xdotool key --window "$GAME_WIN" F4  # full screen at first, as Default.ini says
sleep 2
"$maximise" "$GAME_WIN"
sleep 2
import -window "$GAME_WIN" "$E2E_HOME/window.png"
snap=$(snap_file "$user")
xdotool key --window "$GAME_WIN" alt+F4
wait_exit 15 && { [ "$GAME_RC" -eq 0 ] || { echo "FAIL: exit code $GAME_RC"; fail=1; }; } || fail=1
cd /

[ "$before" = "$(listing)" ] || { echo "FAIL: the run changed the install tree"; diff <(echo "$before") <(listing); fail=1; }
grep -q '^MusicVolume=70' "$user/PondSprint.ini" || { echo "FAIL: settings not seeded from Default.ini"; fail=1; }
[ -s "$user/history.txt" ] || { echo "FAIL: no history.txt in the per-user folder"; fail=1; }
[ -n "$snap" ] && grep -qF "$snap" "$user/Warning.txt" || { echo "FAIL: no snapshot named in Warning.txt"; fail=1; }

# The middle row: black bars at both sides, the picture centred between them, 4:3 under the menu bar.
read -r win_w win_h < <(identify -format '%w %h\n' "$E2E_HOME/window.png")
read -r left right < <(convert "$E2E_HOME/window.png" -crop "${win_w}x1+0+$((win_h / 2))" +repage txt:- |
  awk -F'[ ,:]+' 'NR > 1 && $0 !~ /#000000/ { if (f == "") f = $1; l = $1 } END { print f, l }')
pic_w=$((right - left + 1)) bar_h=$((win_h - (right - left + 1) * 3 / 4))
echo "window ${win_w}x${win_h}: picture columns $left-$right"
[ "$win_w" -ge $((win_h * 3 / 2)) ] && [ "$left" -ge 20 ] && [ $((left - (win_w - 1 - right))) -ge -1 ] &&
  [ $((left - (win_w - 1 - right))) -le 1 ] && [ "$bar_h" -ge 10 ] && [ "$bar_h" -le 40 ] ||
  { echo "FAIL: the maximised window shows no centred 4:3 picture between bars"; fail=1; }
[ -n "$snap" ] && [ "$(identify -format '%w' "$snap")" = "$pic_w" ] || { echo "FAIL: F9 did not save the picture alone"; fail=1; }

for side in 16 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${side}x${side}/apps/org.harrowby.PondSprint.png"
  [ "$(identify -format '%wx%h' "$png" 2>/dev/null)" = "${side}x${side}" ] || { echo "FAIL: icon $side"; fail=1; }
done
for check in "desktop-file-validate applications/org.harrowby.PondSprint.desktop" \
             "appstreamcli validate --no-net metainfo/org.harrowby.PondSprint.metainfo.xml"; do
  set -- $check
  if ! command -v "$1" >/dev/null; then echo "SKIPPED: $1 is not installed"; continue; fi
  "${@:1:$#-1}" "$prefix/share/${!#}" || { echo "FAIL: $1"; fail=1; }
done
[ $fail -eq 0 ] && echo "the installed game runs from a read-only prefix, keeps 4:3 between bars, and validates"
exit $fail
