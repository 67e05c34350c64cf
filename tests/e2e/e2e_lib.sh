# Shared helpers for the end-to-end scripts: start the game under the current
# X display, find its window, wait for it to end.
export PS_NO_BOXES=1
export SDL_AUDIODRIVER=dummy
# The X display is the one under test: no silent fall-back to another driver.
export SDL_VIDEODRIVER=x11
# Memory leaks inside the X and GL libraries are not ours to report here.
export ASAN_OPTIONS=detect_leaks=0
# Every game started here gets folders of its own: its settings and scores
# (XDG_DATA_HOME) and its single-instance lock (XDG_RUNTIME_DIR), so a test
# neither reads a player's settings nor takes a game running beside it, or
# another test's, for itself. e2e_home_cleanup removes them; a script with
# an EXIT trap of its own calls it there.
E2E_HOME=$(mktemp -d)
export XDG_DATA_HOME=$E2E_HOME/data XDG_RUNTIME_DIR=$E2E_HOME/run
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
e2e_home_cleanup() { rm -rf "$E2E_HOME"; }
trap e2e_home_cleanup EXIT

# A first start shows the language screen; unless a script sets
# E2E_LANGUAGE_SCREEN=1, English (Number 1) counts as chosen in the settings
# (seeded from the game's Default.ini, or added to what a script wrote).
e2e_language_chosen() {
  [ -n "${E2E_LANGUAGE_SCREEN:-}" ] && return 0
  local settings="$XDG_DATA_HOME/Harrowby/Pond Sprint/PondSprint.ini"
  mkdir -p "$(dirname "$settings")"
  [ -f "$settings" ] || cp "$(dirname "$1")/Default.ini" "$settings" 2>/dev/null || : >"$settings"
  grep -q '^Language=' "$settings" || printf '[Application]\r\nLanguage=1\r\n' >>"$settings"
}

# e2e_full_screen SIZE: settings for a game full screen at SIZE (WxH),
# English chosen; the game's per-user folder made.
e2e_full_screen() {
  local folder="$XDG_DATA_HOME/Harrowby/Pond Sprint"
  mkdir -p "$folder"
  printf '[Application]\r\nLanguage=1\r\n[Display]\r\nResolution=%sx32\r\nFullscreen=1\r\n' "$1" >"$folder/PondSprint.ini"
}

# game_rss_mib: the running game's resident memory in MiB; empty once it has ended.
game_rss_mib() { awk '/^VmRSS/ {print int($2 / 1024)}' "/proc/$GAME_PID/status" 2>/dev/null; }

# new_game: Enter on the main menu's first line, held as a player holds it;
# play has begun when it returns.
new_game() { xdotool keydown Return; sleep 0.3; xdotool keyup Return; sleep 2; }

# snap_file FOLDER: F9, then the snapshot's path once the game has written
# it whole (its size steady); empty after 10 s without one. The folder holds
# no earlier snapshot: each is removed once read.
snap_file() {
  local tga="" size=-1 now
  xdotool key F9
  for _ in $(seq 1 50); do
    sleep 0.2
    tga=$(ls -t "$1"/Snap*.tga 2>/dev/null | head -1)
    [ -n "$tga" ] || continue
    now=$(stat -c %s "$tga" 2>/dev/null || echo 0)
    [ "$now" -gt 0 ] && [ "$now" = "$size" ] && { echo "$tga"; return 0; }
    size=$now
  done
  echo "$tga"
}

# start_game GAME [ARGS...]: starts the game in the background; sets GAME_PID and GAME_WIN.
# The window is taken only once it is shown: the first window is made hidden
# and replaced underneath when the OpenGL context is made, so an early find
# could name a window that is gone a moment later.
start_game() {
  e2e_language_chosen "$1"
  "$@" >"$E2E_LOG" 2>&1 &
  GAME_PID=$!
  GAME_WIN=""
  for _ in $(seq 1 200); do
    GAME_WIN=$(xdotool search --onlyvisible --name '^Pond Sprint$' 2>/dev/null | head -1)
    [ -n "$GAME_WIN" ] && return 0
    kill -0 "$GAME_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "FAIL: the game window did not appear"; cat "$E2E_LOG"
  # A game left running would hold the instance lock for every later start.
  kill -9 "$GAME_PID" 2>/dev/null
  return 1
}

# wait_exit SECONDS: waits for the game to end; sets GAME_RC. 1 on time-out.
wait_exit() {
  for _ in $(seq 1 $(($1 * 10))); do
    if ! kill -0 "$GAME_PID" 2>/dev/null; then
      wait "$GAME_PID"; GAME_RC=$?
      return 0
    fi
    sleep 0.1
  done
  echo "FAIL: the game did not end within $1 s"; cat "$E2E_LOG"
  kill -9 "$GAME_PID" 2>/dev/null
  return 1
}
