#!/bin/sh
# The same runner command, built for Linux and for Windows (run under Wine), writes
# byte-identical stats, dumps, board dumps and pictures: one generator, one
# simulation, one drawing everywhere.
#   windows_cli_matches_linux.sh LINUX_CLI WINDOWS_CLI PREFIX
set -u
linux="$1"
windows="$2"
WINEPREFIX="$3"
. "$(dirname "$0")/../shell/windows/wine_env.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

compare() { # NAME ARGS...: runs both with the outputs in per-platform folders
    name="$1"
    shift
    for platform in linux windows; do
        mkdir -p "$work/$platform"
        if [ "$platform" = linux ]; then
            (cd "$work/$platform" && "$linux" "$@" --stats stats.csv --dump dump.csv --board-dump board.txt \
                --png frame.png) || { echo "FAIL: $name: the Linux run failed"; failures=$((failures + 1)); }
        else
            (cd "$work/$platform" && wine "$windows" "$@" --stats stats.csv --dump dump.csv --board-dump board.txt \
                --png frame.png </dev/null 2>/dev/null) || { echo "FAIL: $name: the Windows run failed"; failures=$((failures + 1)); }
        fi
    done
    for file in stats.csv dump.csv board.txt frame.png; do
        cmp -s "$work/linux/$file" "$work/windows/$file" || {
            echo "FAIL: $name: $file differs between Linux and Windows"
            failures=$((failures + 1))
        }
    done
    rm -rf "$work/linux" "$work/windows"
}

compare "default outbreak" --frames 300 --size 1024x768
compare "commands" --seed 4242 --beings 700 --script \
    "step:20 key:t key:d left:40,50 right:60,70 watch:40,50 step:10 key:E key:? key:g key:f key:c step:5 key:b key:<" \
    --frames 50 --dump-every 25 --size 640x480
compare "simple zombies in an arena" --open-arena --simple-zombies --eat-walls --board 120x80 --beings 300 \
    --frames 400 --size 300x200

# A device is written straight through on Windows too: NUL takes the rows, and no
# file appears in its place.
mkdir "$work/device"
(cd "$work/device" && wine "$windows" --frames 3 --stats NUL </dev/null >/dev/null 2>&1) \
    || { echo "FAIL: the Windows runner cannot write to NUL"; failures=$((failures + 1)); }
[ -z "$(ls -A "$work/device")" ] || { echo "FAIL: writing to NUL left $(ls -A "$work/device")"; failures=$((failures + 1)); }

[ "$failures" = 0 ] && echo "windows and linux runners agree byte for byte"
[ "$failures" = 0 ]
