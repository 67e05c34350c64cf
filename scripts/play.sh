#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh play
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPS_TESTS=OFF -DPS_BENCH=OFF >/dev/null
cmake --build build-release -j"$(nproc)" --target pondsprint
exec ./build-release/pondsprint "$@"
