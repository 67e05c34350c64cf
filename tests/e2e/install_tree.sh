#!/usr/bin/env bash
# `cmake --install` lays out a game that runs from a read-only prefix: the
# first start takes its settings from the installed Default.ini, F9 saves
# into the per-user folder and says so, and the run leaves the prefix as it
# was. The desktop entry and the AppStream file pass their validators and
# every icon has its size.
# Usage: install_tree.sh GAME
set -u
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"; fi
game=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
E2E_LOG=$(mktemp)
# A first start: no settings yet, so the installed Default.ini is copied.
export E2E_LANGUAGE_SCREEN=1
prefix=$E2E_HOME/prefix
user="$XDG_DATA_HOME/Harrowby/Pond Sprint"
fail=0
cleanup() { chmod -R u+w "$E2E_HOME" 2>/dev/null; e2e_home_cleanup; rm -f "$E2E_LOG"; }
trap cleanup EXIT

cmake --install "$(dirname "$game")" --prefix "$prefix" >"$E2E_LOG" 2>&1 || { echo "FAIL: install"; cat "$E2E_LOG"; exit 1; }
chmod -R a-w "$prefix"
listing() { (cd "$prefix" && find . -printf '%p %s %T@\n' | LC_ALL=C sort); }
before=$(listing)

# Started from its own read-only data folder, where the current folder offers no room for snapshots.
cd "$prefix/share/pondsprint" || exit 1
start_game "$prefix/bin/pondsprint" || exit 1
xdotool windowfocus "$GAME_WIN" 2>/dev/null
sleep 3
snap=$(snap_file "$user")
xdotool key alt+F4
if wait_exit 15; then
  [ "$GAME_RC" -eq 0 ] || { echo "FAIL: exit code $GAME_RC"; cat "$E2E_LOG"; fail=1; }
else
  fail=1
fi
cd /

after=$(listing)
if [ "$before" != "$after" ]; then
  echo "FAIL: the run changed the install tree:"; diff <(echo "$before") <(echo "$after"); fail=1
fi
grep -q '^MusicVolume=70' "$user/PondSprint.ini" 2>/dev/null ||
  { echo "FAIL: the settings were not seeded from the installed Default.ini"; fail=1; }
[ -s "$user/history.txt" ] || { echo "FAIL: no history.txt in the per-user folder"; fail=1; }
if [ -z "$snap" ]; then
  echo "FAIL: F9 saved nothing in the per-user folder"; ls -la "$user"; fail=1
else
  grep -qF "$snap" "$user/Warning.txt" 2>/dev/null ||
    { echo "FAIL: Warning.txt does not say where the snapshot went"; cat "$user/Warning.txt" 2>/dev/null; fail=1; }
fi

# Each icon is a PNG of the size its folder names (IHDR width and height, big-endian).
for side in 16 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${side}x${side}/apps/org.harrowby.PondSprint.png"
  size=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$size" = "${side}x${side}" ] || { echo "FAIL: icon ${side}x${side} is '$size'"; fail=1; }
done

desktop="$prefix/share/applications/org.harrowby.PondSprint.desktop"
metainfo="$prefix/share/metainfo/org.harrowby.PondSprint.metainfo.xml"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || { echo "FAIL: desktop-file-validate"; fail=1; }
else
  echo "SKIPPED: desktop-file-validate is not installed (package desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" || { echo "FAIL: appstreamcli validate"; fail=1; }
else
  echo "SKIPPED: appstreamcli is not installed (package appstream)"
fi

[ $fail -eq 0 ] && echo "the installed game runs from a read-only prefix and its desktop files validate"
exit $fail
