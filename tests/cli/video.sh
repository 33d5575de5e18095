#!/bin/sh
# The runner's video through ffmpeg: every drawn frame at the window size, read back
# with ffprobe; and when ffmpeg is missing or fails, one line, status 1, and no file
# left behind or destroyed.
#   video.sh RUNNER
set -u
cli="$1"
. "$(dirname "$0")/../checks.sh"
command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null || { echo "FAIL: ffmpeg is needed"; exit 1; }
cd "$work" || exit 1

# Ten frames of the script and twelve after it, with a fast forward between that
# draws nothing: 22 frames of 320 x 240.
"$cli" --script "step:10 key:f" --frames 12 --video out.mp4 --size 320x240 --fps 25 2>err.txt \
    || fail "the video was not made: $(cat err.txt)"
probe=$(ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=codec_name,width,height,nb_read_frames -of csv=p=0 out.mp4)
[ "$probe" = "h264,320,240,22" ] || fail "out.mp4 is $probe, not 22 H.264 frames of 320x240"
"$cli" --frames 5 --video odd.mkv --size 101x75 2>err.txt || fail "an odd size: $(cat err.txt)"
[ "$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 odd.mkv)" = "102,76" ] \
    || fail "odd sides are not padded to even ones"

# Without ffmpeg on the PATH: one line, status 1, nothing written.
echo "old video" >kept.mp4
PATH=/nonexistent "$cli" --frames 5 --video kept.mp4 --stats stats.csv >out.txt 2>err.txt
status=$?
[ "$status" = 1 ] || fail "without ffmpeg: exit $status"
[ "$(wc -l <err.txt)" = 1 ] && grep -q "ffmpeg" err.txt || fail "without ffmpeg: $(cat err.txt)"
[ "$(cat kept.mp4)" = "old video" ] || fail "without ffmpeg the old video was touched"
[ -e stats.csv ] && fail "without ffmpeg the run went on"

# ffmpeg that fails (no container for the extension): status 1, no half video.
"$cli" --frames 5 --video out.nosuchcontainer 2>err.txt >/dev/null
status=$?
[ "$status" = 1 ] || fail "a failing ffmpeg: exit $status"
grep -q "writing the video 'out.nosuchcontainer' failed" err.txt || fail "a failing ffmpeg: $(cat err.txt)"
leftovers=$(ls -A | grep -v -x -e out.mp4 -e odd.mkv -e kept.mp4 -e out.txt -e err.txt)
[ -z "$leftovers" ] || fail "left behind: $leftovers"

finish "video"
