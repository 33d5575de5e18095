#!/bin/sh
# Replays every line of replays.txt with the runner and compares the digests of its
# outputs (stats, a dump every 53 steps, the board dump, the picture) with
# expected.txt, which was recorded from a build whose replays matched an independent
# implementation of the rules.
#   golden_replays.sh RUNNER WANDERWIT COUNTING_BRAIN [--record]
set -u
here=$(cd "$(dirname "$0")" && pwd)
cli="$1"
wanderwit="$2"
counting="$3"
record="${4:-}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

grep -v '^#' "$here/replays.txt" | while IFS='|' read -r name brains arguments; do
    name=$(echo "$name" | xargs)
    [ -n "$name" ] || continue
    dir="$work/$name"
    mkdir -p "$dir"
    for brain in $brains; do
        [ "$brain" = none ] && continue
        case "${brain#*=}" in
            wanderwit) cp "$wanderwit" "$dir/${brain%%=*}" ;;
            counting) cp "$counting" "$dir/${brain%%=*}" ;;
        esac
    done
    (cd "$dir" && eval "\"$cli\" $arguments --stats stats.csv --dump dump.csv --dump-every 53 --board-dump board.txt" \
        >/dev/null 2>&1)
    status=$?
    digests=$(cd "$dir" && for f in stats.csv dump.csv board.txt out.png; do
        [ -f "$f" ] && printf ' %s=%s' "$f" "$(sha256sum <"$f" | cut -c1-16)"
    done)
    echo "$name exit=$status$digests"
done >"$work/actual.txt"

if [ "$record" = --record ]; then
    cp "$work/actual.txt" "$here/expected.txt"
    echo "recorded $(wc -l <"$work/actual.txt") replays"
    exit 0
fi
if diff "$here/expected.txt" "$work/actual.txt" >"$work/diff"; then
    echo "golden replays: $(wc -l <"$work/actual.txt") identical"
    exit 0
fi
echo "golden replays differ (expected < > actual):"
cat "$work/diff"
exit 1
