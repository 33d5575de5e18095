#!/bin/sh
# Brains that attack their host (plugins/HostileBrain.cpp), each from its first call
# and from its start-up code, run by the real runner and arena: every attack is
# blocked, nothing changes outside the worker, the host names the brain and what it
# did, and goes on (the runner ends with status 3, or 143 on SIGTERM; the arena
# forfeits the brain and finishes).
#   SHAMBLEX_HOSTILE_OUTSIDE=FOLDER SHAMBLEX_HOSTILE_PORT=PORT hostile_brains.sh RUNNER ARENA PLUGIN_FOLDER BASELINE SANITIZED [WINE_PREFIX]
# FOLDER stands for the user's files, and PORT for a server on this machine: the ones
# the brains were built to attack.
# SANITIZED is 1 for a sanitizer build (no memory limit there, so no memory bomb).
# With a Wine prefix the programs are Windows ones, and only the attacks that are no
# POSIX system calls are made (Wine does not enforce a token or job limits).
set -u
cli="$1"
arena="$2"
plugins="$3"
baseline="$4"
sanitized="$5"
wine_prefix="${6:-}"
outside="${SHAMBLEX_HOSTILE_OUTSIDE:?the folder the hostile brains were built to attack}"
port="${SHAMBLEX_HOSTILE_PORT:?the port the hostile brains were built to connect to}"
. "$(dirname "$0")/../checks.sh"
listener=""
cleanup() {
    [ -n "$listener" ] && kill "$listener" 2>/dev/null
    rm -rf "$work" "$outside"
}
trap cleanup EXIT

rm -rf "$outside"
mkdir -p "$outside"
echo "the user's secret" >"$outside/secret"
chmod 600 "$outside/secret"
export SHAMBLEX_HOSTILE_MARK=yes

run_cli() {
    if [ -n "$wine_prefix" ]; then
        WINEPREFIX="$wine_prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" wine "$cli" "$@"
    else
        "$cli" "$@"
    fi
}
run_arena() {
    if [ -n "$wine_prefix" ]; then
        WINEPREFIX="$wine_prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" wine "$arena" "$@"
    else
        "$arena" "$@"
    fi
}

# A listener for the connection attempts: whatever reaches it is a breach.
if [ -z "$wine_prefix" ] && command -v nc >/dev/null; then
    nc -l 127.0.0.1 "$port" >"$outside/received" 2>/dev/null &
    listener=$!
fi

nothing_outside_changed() { # WHAT
    [ -e "$outside/written" ] && fail "$1: a file was written outside the worker"
    [ "$(cat "$outside/secret")" = "the user's secret" ] || fail "$1: the secret changed"
    [ "$(stat -c %a "$outside/secret")" = 600 ] || fail "$1: the secret's mode changed"
    [ -s "$outside/received" ] && fail "$1: the listener received: $(cat "$outside/received")"
    return 0
}

