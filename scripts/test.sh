#!/usr/bin/env bash
# Installs what is missing, builds everything with the address and
# undefined-behaviour sanitizers and with warnings as errors, and runs every
# test (unit, fuzz, end-to-end).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Check -DPS_SANITIZE=ON -DPS_WERROR=ON >/dev/null
cmake --build build-test -j"$(nproc)"
cd build-test
# A failed test runs once more: the end-to-end games drive a real X server
# with timed key presses, and on a loaded machine a press can land early. A
# fault in the code fails both runs.
exec ctest --output-on-failure -j"$(nproc)" --timeout 300 --repeat until-pass:2
