#!/bin/sh
# Sets up, builds and starts Shamblex: an outbreak run headless, printing the
# population (frame, zombies, humans) every 100 frames until the last human is gone.
set -eu
cd "$(dirname "$0")"

./tools/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target shamblex-cli
./build/bin/shamblex-cli --stats - --frames 5000 "$@" | awk -F, 'NR == 1 { print; next } $3 == 0 { print; exit } $1 % 100 == 0 { print }'