# attack ATTACK WHEN STATUS PATTERN [ENVIRONMENT]: the runner with the hostile brain
# beside baseline; STATUS 143 means the run is ended by SIGTERM.
attack() {
    name="$1" when="$2" want="$3" pattern="$4"
    what="$name ($when)"
    # Under Wine a Unix signal is no Windows interrupt: the arena's time limit below
    # ends endless brains there instead.
    [ -n "$wine_prefix" ] && [ "$want" = 143 ] && return 0
    folder="$work/$name-$when"
    mkdir -p "$folder"
    cp "$plugins/test_hostile_${name}_$when.dll" "$folder/hostile.dll"
    cp "$baseline" "$folder/baseline.dll"
    if [ "$want" = 143 ]; then
        # The program itself in the background (not a function's subshell), so that
        # SIGTERM reaches it.
        if [ -n "$wine_prefix" ]; then
            WINEPREFIX="$wine_prefix" WINEDEBUG=-all wine "$cli" --brains "$folder" --beings 20 --frames 100000 \
                >"$folder/out" 2>"$folder/err" &
        else
            "$cli" --brains "$folder" --beings 20 --frames 100000 >"$folder/out" 2>"$folder/err" &
        fi
        pid=$!
        sleep 1.5
        kill -TERM "$pid"
        for _ in 1 2 3 4 5 6 7 8 9 10 11 12; do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -0 "$pid" 2>/dev/null && { fail "$what: still running a second after SIGTERM"; kill -KILL "$pid"; }
        wait "$pid"
        got=$?
    else
        run_cli --brains "$folder" --beings 20 --frames 30 --memory-limit 512 --stats - >"$folder/out" 2>"$folder/err"
        got=$?
        if [ "$got" = 0 ]; then
            # Nothing but the statistics reached the runner's standard output.
            tr -d '\r' <"$folder/out" | grep -qv '^[a-z0-9,]*$' && fail "$what: brain output in the runner's output"
        fi
    fi
    [ "$got" = "$want" ] || fail "$what: exit $got, wanted $want: $(head -c 300 "$folder/err")"
    if [ "$want" != 0 ]; then
        grep -q "brain '$(named "$when")' " "$folder/err" || fail "$what: the brain is not named: $(head -c 300 "$folder/err")"
    fi
    [ -z "$pattern" ] || grep -q -- "$pattern" "$folder/err" \
        || fail "$what: no line saying \"$pattern\": $(head -c 300 "$folder/err")"
    grep -q "BREACH" "$folder/err" && fail "$what: $(grep BREACH "$folder/err")"
    nothing_outside_changed "$what"
}

named() { # WHEN: the name of the brain in the line (a pattern): its file while it loads
    # On Windows a thread started while the library loads usually runs once it has
    # loaded, and then crashes in the brain's name; under load Wine may run it while
    # the library still loads, and then the crash is the file's. Either names it.
    if [ "$1" = startup ] && [ -n "$wine_prefix" ] && [ "$name" = thread_crash ]; then
        echo 'hostile\(\.dll\)\{0,1\}'
    elif [ "$1" = startup ]; then
        echo "hostile\.dll"
    else
        echo "hostile"
    fi
}

attack crash call 3 "crashed"
if [ -n "$wine_prefix" ]; then
    # Windows' loader catches a crash in a library's start-up code: the library does
    # not load, and the brain is skipped.
    attack crash startup 0 "skipped 'hostile.dll': does not load"
else
    attack crash startup 3 "crashed"
fi
for when in call startup; do
    attack exit "$when" 3 "called exit"
    attack terminate_self "$when" 3 ""
    attack thread_crash "$when" 3 "brain 'hostile.*crashed"
    attack endless_loop "$when" 143 "did not return after an interrupt"
    attack stdout_flood "$when" 0 ""
