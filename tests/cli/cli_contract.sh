#!/bin/sh
# The runner's command-line contract on the real program: exit statuses, one-line
# errors, and output that replays byte for byte.
set -u
cli="$1"
. "$(dirname "$0")/../checks.sh"

# expect STATUS ARGS...: runs the program and checks its exit status; a refusal
# (status 2) must say exactly one line on standard error and nothing on output.
expect() {
    want="$1"
    shift
    "$cli" "$@" >"$work/out" 2>"$work/err"
    got=$?
    [ "$got" = "$want" ] || fail "exit $got, wanted $want: $*"
    if [ "$want" = 2 ]; then
        [ "$(wc -l <"$work/err")" = 1 ] || fail "not one line on stderr: $*: $(cat "$work/err")"
        [ -s "$work/out" ] && fail "output written on a refusal: $*"
    fi
}

expect 0 --frames 3
expect 0 --help
expect 2 --frobnicate
expect 2 --frames
expect 2 --frames -1
expect 2 --board 250X250
expect 2 --board 0x250
expect 2 --beings 100000001
expect 2 --seed 4294967296
expect 2 --dump-every 0
expect 2 --script "step:1 teleport:3"
expect 2 --script "key:"
expect 2 --size 0x10
expect 1 --stats "$work/missing/stats.csv"

# A board too large for memory is reported, not crashed on. The run gets a memory
# limit of its own, so that the answer does not depend on the machine: an address
# space of 1 GB, or under AddressSanitizer (which needs far more address space for
# itself) no single allocation above 1 GB.
if grep -q __asan_init "$cli"; then
    ASAN_OPTIONS="${ASAN_OPTIONS:-}:allocator_may_return_null=1:max_allocation_size_mb=1024" \
        expect 1 --board 46340x46340 --frames 1
else
    cli_unlimited="$cli"
    limited() { prlimit --as=1073741824 "$cli_unlimited" "$@"; }
    cli=limited
    expect 1 --board 46340x46340 --frames 1
    cli="$cli_unlimited"
fi

# The same command writes the same bytes.
for round in 1 2; do
    "$cli" --seed 99 --beings 500 --frames 120 --dump-every 40 --stats "$work/s$round" \
        --dump "$work/d$round" --board-dump "$work/b$round" || fail "replay run $round"
done
cmp -s "$work/s1" "$work/s2" || fail "stats differ between identical runs"
cmp -s "$work/d1" "$work/d2" || fail "dumps differ between identical runs"
cmp -s "$work/b1" "$work/b2" || fail "board dumps differ between identical runs"

# Drawing changes nothing in the simulation: the dump is the same with a picture.
"$cli" --seed 99 --beings 500 --frames 120 --dump "$work/drawn" --png "$work/p1.png" --size 640x480 || fail "drawn run"
"$cli" --seed 99 --beings 500 --frames 120 --dump "$work/undrawn" || fail "undrawn run"
cmp -s "$work/drawn" "$work/undrawn" || fail "drawing changed the simulation"
"$cli" --seed 99 --beings 500 --frames 120 --png "$work/p2.png" --size 640x480 || fail "second drawn run"
cmp -s "$work/p1.png" "$work/p2.png" || fail "pictures differ between identical runs"

# An interrupt stops the run after the frame step it is in: every whole frame is in
# the files, renamed into place, and the exit status says it was interrupted.
for signal in INT TERM; do
    rm -f "$work/long.csv"
    "$cli" --board 1000x1000 --beings 20000 --frames 100000000 --stats "$work/long.csv" 2>"$work/err" &
    pid=$!
    sleep 1
    kill -"$signal" "$pid"
    wait "$pid"
    got=$?
    want=130
    [ "$signal" = TERM ] && want=143
    [ "$got" = "$want" ] || fail "SIG$signal: exit $got, wanted $want"
    grep -q "interrupted after frame" "$work/err" || fail "SIG$signal: $(cat "$work/err")"
    rows=$(($(wc -l <"$work/long.csv") - 1))
    [ "$rows" -gt 0 ] || fail "SIG$signal: no frame in the stats"
    tail -n 1 "$work/long.csv" | grep -q "^$rows,[0-9]*,[0-9]*$" || fail "SIG$signal: the last row is not frame $rows whole"
    ls -A "$work" | grep -q "^\.long" && fail "SIG$signal: a temporary file was left"
done

finish "cli contract"
