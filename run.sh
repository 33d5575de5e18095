#!/bin/sh
# Sets up, builds and starts Shamblex in a window. It runs from build/bin, where
# the sample brain wanderwit.dll lies, so "l" loads it; closing the window writes
# zombie.sav there. Without a display it says so and points to shamblex-cli.
set -eu
cd "$(dirname "$0")"

./tools/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target shamblex shamblex-cli wanderwit
cd build/bin
exec ./shamblex "$@"
