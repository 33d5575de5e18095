#!/bin/sh
# The runner's per-brain statistics and its progress line. --brain-stats has a row
# per human brain and step, whose humans add up to --stats' humans; a run longer
# than a second shows "step N of M" on a terminal, and never in a file.
#   progress.sh RUNNER BRAIN_FOLDER
set -u
cli="$1"
brains="$2"
. "$(dirname "$0")/../checks.sh"
cd "$work" || exit 1

"$cli" --brains "$brains" --frames 200 --dump dump.csv --brain-stats brains.csv 2>err.txt \
    || fail "a run with --brain-stats failed: $(cat err.txt)"
[ "$(head -n 1 brains.csv)" = "frame,brain,humans,panicked" ] || fail "--brain-stats has no header"
[ "$(grep -c '^[0-9]*,baseline,' brains.csv)" = 200 ] || fail "baseline has not one row a step"
# The last step's rows count the humans the final dump holds, brain by brain.
counted=$(awk -F, '$1 == 200 && $3 > 0 { print $2 "," $3 }' brains.csv | sort)
dumped=$(awk -F, 'NR > 1 && $3 == 2 { n[$NF]++ } END { for (b in n) print b "," n[b] }' dump.csv | sort)
[ "$counted" = "$dumped" ] || fail "--brain-stats counts $counted, the dump holds $dumped"
awk -F, 'NR > 1 && $4 > $3 { exit 1 }' brains.csv || fail "more panicked humans than humans"
grep -q "^200,Human,0,0$" brains.csv || fail "the built-in humans have no row"

# script(1) gives the runner a terminal; its typescript file is the test's own.
if command -v script >/dev/null; then
    script -qec "'$cli' --brains '$brains' --beings 4000 --board 400x400 --frames 3000 --stats stats.csv" \
        typescript.txt >script.txt 2>&1 || fail "the run on a terminal failed"
    grep -q "shamblex-cli: step [0-9]* of 3000 (" typescript.txt || fail "no progress line on a terminal"
fi
"$cli" --brains "$brains" --beings 4000 --board 400x400 --frames 3000 --stats stats.csv 2>file.txt \
    || fail "the run into a file failed"
[ -s file.txt ] && fail "a progress line went into a file: $(cat file.txt)"
finish progress
