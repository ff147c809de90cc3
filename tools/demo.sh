#!/usr/bin/env bash
# The main job. Until the report runs end to end this builds everything and runs
# what exists: the test programs, as a smoke run, then the host stand-in on a
# fresh demo installation.
set -euo pipefail
build=${1:-build}
cd "$build"
ctest --output-on-failure -j "$(nproc)"

demo="$PWD/demo"
rm -rf "$demo"
appserver/kwdemo "$demo" --vouchers 200 > /dev/null
echo "== kwhost on the demo installation $demo"
host/kwhost --install "$demo" --verbose check
host/kwhost --install "$demo" info
