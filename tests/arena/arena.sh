#!/bin/sh
# The arena on the real programs:
#   - its figures match what the runner's per-frame dump of the same seeds shows;
#   - its files do not depend on --jobs, and four shards played through GNU
#     parallel (and four tasks of the Slurm script) merge into exactly what one
#     machine writes;
#   - brains that crash, throw or never return forfeit the runs they fault in, which
#     finish without them and are named with a replay that reproduces the fault;
#   - a pipe gets no progress bar; bad command lines and files fail cleanly.
#   arena.sh ARENA RUNNER BASELINE LOOKOUT TEST_PLUGIN_FOLDER [WINE_PREFIX]
# With a Wine prefix the arena is a Windows program and runs under Wine; the
# figures are then checked against the Windows runner given as RUNNER.
set -u
arena=$(realpath "$1")
cli=$(realpath "$2")
baseline=$(realpath "$3")
lookout=$(realpath "$4")
plugins=$(realpath "$5")
wine_prefix="${6:-}"
slurm=$(realpath "$(dirname "$0")/../../tools/arena-slurm.sh")
. "$(dirname "$0")/../checks.sh"
wine_run() {
    if [ -n "$wine_prefix" ]; then
        WINEPREFIX="$wine_prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" wine "$@"
    else
        "$@"
    fi
}
play() { wine_run "$arena" "$@"; }
# Files from a Windows program end their lines as Linux ones do (binary output);
# this also drops any stray CR Wine's console adds to the summary.
same() { cmp -s "$1" "$2" || fail "$3: $1 and $2 differ"; }

cd "$work" || exit 1
mkdir two
cp "$baseline" two/baseline.dll
cp "$lookout" two/lookout.dll
outbreak="--board 40x40 --beings 120"

# 1. The figures, against the runner's dump of every frame of the same seeds.
play --brains two $outbreak --runs 3 --frames 600 --jobs 2 --csv figures.csv >/dev/null 2>figures.err \
    || fail "the arena failed: $(cat figures.err)"
for seed in 1 2 3; do
    wine_run "$cli" --brains two $outbreak --seed "$seed" --frames 600 --dump dump.csv --dump-every 1 \
        || fail "the runner failed on seed $seed"
    # Per brain: the first frame after which it had no human row, and its humans
    # after the last frame (the final dump repeats the last frame: read it once).
    tr -d '\r' <dump.csv | awk -F, -v seed="$seed" -v frames=600 '
        NR == 1 { next }
        $2 == 0 { if ($1 == last) done = 1; last = $1 }
        done { next }
        $3 == 2 { brains[$12] = 1; humans[$1, $12]++ }
        END {
            for (b in brains) {
                fell = "survived"
                for (f = 1; f <= frames; f++) if (!((f, b) in humans)) { fell = f; break }
                print seed "," b "," fell "," (fell == "survived" ? humans[frames, b] : 0)
            }
        }' >>expected.txt
done
tr -d '\r' <figures.csv | awk -F, 'NR > 1 { print $1 "," $2 "," $3 "," $4 }' | sort >got.txt
sort expected.txt >want.txt
cmp -s got.txt want.txt || fail "the arena's figures are not the runner's: $(diff want.txt got.txt | head -5)"
grep -q ",survived," got.txt && grep -qv ",survived," got.txt \
    || fail "the figures check saw only one kind of ending: $(cat got.txt)"
[ -s figures.err ] && fail "a pipe got more than errors: $(head -c 200 figures.err)"

# 2. The same files whatever the jobs, and from four shards merged.
arena_files() { # PREFIX ARGS...
    prefix="$1"
    shift
    play --brains two $outbreak --runs 8 --frames 300 "$@" --csv "$prefix.csv" --json "$prefix.json" \
        --plot "$prefix.png" --html "$prefix.html" >"$prefix.txt" 2>"$prefix.err" || fail "arena $*: $(cat "$prefix.err")"
}
arena_files one --jobs 1
arena_files many --jobs 3
for file in csv json png txt html; do same one.$file many.$file "--jobs 1 against --jobs 3"; done
if command -v parallel >/dev/null; then
    export arena wine_prefix outbreak
    parallel --will-cite "cd '$work' && ${wine_prefix:+WINEPREFIX='$wine_prefix' WINEDEBUG=-all wine} '$arena' \
        --brains two $outbreak --runs 8 --frames 300 --shard {}/4 --json shard{}.json >/dev/null 2>shard{}.err" ::: 1 2 3 4 \
        || fail "a shard failed: $(cat shard*.err)"
    play --merge shard3.json shard1.json shard4.json shard2.json --csv merged.csv --json merged.json \
        --plot merged.png --html merged.html >merged.txt 2>merged.err || fail "the merge failed: $(cat merged.err)"
    for file in csv json png txt html; do same one.$file merged.$file "one machine against four shards"; done
    play --merge shard1.json shard2.json shard4.json >/dev/null 2>missing.err
    [ $? = 1 ] && grep -q "shard 3/4 is missing" missing.err || fail "a missing shard was not refused"
