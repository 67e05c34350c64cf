#!/usr/bin/env bash
# Plants deliberate one-line faults, one at a time, in a scratch copy of the
# tree and checks that the test suite catches each of them.
#
# Usage: scripts/mutants.sh [NAME-PATTERN]
#   Runs every fault whose name contains NAME-PATTERN (all without one).
#   PS_MUTANTS_DIR  the scratch folder (default build-mutants/ here); it
#                   keeps the copy and its build between runs, so a later
#                   run rebuilds only what a fault touches (ccache helps)
#   PS_MUTANT_TIMEOUT  seconds the tests of one fault may run (default 300)
# Each fault names the targets that must be rebuilt and the tests that
# should catch it: "test_X" runs that GoogleTest program, "test_X:FILTER"
# only the cases FILTER picks, "ctest:REGEX" the ctest tests REGEX names,
# "label:L" the ctest tests of label L. A fault is caught when a test fails
# (or time runs out); one that does not build counts as not caught.
# Exit status 0 when every fault ran was caught.
# The whole script is one block, read before it runs: editing the file
# during a run does not change the run.
{
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${PS_MUTANTS_DIR:-$root/build-mutants}
src=$work/src
bin=$work/bin
limit=${PS_MUTANT_TIMEOUT:-300}
pattern=${1:-}
jobs=$(nproc)

# The compiler cache finds the copy's objects whatever folder it lies in.
export CCACHE_BASEDIR=$src CCACHE_NOHASHDIR=1
export PS_NO_BOXES=1 SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

names=() files=() olds=() news=() targets=() checks=()
# mutant NAME FILE OLD NEW TARGETS TESTS: OLD must occur on exactly one line of FILE.
mutant() { names+=("$1"); files+=("$2"); olds+=("$3"); news+=("$4"); targets+=("$5"); checks+=("$6"); }

# ---------------------------------------------------------------- the faults
# The world suite's picture decoder cases, and all its others.
PICTURES='test_world:Corpus.*:Png*:Jpeg*:TgaPcx*'
WORLD='test_world:-Corpus.*:Png*:Jpeg*:TgaPcx*'
# core
mutant "core heap: a freed block never joins the free list" core/vx_mem_heap.cpp \
  '    free_list_insert(b, e);' '    (void)0;' test_core test_core
mutant "core string files: a value keeps its '='" core/vx_io_ini.cpp \
  "line[n] == '=' ? line + n + 1 : nullptr;" "line[n] == '=' ? line + n : nullptr;" test_core test_core
mutant "core string files: a key search runs on into the next section" core/vx_io_ini.cpp \
  "    if (line[0] == '[') return nullptr;" "    if (line[0] == '{') return nullptr;" test_core test_core
mutant "core lists: removing leaves the count" core/vx_list.cpp \
  '  list->count--;' '  list->count -= 0;' test_core test_core
mutant "core strings: trimming the front loses the terminator" core/vx_str.cpp \
  'std::memmove(str, str + lead, n - lead + 1);' 'std::memmove(str, str + lead, n - lead);' test_core test_core
# platform
mutant "platform keys: letters come out in the other case" platform/plat_keys.cpp \
  'return (shift != caps) ? vk' 'return (shift == caps) ? vk' test_platform test_platform
mutant "platform queue: taking skips a message" platform/plat_queue.cpp \
  'q.head = (q.head + 1) % QUEUE_SIZE;' 'q.head = (q.head + 2) % QUEUE_SIZE;' test_platform test_platform
# display
mutant "display blit: only the colour key is copied" display/vx_blit.cpp \
  'if (!same(s[c], key)) d[c] = s[c];' 'if (same(s[c], key)) d[c] = s[c];' test_display test_display
mutant "display menu bar: the toggle item names the mode it is in" display/vx_dsp_menu.cpp \
  's.fullscreen ? lang->window : lang->fullscreen;' 's.fullscreen ? lang->fullscreen : lang->window;' test_display test_display
mutant "display bitmaps: a 4-bit row loses its odd pixel" display/vx_bit.cpp \
  'case VX_BIT_BPP4: return (long(width) + 1) / 2;' 'case VX_BIT_BPP4: return long(width) / 2;' test_display test_display
mutant "display palettes: a shared palette is freed early" display/vx_pal.cpp \
  'if (palette->references > 1) {' 'if (palette->references > 2) {' test_display test_display
# toolkit
mutant "toolkit input: a key held down counts as released" toolkit/vx_inp.cpp \
  'return now && *cell(0, code, true) && !*now;' 'return now && *cell(0, code, true);' test_toolkit test_toolkit
mutant "toolkit players: a disabled configuration still acts" toolkit/vx_play.cpp \
  'if (!b->enabled[c]) continue;' 'if (b->enabled[c] == 2) continue;' test_toolkit test_toolkit
# world
mutant "world animation: the last loop never ends" world/anim.cpp \
  'if (a.loops > 0) a.loops--;' 'if (a.loops > 1) a.loops--;' test_world "$WORLD"
mutant "world moving cells: the frame runs one past the last" world/anim.cpp \
  'm.frame + 1 < m.frame_count ?' 'm.frame + 1 <= m.frame_count ?' test_world "$WORLD"
mutant "world objects: a wide object misses its last column" world/objects.cpp \
  'return width / World_Cell_Unit() + 2;' 'return width / World_Cell_Unit() + 1;' test_world "$WORLD"
mutant "world level file: the start column is read as the start row" world/level_lines.cpp \
  "case 'g': w.start_x = v; break;" "case 'g': w.start_z = v; break;" test_world "$WORLD"
mutant "world map: a bad brightness becomes dark" world/map.cpp \
  'if (c.brightness < 0 || c.brightness > 15) c.brightness = 15;' 'if (c.brightness < 0 || c.brightness > 15) c.brightness = 0;' test_world "$WORLD"
mutant "world renderer: the fade starts a row early" world/render.cpp \
  '(double(d) - v.fade_start) * v.fade_rate;' '(double(d) - v.fade_start + 1) * v.fade_rate;' test_world "$WORLD"
# picture decoders
mutant "png: the up filter ignores the row above" world/image/img_png.cpp \
  'for (; i < n; i++) out[i] = uint8_t(in[i] + prior[i]);' 'for (; i < n; i++) out[i] = in[i];' test_world "$PICTURES"
mutant "tga: a run is one pixel short" world/image/img_tga.cpp \
  'int count = int(head & 127) + 1;' 'int count = int(head & 127);' test_world "$PICTURES"
mutant "pcx: a run is one byte long" world/image/img_pcx.cpp \
  's->count = b & 0x3F;' 's->count = (b & 0x3F) + 1;' test_world "$PICTURES"
mutant "jpeg: negative coefficients are off by one" world/image/img_jpeg.cpp \
  'v - (1 << s) + 1 : v;' 'v - (1 << s) : v;' test_world "$PICTURES"
# OpenGL layer
mutant "gen: a side of exactly one tile is cut into halves" world/gen/gen_bit.cpp \
  'while (left >= piece) {' 'while (left > piece) {' test_gen test_gen
# game
mutant "game clock: a second has 61 ticks" game/rules.cpp \
  'gs.time_tick = kTicksPerSecond - 1;' 'gs.time_tick = kTicksPerSecond;' test_game test_game
mutant "game rules: a time-bonus point takes 20 ticks" game/rules.h \
  'RULES_BONUS_TICKS = 30;' 'RULES_BONUS_TICKS = 20;' test_game test_game
mutant "game motion: a log carries the frog a shorter way" game/motion.h \
  'MOTION_RIDE_HALF = 14.0f;' 'MOTION_RIDE_HALF = 12.0f;' test_game test_game
mutant "game lanes: a spawner waits one step more" game/lanes.cpp \
  '    sp.countdown = arrow.pause;' '    sp.countdown = arrow.pause + 1;' test_game test_game
mutant "game level set-up: the time limit is not read" game/level_setup.cpp \
  '"Time", "time_limit"' '"Time", "time_limt"' test_game test_game
# tools
mutant "levelgen: a spawner on the first column drives left" tools/levelgen.cpp \
  'if (c == 0) return kRight;' 'if (c == 0) return kLeft;' test_levels test_levels

# ---------------------------------------------------------------- running
mkdir -p "$src" "$bin"
# The copy follows the tree; every file it changes gets a new time, so the
# build never keeps an object made from a fault of an earlier, broken-off run.
(cd "$root" && git ls-files -co --exclude-standard | grep -v '^build') >"$work/files.txt"
while read -r f; do
  [ -f "$root/$f" ] || continue
  if ! cmp -s "$root/$f" "$src/$f"; then mkdir -p "$(dirname "$src/$f")" && cp "$root/$f" "$src/$f"; fi
done <"$work/files.txt"
(cd "$src" && find . -type f | sed 's|^\./||' | grep -vxF -f "$work/files.txt" | while read -r f; do rm -f "$f"; done)
if [ ! -f "$bin/CMakeCache.txt" ]; then
  cmake -S "$src" -B "$bin" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPS_BENCH=OFF -DPS_CORPUS="$root/../shared/corpus" \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache >/dev/null || exit 2
fi
echo "building the unchanged copy in $bin ..."
cmake --build "$bin" -j"$jobs" >"$work/build.log" 2>&1 || { echo "the unchanged copy does not build: $work/build.log"; exit 2; }

run_check() {  # one TESTS item; 0 when it passed
  local c=$1
  case $c in
    ctest:*) (cd "$bin" && timeout "$limit" ctest -R "${c#ctest:}" -j"$jobs" >/dev/null 2>&1) ;;
    label:*) (cd "$bin" && timeout "$limit" ctest -L "${c#label:}" -j"$jobs" >/dev/null 2>&1) ;;
    *:*) (cd "$bin/tests" && timeout "$limit" "./${c%%:*}" --gtest_filter="${c#*:}" >/dev/null 2>&1) ;;
    *) (cd "$bin/tests" && timeout "$limit" "./$c" >/dev/null 2>&1) ;;
  esac
}

