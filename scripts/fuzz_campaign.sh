#!/usr/bin/env bash
# Runs every libFuzzer target of a PS_LIBFUZZER build for a time budget each,
# seeded from its seed folder and the matching files of the shared corpus, and
# prints one line per target: seconds, executions, coverage, corpus, findings.
#
#   scripts/fuzz_campaign.sh [-b build-fuzz] [-t seconds] [-r runs] [-w work] [target ...]
#
# -t is the time per target (default 120), -r an execution budget per target
# (0, the default, for none; libFuzzer stops at whichever comes first).
# Corpora and findings (crash-*, leak-*, timeout-*, oom-*) stay under the work
# folder (default /tmp/fuzz_campaign); logs in WORK/NAME.log. Every fuzzer
# runs alone and at the lowest priority.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build-fuzz seconds=120 runs=0 work=/tmp/fuzz_campaign
corpus=${PS_CORPUS:-$here/../shared/corpus}
while getopts b:t:r:w: opt; do
  case $opt in
    b) build=$OPTARG ;; t) seconds=$OPTARG ;; r) runs=$OPTARG ;; w) work=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$here"/tests/fuzz/fuzz_*.cpp; do
    n=$(basename "$f" .cpp)
    [ "$n" = fuzz_driver ] || targets+=("$n")
  done
fi

# The shared corpus folder whose files seed a target, if any.
corpus_of() {
  case $1 in
    fuzz_png) echo png ;; fuzz_jpeg) echo jpeg ;; fuzz_tga) echo tga ;; fuzz_pcx | fuzz_palette) echo pcx ;;
    fuzz_fli) echo fli ;; fuzz_wav) echo wav ;; fuzz_s3m) echo s3m ;; fuzz_mp3) echo mp3 ;; fuzz_clip) echo ogv ;;
  esac
}

mkdir -p "$work"
# The targets' own work files (settings and score files written durably at
# every run) go to memory when it can, so that syncing them costs nothing.
scratch=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm
printf '%-18s %7s %12s %8s %8s %8s %s\n' target seconds executions cov ft corpus findings
for t in "${targets[@]}"; do
  bin=$build/tests/fuzz/$t
  if [ ! -x "$bin" ]; then
    printf '%-18s not built\n' "$t"
    continue
  fi
  dir=$work/$t
  mkdir -p "$dir/corpus" "$dir/findings"
  cp -n "$here/tests/fuzz/seeds/$t"/* "$dir/corpus/" 2>/dev/null
  sub=$(corpus_of "$t")
  if [ -n "$sub" ] && [ -d "$corpus/$sub" ]; then
    # Small files only (the .pcm and .md files beside the MP3 vectors are no input).
    find "$corpus/$sub" -type f -size -257k ! -name '*.pcm' ! -name '*.md' ! -name LICENSE* -print0 |
      while IFS= read -r -d '' f; do cp -n "$f" "$dir/corpus/$(echo "${f#"$corpus"/}" | tr / _)"; done
  fi
  start=$(date +%s)
  ( cd "$dir" && TMPDIR=$scratch PS_NO_BOXES=1 nice -n 19 "$bin" "$dir/corpus" -max_total_time="$seconds" -runs="${runs/#0/-1}" \
      -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -artifact_prefix="$dir/findings/" ) > "$dir/$t.log" 2>&1
  took=$(($(date +%s) - start))
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$dir/$t.log" | grep -o '[0-9]*$' | tail -1)
  last=$(grep -E '^#[0-9]+' "$dir/$t.log" | tail -1)
  cov=$(echo "$last" | grep -o 'cov: [0-9]*' | grep -o '[0-9]*')
  ft=$(echo "$last" | grep -o 'ft: [0-9]*' | grep -o '[0-9]*')
  corp=$(echo "$last" | grep -o 'corp: [0-9]*' | grep -o '[0-9]*$')
  found=$(find "$dir/findings" -type f | wc -l)
  printf '%-18s %7s %12s %8s %8s %8s %s\n' "$t" "$took" "${execs:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$found"
done