else
    fail "GNU parallel is needed (tools/install-deps.sh installs it)"
fi
# The Slurm script, as the tasks of a four-task job array would run it.
if [ -z "$wine_prefix" ]; then
    for task in 1 2 3 4; do
        SLURM_ARRAY_TASK_ID=$task SLURM_ARRAY_TASK_COUNT=4 SLURM_CPUS_PER_TASK=2 SHAMBLEX_ARENA="$arena" \
            "$slurm" two slurm $outbreak --runs 8 --frames 300 >/dev/null 2>slurm.err || fail "Slurm task $task: $(cat slurm.err)"
    done
    play --merge slurm/shard-*.json --csv slurm.csv >/dev/null 2>slurm.err || fail "the Slurm merge: $(cat slurm.err)"
    same one.csv slurm.csv "one machine against the Slurm tasks"
fi

# 3. Misbehaving brains forfeit the runs they fault in, and the runs still finish.
forfeit() { # NAME PLUGIN WHAT ARGS...: the brain beside baseline; its faults named
    name="$1" plugin="$2" what="$3"
    shift 3
    mkdir "$name"
    cp "$baseline" "$name/baseline.dll"
    cp "$plugins/$plugin.dll" "$name/$name.dll"
    play --brains "$name" $outbreak --frames 100 --csv "$name.csv" "$@" >"$name.txt" 2>"$name.err"
    [ $? = 0 ] || fail "$name: the arena did not finish: $(cat "$name.err")"
    tr -d '\r' <"$name.csv" | grep -q "^[0-9]*,$name,.*,finished,,\"\{0,1\}faulted at frame [0-9]*: $what" \
        || fail "$name: no run it forfeited by '$what': $(head -3 "$name.csv")"
    grep -q "Forfeits.*$name [0-9]" "$name.txt" || fail "$name: the summary does not say: $(cat "$name.txt")"
    grep -q "^All [0-9]* runs finished" "$name.txt" || fail "$name: a run was spoiled: $(cat "$name.txt")"
}
forfeit sometimes test_brain_crashes_sometimes "crashed" --runs 8
forfeit thrower test_brain_throws "threw" --runs 2
forfeit looper test_brain_loops "did not return" --runs 2 --timeout 2
finished=$(tr -d '\r' <sometimes.csv | grep -c "^[0-9]*,sometimes,.*,finished,,,")
[ "$finished" -gt 0 ] || fail "a brain that crashes in some runs forfeited all of them"
replay=$(tr -d '\r' <sometimes.csv | grep "faulted at frame" | head -n 1 | sed 's/.*,\(shamblex-cli .*\)$/\1/')
set -- $replay
shift
wine_run "$cli" "$@" >/dev/null 2>replay.err
[ $? = 3 ] && grep -q "brain 'sometimes' crashed" replay.err || fail "the replay '$replay' does not crash as the run did"

# 4. Command lines and files.
play --brains two --runs 0 >/dev/null 2>usage.err
[ $? = 2 ] && [ "$(wc -l <usage.err)" = 1 ] || fail "a bad command line: $(cat usage.err)"
mkdir empty
play --brains empty --runs 1 >/dev/null 2>empty.err
[ $? = 1 ] && grep -q "holds no brain" empty.err || fail "an empty folder: $(cat empty.err)"
play --brains two --runs 1 --csv missing/folder/x.csv >/dev/null 2>unwritable.err
[ $? = 1 ] && grep -q "cannot write 'missing/folder/x.csv'" unwritable.err || fail "an unwritable file: $(cat unwritable.err)"

finish "arena"