caught=0 ran=0 failed=()
start=$(date +%s)
for i in "${!names[@]}"; do
  name=${names[$i]} file=${files[$i]} old=${olds[$i]} new=${news[$i]}
  [ -n "$pattern" ] && [[ $name != *"$pattern"* ]] && continue
  ran=$((ran + 1))
  t0=$(date +%s)
  hits=$(grep -cF -- "$old" "$src/$file" 2>/dev/null)
  if [ "$hits" != 1 ]; then
    echo "FAULT NOT PLANTED  $name: '$old' occurs $hits times in $file"
    failed+=("$name"); continue
  fi
  cp "$src/$file" "$work/original"
  OLD=$old NEW=$new perl -0pi -e 's/\Q$ENV{OLD}\E/$ENV{NEW}/' "$src/$file"
  verdict="missed"
  # shellcheck disable=SC2086
  if ! cmake --build "$bin" -j"$jobs" --target ${targets[$i]} >"$work/fault.log" 2>&1; then
    verdict="does not build"
  else
    for c in ${checks[$i]}; do
      if ! run_check "$c"; then verdict="caught"; break; fi
    done
  fi
  cp "$work/original" "$src/$file" && touch "$src/$file"
  if [ "$verdict" = caught ]; then caught=$((caught + 1)); else failed+=("$name"); fi
  printf '%-14s %4ss  %s\n' "$verdict" $(($(date +%s) - t0)) "$name"
done
echo "$caught of $ran faults caught in $(($(date +%s) - start)) s"
[ ${#failed[@]} -eq 0 ] || { printf 'not caught: %s\n' "${failed[@]}"; exit 1; }
exit 0
}
