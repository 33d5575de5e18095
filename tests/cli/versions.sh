#!/bin/sh
# Every program answers --version with its name and the project's version, status 0,
# whatever else the command line holds.
#   versions.sh VERSION PROGRAM...
set -u
version="$1"
shift
. "$(dirname "$0")/../checks.sh"
for program in "$@"; do
    name=$(basename "$program")
    out=$("$program" --version 2>&1) || fail "$name --version failed: $out"
    [ "$out" = "$name (Shamblex) $version" ] || fail "$name --version says '$out'"
done
finish versions
