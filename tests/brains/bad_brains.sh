#!/bin/sh
# Brains that misbehave, run by the real runner, one folder each: a brain that
# throws is disabled and the run goes on; one that crashes, writes past its record
# or exits ends the run with status 3 and a line naming it; one that never returns
# ends the run within a second of SIGTERM. None of them destroys an output that
# existed before, and no temporary file stays behind.
#   bad_brains.sh RUNNER PLUGIN_FOLDER [WINE_PREFIX]
# With a Wine prefix the runner is a Windows program and runs under Wine.
set -u
cli="$1"
plugins="$2"
wine_prefix="${3:-}"
. "$(dirname "$0")/../checks.sh"
run() { # FOLDER ARGS...: runs the runner in FOLDER
    folder="$1"
    shift
    if [ -n "$wine_prefix" ]; then
        (cd "$folder" && WINEPREFIX="$wine_prefix" WINEDEBUG=-all wine "$cli" "$@")
    else
        (cd "$folder" && "$cli" "$@")
    fi
}

# expect NAME PLUGIN STATUS MESSAGE: a folder holding the plugin as NAME.dll and the
# sample's copy as a second brain; an old stats file that a failed run must keep.
expect() {
    name="$1" plugin="$2" want="$3" message="$4"
    folder="$work/$name"
    mkdir -p "$folder"
    cp "$plugins/$plugin.dll" "$folder/$name.dll"
    echo "old results" >"$folder/stats.csv"
    run "$folder" --brains . --beings 20 --frames 30 --stats stats.csv >"$folder/out" 2>"$folder/err"
    got=$?
    [ "$got" = "$want" ] || fail "$name: exit $got, wanted $want ($(cat "$folder/err"))"
    grep -q "$message" "$folder/err" || fail "$name: no line saying \"$message\": $(cat "$folder/err")"
    if [ "$want" != 0 ]; then
        [ "$(cat "$folder/stats.csv" | tr -d '\r')" = "old results" ] || fail "$name: the old stats file was touched"
    else
        grep -q "^frame,zombies,humans" "$folder/stats.csv" || fail "$name: the run wrote no stats"
    fi
    leftovers=$(ls -A "$folder" | grep -v -x -e "$name.dll" -e stats.csv -e out -e err)
    [ -z "$leftovers" ] || fail "$name: left behind: $leftovers"
}

expect thrower test_brain_throws 0 "brain 'thrower' threw \"no idea where to go\" in frame 1, being 3"
expect crasher test_brain_crashes 3 "brain 'crasher' crashed (.*) in frame 1, being 3"
expect overrunner test_brain_overruns 3 "brain 'overrunner' crashed (.*) in frame 1, being 3"
expect exiter test_brain_exits 3 "brain 'exiter' called exit in frame 1, being 3"
if [ -z "$wine_prefix" ]; then
    expect loadexit test_startup_exits 3 "brain 'loadexit.dll' called exit while it was loaded"

    # A brain that never returns: SIGTERM ends the run within a second.
    folder="$work/looper"
    mkdir -p "$folder"
    cp "$plugins/test_brain_loops.dll" "$folder/looper.dll"
    echo "old results" >"$folder/stats.csv"
    (cd "$folder" && exec "$cli" --brains . --beings 20 --frames 30 --stats stats.csv 2>err) &
    pid=$!
    sleep 1
    kill -TERM "$pid"
    ended=""
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        sleep 0.1
        kill -0 "$pid" 2>/dev/null || { ended=yes; break; }
    done
    if [ -z "$ended" ]; then
        fail "looper: still running a second after SIGTERM"
        kill -KILL "$pid"
    fi
    wait "$pid"
    got=$?
    [ "$got" = 143 ] || fail "looper: exit $got, wanted 143"
    grep -q "brain 'looper' did not return after an interrupt in frame 1, being 3" "$folder/err" \
        || fail "looper: $(cat "$folder/err")"
    [ "$(cat "$folder/stats.csv")" = "old results" ] || fail "looper: the old stats file was touched"
    [ "$(ls -A "$folder" | wc -l)" = 3 ] || fail "looper: left behind: $(ls -A "$folder")"
fi

finish "bad brains"
