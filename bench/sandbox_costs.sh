#!/bin/sh
# What running brains in a sandboxed worker costs, measured side by side: each pair
# of commands is run alternately ROUNDS times and the medians compared, since the
# machine they run on is shared and noisy.
#   sandbox_costs.sh BIN [BASELINE_BIN] [ROUNDS]
# BIN holds shamblex-cli, shamblex-arena and the shipped brains (a build's bin/);
# BASELINE_BIN, when given, is a build from before the sandbox, for the arena's
# throughput against it.
#   run:    a 5000-frame runner run with wanderwit, sandboxed, against the same run
#           with --no-sandbox (the brains in the program itself)
#   start:  a worker's start: a run of no frames with the brains, sandboxed, minus the
#           same run in the program itself
#   arena:  20 runs of 1000 frames of the shipped brains, two jobs, against BASELINE_BIN
set -u
bin=$(realpath "$1")
baseline="${2:+$(realpath "$2")}"
rounds="${3:-7}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/wanderwit" "$work/shipped"
cp "$bin/wanderwit.dll" "$work/wanderwit/"
cp "$bin/wanderwit.dll" "$bin/baseline.dll" "$bin/lookout.dll" "$work/shipped/"
cd "$work" || exit 1

median() { sort -g | awk '{ value[NR] = $1 } END { print value[int((NR + 1) / 2)] }'; }
# seconds COMMAND...: how long the command takes, in seconds
seconds() {
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo "$start $end" | awk '{ printf "%.6f\n", ($2 - $1) / 1e9 }'
}
# compare NAME "A" "B": A and B alternately, their medians and A/B
compare() {
    name="$1" first="$2" second="$3"
    : >a.txt
    : >b.txt
    for _ in $(seq "$rounds"); do
        eval "seconds $first" >>a.txt
        eval "seconds $second" >>b.txt
    done
    a=$(median <a.txt)
    b=$(median <b.txt)
    echo "$name: $a s against $b s: $(echo "$a $b" | awk '{ printf "%.2f", $1 / $2 }')x"
}

compare "run (sandboxed / in the program)" \
    "'$bin/shamblex-cli' --brains wanderwit --frames 5000" \
    "'$bin/shamblex-cli' --brains wanderwit --frames 5000 --no-sandbox"
: >start.txt
for _ in $(seq $((rounds * 3))); do
    sandboxed=$(seconds "$bin/shamblex-cli" --brains shipped --frames 0)
    here=$(seconds "$bin/shamblex-cli" --brains shipped --frames 0 --no-sandbox)
    echo "$sandboxed $here" | awk '{ print 1000 * ($1 - $2) }' >>start.txt
done
echo "start: a worker starts in $(median <start.txt) ms (the median difference)"
if [ -n "$baseline" ]; then
    compare "arena (sandboxed / before the sandbox)" \
        "'$bin/shamblex-arena' --brains shipped --runs 20 --frames 1000 --jobs 2" \
        "'$baseline/shamblex-arena' --brains shipped --runs 20 --frames 1000 --jobs 2"
fi
