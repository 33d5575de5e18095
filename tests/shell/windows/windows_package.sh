#!/bin/sh
# The release archive holds what it promises, and what it holds works: its runner
# and its arena find and drive its brains.
#   windows_package.sh ZIP PREFIX
set -u
zip="$1"
WINEPREFIX="$2"
. "$(dirname "$0")/wine_env.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}
cd "$work" || fail "no work folder"
cmake -E tar xf "$zip" || fail "cannot unpack $zip"
for file in shamblex.scr baseline.dll wanderwit.dll lookout.dll shamblex-cli.exe shamblex-arena.exe BrainRecord.h \
    README-windows.txt; do
    [ -s "shamblex/$file" ] || fail "$file is missing from the archive"
done
cd shamblex || fail "no shamblex folder in the archive"
wine shamblex.scr /a </dev/null >/dev/null 2>&1 || fail "the packed saver does not run"
wine shamblex-cli.exe --brains . --beings 20 --frames 5 --dump dump.csv </dev/null >/dev/null 2>&1 \
    || fail "the packed runner does not run"
grep -q ",wanderwit$" dump.csv || fail "the packed runner did not load the packed brain"
wine shamblex-arena.exe --brains . --runs 2 --frames 50 --beings 30 --csv arena.csv </dev/null >/dev/null 2>&1 \
    || fail "the packed arena does not run"
grep -q ",lookout,.*,finished," arena.csv || fail "the packed arena did not play the packed brains"
echo "windows package: all checks passed"
