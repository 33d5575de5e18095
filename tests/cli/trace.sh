#!/bin/sh
# The runner's brain trace: the same command writes the same trace byte for byte,
# in the sandboxed worker and in the runner itself; --trace-serial keeps one being,
# followed by its place whatever its serial becomes.
#   trace.sh RUNNER BRAIN_FOLDER
set -u
cli="$1"
brains="$2"
. "$(dirname "$0")/../checks.sh"
cd "$work" || exit 1
run() { "$cli" --brains "$brains" --beings 60 --board 40x40 --frames 120 "$@" 2>>err.txt; }

run --trace all.jsonl || fail "a traced run failed: $(cat err.txt)"
run --trace again.jsonl || fail "the second traced run failed"
cmp -s all.jsonl again.jsonl || fail "two runs of one command wrote different traces"
run --trace here.jsonl --no-sandbox || fail "a traced run without the sandbox failed"
cmp -s all.jsonl here.jsonl || fail "the worker's trace differs from the runner's own"
[ "$(grep -c '"memory":"' all.jsonl)" -ge 1 ] || fail "no being's whole memory in the trace"

run --trace one.jsonl --trace-serial 7 || fail "a run traced by serial failed"
lines=$(wc -l <one.jsonl)
[ "$lines" -ge 1 ] || fail "the being with serial 7 left no trace"
[ "$(sed -n 's/.*"being":\([0-9]*\),.*/\1/p' one.jsonl | sort -u | wc -l)" = 1 ] || fail "--trace-serial traced more than one being"
head -n 1 one.jsonl | grep -q '"serial":7,' || fail "the first traced call is not the being with serial 7"
[ "$(grep -c '"memory":"' one.jsonl)" = 1 ] || fail "the memory was written whole more than once"
# The being's calls in the full trace are the same calls.
being=$(sed -n '1s/.*"being":\([0-9]*\),.*/\1/p' one.jsonl)
[ "$(grep -c "\"being\":$being," all.jsonl)" -ge "$lines" ] || fail "the full trace has fewer calls of being $being"

"$cli" --trace-serial 3 >out.txt 2>err.txt
[ $? = 2 ] && grep -q -- "--trace FILE" err.txt || fail "--trace-serial without --trace is not refused"
finish trace