done
if [ -z "$wine_prefix" ]; then
    for when in call startup; do
        attack read_secret "$when" 0 ""
        attack environment "$when" 0 ""
        attack write_file "$when" 3 "refuses (openat)"
        attack append_secret "$when" 3 "refuses (openat)"
        attack chmod "$when" 3 "refuses (.*chmod"
        attack connect "$when" 3 "refuses (socket)"
        attack x_display "$when" 3 "refuses (socket)"
        attack exec "$when" 3 "refuses (execve)"
        attack fork "$when" 3 "refuses (clone)"
        attack fork_bomb "$when" 3 "refuses (clone)"
        attack kill_parent "$when" 3 "refuses (kill)"
        attack exit_group "$when" 3 "called exit"
        attack raise_term "$when" 3 "was terminated (SIGTERM)"
        attack ignore_term "$when" 143 "did not return after an interrupt"
        attack io_uring "$when" 3 "refuses (io_uring_setup)"
        attack tiocsti "$when" 3 "refuses (ioctl)"
        attack truncate "$when" 3 "refuses (ftruncate)"
        attack descriptors "$when" 3 "refuses (write)"
        attack forged_report "$when" 3 "refuses (write)"
    done
    attack terminate_self call 3 "was killed (SIGKILL)"
    if [ "$sanitized" != 1 ]; then
        attack memory_bomb call 0 "brain 'hostile' threw \"std::bad_alloc\""
        attack memory_bomb startup 3 "aborted while it was loaded"
    fi
    # The reduced path: Landlock at its first ABI still keeps the files out.
    SHAMBLEX_LANDLOCK_ABI=1 attack read_secret call 0 ""
    # A host killed at once takes its worker with it.
    folder="$work/orphan"
    mkdir -p "$folder"
    cp "$plugins/test_hostile_endless_loop_call.dll" "$folder/hostile.dll"
    "$cli" --brains "$folder" --frames 100000 >/dev/null 2>&1 &
    host=$!
    sleep 1
    kill -KILL "$host"
    wait "$host" 2>/dev/null
    sleep 0.5
    pgrep -f "brain-worker 3 $host\$" >/dev/null && fail "a worker outlived its host killed at once"

    # A brain may name another before it crashes: the host still ends cleanly and
    # names a brain of the outbreak (the limit README's "Security" states).
    folder="$work/namer"
    mkdir -p "$folder"
    cp "$baseline" "$folder/aaa_other.dll"
    cp "$plugins/test_hostile_name_another_call.dll" "$folder/namer.dll"
    run_cli --brains "$folder" --beings 20 --frames 30 >/dev/null 2>"$folder/err"
    got=$?
    [ "$got" = 3 ] && grep -q "brain '\(aaa_other\|namer\)' crashed" "$folder/err" \
        || fail "a brain naming another: exit $got, $(cat "$folder/err")"
fi

# The arena: a brain that faults forfeits and every run still finishes; none of them
# spoils a run or ends the arena.
forfeits() { # ATTACK WHEN RUNS
    name="$1" when="$2" runs="$3"
    folder="$work/arena-$name-$when"
    mkdir -p "$folder"
    cp "$plugins/test_hostile_${name}_$when.dll" "$folder/hostile.dll"
    cp "$baseline" "$folder/baseline.dll"
    run_arena --brains "$folder" --beings 30 --frames 50 --runs "$runs" --timeout 2 --csv "$folder/runs.csv" \
        >"$folder/summary" 2>"$folder/err"
    got=$?
    [ "$got" = 0 ] || fail "arena with $name: exit $got: $(head -c 300 "$folder/err")"
    tr -d '\r' <"$folder/runs.csv" | grep -q "^[0-9]*,hostile,.*,finished,,\"\{0,1\}faulted at frame" \
        || fail "arena with $name: no run forfeited: $(head -4 "$folder/runs.csv")"
    grep -q "^All $runs runs finished" "$folder/summary" || fail "arena with $name: $(cat "$folder/summary")"
    nothing_outside_changed "arena with $name"
}
forfeits crash call 4
forfeits thread_crash call 2
forfeits endless_loop call 2
if [ -z "$wine_prefix" ]; then
    forfeits forged_report call 2
    forfeits kill_parent call 2
    forfeits fork_bomb call 3
    forfeits descriptors call 2
fi
# Output never spoils a run.
folder="$work/arena-flood"
mkdir -p "$folder"
cp "$plugins/test_hostile_stdout_flood_call.dll" "$folder/hostile.dll"
cp "$baseline" "$folder/baseline.dll"
run_arena --brains "$folder" --beings 30 --frames 50 --runs 2 --csv "$folder/runs.csv" >"$folder/summary" 2>"$folder/err"
[ $? = 0 ] && grep -q "^All 2 runs finished" "$folder/summary" || fail "arena with a flood: $(cat "$folder/summary")"
# A brain that faults at start-up cannot play: the arena says so and stops, unless
# told to play without it.
folder="$work/arena-startup"
mkdir -p "$folder"
cp "$plugins/test_hostile_crash_startup.dll" "$folder/hostile.dll"
cp "$baseline" "$folder/baseline.dll"
run_arena --brains "$folder" --runs 2 --frames 20 >/dev/null 2>"$folder/err"
[ $? = 1 ] && grep -q "hostile" "$folder/err" || fail "arena with a start-up crash: $(cat "$folder/err")"

finish "hostile brains"
