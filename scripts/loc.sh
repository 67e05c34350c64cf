#!/usr/bin/env bash
# Prints the lines of code, the lines of tests and their ratio.
# Code: every .cpp and .h outside tests/ (engine, game, platform, tools,
# benchmarks). Tests: every .cpp, .h and .sh under tests/ (fixture data and
# fuzz seeds are not program text and are left out). Files git tracks or
# would track count; build folders do not. The ratio is to stay at or
# below 0.36.
set -euo pipefail
cd "$(dirname "$0")/.."

files() { git ls-files --cached --others --exclude-standard -- "$@" | while read -r f; do [ -f "$f" ] && echo "$f"; done; }
count() { xargs -r cat -- | wc -l; }

code=$(files '*.cpp' '*.h' | grep -v '^tests/' | count)
tests=$(files 'tests/*.cpp' 'tests/*.h' 'tests/*.sh' | grep -v '^tests/fixtures/' | grep -v '/seeds/' | count)
ratio=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.3f", c ? t / c : 0 }')
echo "code lines:  $code"
echo "test lines:  $tests"
echo "ratio:       $ratio (at most 0.36)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 0.36) }'
