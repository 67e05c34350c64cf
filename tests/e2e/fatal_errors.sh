#!/usr/bin/env bash
# A start that fails says why on standard error, in the game's own words,
# and ends with a failure status: a damaged resource.dat (empty, cut short,
# bad table), a level the loader refuses, no display and a read-only
# per-user folder.
# Root writes through permission bits: as root the folder is made read-only
# by a bind mount in a mount namespace of the script's own. The X server
# is kept from resetting between the game's starts, which would refuse a
# start that comes during the reset.
# Usage: fatal_errors.sh GAME
set -u
if [ "$(id -u)" -eq 0 ] && [ -z "${E2E_UNSHARED:-}" ] && unshare -m --propagation private true 2>/dev/null; then
  export E2E_UNSHARED=1; exec unshare -m --propagation private bash "$0" "$@"
fi
if [ -z "${E2E_UNDER_XVFB:-}" ]; then export E2E_UNDER_XVFB=1; exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"; fi
game=$1
dir=$(dirname "$game")
# Mesa's software rasteriser can deadlock joining its worker threads when a
# context is closed moments after it was made (seen in XCloseDisplay at a
# failed start's exit): one thread is enough to draw nothing.
export LP_NUM_THREADS=0
here=$(cd "$(dirname "$0")" && pwd)
. "$here/e2e_lib.sh"
work=$(mktemp -d)
trap 'umount "${user:-/nonexistent}" 2>/dev/null; rm -rf "$work"; e2e_home_cleanup' EXIT
fail=0
archive="$dir/resource.dat"
size=$(stat -c %s "$archive")
e2e_language_chosen "$game"

# run CASE TEXT: the game from a folder of its own must end with a failure
# status within 30 s and say TEXT on standard error. Enter on a shown window
# starts a game, so a fault met only by the first level's load is met too.
run() {
  "$work/pondsprint" >"$work/out" 2>"$work/err" &
  local pid=$! rc=124
  for _ in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; rc=$?; break; }
    [ $((_ % 10)) -eq 0 ] && xdotool search --onlyvisible --name '^Pond Sprint$' >/dev/null 2>&1 && xdotool key Return
    sleep 0.1
  done
  [ $rc -eq 124 ] && kill -9 "$pid" 2>/dev/null
  [ "$rc" -ne 0 ] && [ "$rc" -ne 124 ] || { echo "FAIL: $1: exit status $rc"; fail=1; }
  grep -qF "$2" "$work/err" || { echo "FAIL: $1: standard error does not say \"$2\""; cat "$work/out" "$work/err"; fail=1; }
}
cp "$game" "$work/pondsprint"
: >"$work/resource.dat"; run "empty resource.dat" "Cant open the file data\\font.dat"
head -c $((size / 2)) "$archive" >"$work/resource.dat"; run "resource.dat cut in half" "Cant open the file data\\font.dat"
cp "$archive" "$work/resource.dat"
# The table's key byte is the archive's last: a wrong one garbles every name.
printf '\x00' | dd of="$work/resource.dat" bs=1 seek=$((size - 1)) conv=notrunc status=none
run "resource.dat with a bad table" "Cant open the file data\\font.dat"

# Every level with a picture named twice, packed by the game's own packer: whichever the game loads first stops it.
if [ -x "$dir/tools/respack" ] && [ -f "$dir/datatree/level/level0.def" ]; then
  cp -r "$dir/datatree" "$work/tree"
  for def in "$work"/tree/level/level*.def; do sed -i '0,/^#GRASS = /{/^#GRASS = /p}' "$def"; done
  "$dir/tools/respack" pack "$work/tree" "$work/resource.dat" --seed 1 >/dev/null || { echo "FAIL: respack"; fail=1; }
  run "a level the loader refuses" "Bitmap name GRASS already exist in Load_Level(level\\level"
else
  echo "FAIL: no data tree and packer beside the game to build a damaged level with"; fail=1
fi

# No display at all: SDL's drivers that show nothing are not taken instead.
cp "$archive" "$work/resource.dat"
(unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER; fail=0; run "no display" "No display was found to show the game on"; exit $fail) || fail=1

user="$XDG_DATA_HOME/Harrowby/Pond Sprint"
cp "$archive" "$work/resource.dat"
if [ "$(id -u)" -ne 0 ]; then chmod a-w "$user"
elif [ -n "${E2E_UNSHARED:-}" ]; then mount --bind "$user" "$user" && mount -o remount,ro,bind "$user"; fi
if touch "$user/probe" 2>/dev/null; then echo "no way to make the per-user folder read-only here: not checked"
else run "a read-only per-user folder" "cant create or modify history file"; fi
[ $fail -eq 0 ] && echo "every failed start is reported on standard error with a failure status"
exit $fail
