#!/bin/sh
# The installed hack as XScreenSaver starts it: the tree is installed into a folder
# of its own, the command line is read from the installed shamblex.xml (its fixed
# arguments, and two sliders moved to their small ends so that an outbreak ends
# soon), and the hack runs in a window under Xvfb. The installed brains must play
# (their lines in the status band), and a finished outbreak must start again. The
# hack takes XScreenSaver's -fps, -install, -visual, -pair and -delay; every outbreak has a fresh seed, said on standard
# error and kept in the saver's log; two full-screen savers started with
# --seed random play different seeds.
#   installed_hack_e2e.sh BUILD_FOLDER SCREEN_READER
set -u
build="$1"
reader="$2"
work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill -KILL "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$work/run/out.txt" ] && sed 's/^/  shamblex: /' "$work/run/out.txt"
    exit 1
}
. "$(dirname "$0")/x_display.sh"
need_tools Xvfb xdotool import xlogo xwininfo timeout
cmake --install "$build" --prefix "$work/prefix" >/dev/null || fail "the tree does not install"
xml="$work/prefix/share/xscreensaver/config/shamblex.xml"
hack="$work/prefix/libexec/xscreensaver/shamblex"
[ -f "$xml" ] && [ -x "$hack" ] || fail "no hack or no XML installed"
first_brain=$(ls "$work/prefix/lib/shamblex/brains" | sed -n 's/\.dll$//p' | sort | head -n 1)
[ -n "$first_brain" ] || fail "no brains installed"

# The command XScreenSaver makes of the XML: every <command arg>, then the slider
# arguments with their values.
fixed=$(sed -n 's/.*<command arg="\([^"]*\)".*/\1/p' "$xml" | tr '\n' ' ')
slider() { # ID VALUE: the slider's arg with the value in place of %
    sed -n "/<number id=\"$1\"/,/>/p" "$xml" | sed -n 's/.*arg="\([^"]*\)".*/\1/p' | sed "s/%/$2/"
}
case "$fixed" in *--root*) ;; *) fail "the XML's command has no --root: $fixed" ;; esac
# The file chooser gives a brain file: its folder is played.
moved="$(slider beings 100) $(slider boardside 50) -fps -install -visual default -pair -delay 10000 --brains $work/prefix/lib/shamblex/brains/$first_brain.dll"
export XDG_STATE_HOME="$work/state"

start_display 1024x768
pids="$xvfb_pid"
xlogo -geometry 640x480+0+0 2>/dev/null &
pids="$pids $!"
toplevel=$(timeout 20 xdotool search --sync --onlyvisible --class xlogo | head -n 1)
window=$(xwininfo -children -id "$toplevel" | awk '/^ +0x/ { print $1; exit }')
[ -n "$window" ] || fail "no window to draw into"

mkdir "$work/run"
cd "$work/run" || fail "no work folder"
# The daemon names its window in the environment; --root draws there.
# shellcheck disable=SC2086
ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" XSCREENSAVER_WINDOW="$window" "$hack" $fixed $moved >out.txt 2>&1 &
hack_pid=$!
pids="$pids $hack_pid"
sleep 1.5
import -window "$window" shot.png || fail "no screenshot"
"$reader" text shot.png 180 0 "$first_brain:" || fail "no line of the brain '$first_brain' in the status band"

# The outbreak ends and, ten seconds later, starts again from frame 1.
last=0
restarted=""
for _ in $(seq 150); do
    sleep 0.5
    import -window "$window" shot.png || continue
    set -- $("$reader" status shot.png)
    [ "$#" = 3 ] && [ "$1" -ge 0 ] || continue
    if [ "$1" -lt "$last" ]; then
        restarted=yes
        break
    fi
    last=$1
done
[ -n "$restarted" ] || fail "no new outbreak after the last one ended (last frame seen: $last)"

kill -TERM "$hack_pid"
for _ in $(seq 10); do kill -0 "$hack_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$hack_pid" 2>/dev/null && fail "the hack did not end within a second of SIGTERM"
wait "$hack_pid" || fail "the hack ended with status $?"
[ -e zombie.sav ] && fail "the hack wrote a settings file into the daemon's folder"
[ "$(grep -c '^shamblex: seed [0-9]* (replay: shamblex --seed ' out.txt)" -ge 2 ] \
    || fail "the first outbreak and the restarted one did not say their seeds"
[ "$(grep -c ' seed [0-9]*  shamblex --seed ' "$work/state/shamblex/saver.log")" -ge 2 ] \
    || fail "the saver's log does not keep the seeds"

# Two full-screen savers with --seed random: two different seeds.
for run in 1 2; do
    "$work/prefix/bin/shamblex" --fullscreen --seed random 2>"seed$run.txt" &
    saver=$!
    sleep 1
    kill -TERM "$saver"
    wait "$saver"
done
first=$(sed -n 's/^shamblex: seed \([0-9]*\) .*/\1/p' seed1.txt)
second=$(sed -n 's/^shamblex: seed \([0-9]*\) .*/\1/p' seed2.txt)
[ -n "$first" ] && [ -n "$second" ] && [ "$first" != "$second" ] \
    || fail "two savers with --seed random said seeds '$first' and '$second'"
echo "installed hack end-to-end: all checks passed"
