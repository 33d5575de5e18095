#!/bin/sh
# The frame step per being update against the floor kernel, side by side: the two
# are run alternately ROUNDS times on each size and the medians compared, since the
# machine they run on is shared and noisy.
#   floor_ratios.sh BENCHMARKS FLOOR_KERNEL_SOURCE [ROUNDS]
set -u
benchmarks="$1"
source="$2"
rounds="${3:-7}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
gcc -O2 "$source" -o "$work/floor_kernel" || exit 1
median() { sort -g | awk '{ value[NR] = $1 } END { print value[int((NR + 1) / 2)] }'; }
for size in "default_1000_beings_250x250 250 1000 2000" "large_100000_beings_2500x2500 2500 100000 100" \
    "huge_1000000_beings_5000x5000 5000 1000000 20"; do
    set -- $size
    name=$1 side=$2 beings=$3 frames=$4
    : >"$work/step"
    : >"$work/floor"
    for _ in $(seq "$rounds"); do
        "$benchmarks" --benchmark_filter="FrameStep/$name" 2>/dev/null \
            | sed -n 's/.*perBeingUpdate=\([0-9.]*\)\([num]\)s.*/\1 \2/p' \
            | awk '{ scale = $2 == "u" ? 1000 : ($2 == "m" ? 1000000 : 1); print $1 * scale }' >>"$work/step"
        "$work/floor_kernel" "$side" "$side" "$beings" "$frames" | awk '{ print $1 }' >>"$work/floor"
    done
    step=$(median <"$work/step")
    floor=$(median <"$work/floor")
    echo "$name: frame step $step ns, floor $floor ns per being update: $(echo "$step $floor" | awk '{ printf "%.2f", $1 / $2 }')x"
done
