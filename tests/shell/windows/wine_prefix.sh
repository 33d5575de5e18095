#!/bin/sh
# Starts or stops the Wine environment the Windows tests run in: a Wine prefix of
# their own, kept in the build folder, with its server and services already running
# before the tests start. Services started by a test itself would inherit its output
# and keep CTest waiting for it long after the test ended.
#   wine_prefix.sh start|stop PREFIX
set -u
action="$1"
WINEPREFIX="$2"
. "$(dirname "$0")/wine_env.sh"
command -v wine >/dev/null || { echo "FAIL: wine is needed (tools/install-deps.sh installs it)"; exit 1; }
case "$action" in
start)
    mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1
    # The first run creates the prefix, which takes a while.
    timeout 300 wine cmd /c exit </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1 || { echo "FAIL: wine cannot run programs"; exit 1; }
    ;;
stop)
    wineserver -k </dev/null >/dev/null 2>&1
    ;;
esac
exit 0
