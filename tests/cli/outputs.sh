#!/bin/sh
# Outputs go where their path points: a symlink stays a link and the file it points
# to is replaced with its mode kept; a FIFO, a device node and the names of the
# runner's own descriptors are written straight through and stay what they were; a
# folder is refused with the reason. Run as root and, when the test runs as root,
# once more as the unprivileged user nobody. The device node is the test's own,
# never the machine's /dev/null, which a faulty run would replace.
#   outputs.sh RUNNER ARENA BRAIN_FOLDER
set -u
cli="$1"
arena="$2"
brains="$3"
. "$(dirname "$0")/../checks.sh"
chmod 755 "$work"

# As the user given (or this one): run "$@" in the folder.
as() {
    who="$1"
    shift
    if [ "$who" = self ]; then
        "$@"
    else
        setpriv --reuid="$(id -u "$who")" --regid="$(id -g "$who")" --clear-groups "$@"
    fi
}

check_user() {
    who="$1"
    dir="$work/$who"
    mkdir "$dir" && cd "$dir" || exit 1
    [ "$who" = self ] || chown "$who" "$dir"
    label="as $who"

    # A symlink: the link stays, its target is replaced and keeps its mode.
    as "$who" sh -c 'echo old >target.csv && chmod 640 target.csv && ln -s target.csv link.csv'
    as "$who" "$cli" --frames 3 --stats link.csv 2>err.txt || fail "$label: a symlink: $(cat err.txt)"
    [ -L link.csv ] || fail "$label: the link was replaced by a file"
    [ "$(head -1 target.csv)" = frame,zombies,humans ] || fail "$label: the link's target was not written"
    [ "$(stat -c %a target.csv)" = 640 ] || fail "$label: the target lost its mode: $(stat -c %a target.csv)"
    [ "$(ls -A | grep -c '^\.')" = 0 ] || fail "$label: a temporary file was left: $(ls -A)"
    # A dangling link: the file it names is made, the link stays.
    as "$who" ln -s made.csv dangling.csv
    as "$who" "$cli" --frames 2 --dump dangling.csv 2>err.txt || fail "$label: a dangling link: $(cat err.txt)"
    [ -L dangling.csv ] && [ -f made.csv ] || fail "$label: a dangling link was not followed"

    # A FIFO, read by another process while the runner writes.
    as "$who" mkfifo fifo
    as "$who" timeout 30 sh -c 'cat fifo >from-fifo.csv' &
    reader=$!
    as "$who" "$cli" --frames 4 --stats fifo 2>err.txt || fail "$label: a FIFO: $(cat err.txt)"
    wait "$reader"
    [ -p fifo ] || fail "$label: the FIFO was replaced"
    [ "$(wc -l <from-fifo.csv)" = 5 ] || fail "$label: the FIFO's reader got $(wc -l <from-fifo.csv) lines, not 5"

    # The runner's own descriptors: a file the shell opened, a pipe, descriptor 3.
    as "$who" sh -c "'$cli' --frames 2 --stats /dev/stdout >via-stdout.csv" 2>err.txt \
        || fail "$label: /dev/stdout: $(cat err.txt)"
    [ "$(wc -l <via-stdout.csv)" = 3 ] || fail "$label: /dev/stdout into a file"
    lines=$(as "$who" "$cli" --frames 2 --stats /proc/self/fd/1 2>err.txt | wc -l)
    [ "$lines" = 3 ] || fail "$label: /proc/self/fd/1 into a pipe gave $lines lines: $(cat err.txt)"
    as "$who" sh -c "'$cli' --frames 2 --board-dump /dev/fd/3 3>board.txt" 2>err.txt \
        || fail "$label: /dev/fd/3: $(cat err.txt)"
    [ -s board.txt ] || fail "$label: /dev/fd/3 wrote nothing"

    # A device node of the test's own, like the null device.
    if [ -e "$work/null" ]; then
        as "$who" "$cli" --frames 3 --stats "$work/null" --dump "$work/null" 2>err.txt \
            || fail "$label: a device node: $(cat err.txt)"
        [ -c "$work/null" ] || fail "$label: the device node was replaced"
    fi

    # A folder is refused, with the reason, and left alone.
    as "$who" mkdir folder.csv
    as "$who" "$cli" --frames 2 --stats folder.csv >out.txt 2>err.txt
    status=$?
    [ "$status" = 1 ] && grep -q "folder" err.txt || fail "$label: a folder: exit $status, $(cat err.txt)"
    [ -d folder.csv ] || fail "$label: the folder was touched"
}

if [ "$(id -u)" = 0 ]; then
    mknod "$work/null" c 1 3 && chmod 666 "$work/null"
    # A file system mounted without device nodes refuses to open one.
    echo probe >"$work/null" 2>/dev/null || { rm -f "$work/null"; echo "note: device nodes cannot be opened here; that case is skipped"; }
    check_user self
    check_user nobody
else
    echo "note: not root, so the device node and the second user are skipped"
    check_user self
fi
cd "$work" || exit 1

# A video into a FIFO: ffmpeg cannot seek there, so it writes fragmented MP4.
if command -v ffmpeg >/dev/null; then
    mkfifo video.mp4
    timeout 30 cat video.mp4 >from-fifo.mp4 &
    reader=$!
    "$cli" --frames 9 --video video.mp4 --size 64x48 2>err.txt || fail "a video into a FIFO: $(cat err.txt)"
    wait "$reader"
    frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 from-fifo.mp4)
    [ "$frames" = 9 ] || fail "the video through a FIFO has '$frames' frames, not 9"
    [ -p video.mp4 ] || fail "the video's FIFO was replaced"
fi

# The arena's files take the same road.
echo old >table.csv
ln -s table.csv ranking.csv
"$arena" --brains "$brains" --runs 2 --frames 50 --csv ranking.csv >arena-out.txt 2>err.txt \
    || fail "the arena through a link: $(cat err.txt)"
[ -L ranking.csv ] && [ "$(cat table.csv)" != old ] || fail "the arena's link was not kept, or its target not written"

finish outputs
