#!/bin/sh
# A brain that never returns never keeps a user from the desktop: with shamblex stuck
# inside such a brain, SIGTERM ends the hack, a key ends the full-screen saver and
# closing the window ends the window, each within a second, with a line naming the
# brain. Waiting for slow brains is no input either: a full-screen saver whose brains
# take long to load stays until a key.
#   linux_stuck_brain_e2e.sh SHAMBLEX CLOSE_WINDOW LOOPING_BRAIN SLOW_BRAIN
set -u
shamblex="$1"
closer="$2"
looper="$3"
slow="$4"
. "$(dirname "$0")/../checks.sh"
pids=""
cleanup() {
    for pid in $pids; do kill -KILL "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
. "$(dirname "$0")/x_display.sh"
need_tools Xvfb xdotool xlogo xwininfo timeout || exit 1
start_display 1024x768 || exit 1
pids="$xvfb_pid"
mkdir "$work/brains"
cp "$looper" "$work/brains/looper.dll"
cd "$work" || exit 1
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"

# ended PID WANT: waits up to a second for the program to end with status WANT.
ended() {
    for _ in 1 2 3 4 5 6 7 8 9 10 11 12; do
        sleep 0.1
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            got=$?
            [ "$got" = "$2" ] || fail "$3: exit $got, wanted $2"
            return 0
        fi
    done
    fail "$3: still running a second later"
    kill -KILL "$1"
}
names_the_brain() {
    grep -q "brain 'looper' did not return" "$1" || fail "$2: no line naming the brain: $(cat "$1")"
}

# The hack, told to end by the daemon's SIGTERM.
xlogo -geometry 300x200+0+0 2>/dev/null &
pids="$pids $!"
toplevel=$(timeout 20 xdotool search --sync --onlyvisible --class xlogo | head -n 1)
window=$(xwininfo -children -id "$toplevel" | awk '/^ +0x/ { print $1; exit }')
"$shamblex" --window-id "$window" --brains brains 2>hack.txt &
hack=$!
pids="$pids $hack"
sleep 1.5
kill -TERM "$hack"
ended "$hack" 143 "hack"
names_the_brain hack.txt "hack"

# The full-screen saver, ended by a key.
"$shamblex" --fullscreen --brains brains 2>fullscreen.txt &
saver=$!
pids="$pids $saver"
timeout 20 xdotool search --sync --onlyvisible --name '^Shamblex$' >/dev/null || fail "no full-screen window"
sleep 1
# The focus a new full-screen window loses while it is set up is no input: stuck in
# the brain or not, the saver is still there until the key.
kill -0 "$saver" 2>/dev/null || fail "the full-screen saver ended before any input: $(cat fullscreen.txt)"
xdotool key space
ended "$saver" 3 "full screen"
names_the_brain fullscreen.txt "full screen"

# The window, closed as a window manager's close button does.
"$shamblex" --brains brains 2>window.txt &
app=$!
pids="$pids $app"
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Shamblex$' | head -n 1)
[ -n "$window" ] || fail "no window"
sleep 1
"$closer" "$window"
ended "$app" 3 "window"
names_the_brain window.txt "window"
[ -e zombie.sav ] || fail "closing the window wrote no settings file"

# The full-screen saver waits for its worker while a brain loads: what a new window
# hears meanwhile (on a screen this large, the focus moving where the pointer is)
# does not end it.
kill "$xvfb_pid"
start_display 3840x2160 || exit 1
pids="$pids $xvfb_pid"
mkdir slow
cp "$slow" slow/slow.dll
"$shamblex" --fullscreen --brains slow 2>slow.txt &
saver=$!
pids="$pids $saver"
sleep 3
kill -0 "$saver" 2>/dev/null || fail "a full-screen saver waiting for a slow brain ended by itself: $(cat slow.txt)"
xdotool key space
ended "$saver" 0 "full screen with a slow brain"

finish "stuck brain end-to-end"
