#!/bin/sh
# Sets up, builds and starts Shamblex in a window. It runs from build/bin, where
# the shipped brains (baseline, lookout, wanderwit) lie, so "l" loads them; closing
# the window writes zombie.sav there. Without a display it says so and points to
# shamblex-cli.
set -eu
cd "$(dirname "$0")"

./tools/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target shamblex shamblex-cli shamblex-arena wanderwit baseline lookout
cd build/bin
exec ./shamblex "$@"
