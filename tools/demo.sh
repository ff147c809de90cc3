#!/usr/bin/env bash
# The main job. Until the report runs end to end this builds everything and runs
# what exists: the test programs, as a smoke run.
set -euo pipefail
build=${1:-build}
cd "$build"
ctest --output-on-failure -j "$(nproc)"
