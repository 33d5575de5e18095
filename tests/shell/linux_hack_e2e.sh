#!/bin/sh
# shamblex as an XScreenSaver hack under Xvfb: it draws into a window it does not
# own (an xlogo window standing in for the daemon's), follows that window when it is
# resized, and ends cleanly on SIGTERM without writing a settings file. A brain that
# crashes in it ends only its worker: the hack says so and keeps drawing, without it.
#   linux_hack_e2e.sh SHAMBLEX SCREEN_READER CRASHING_BRAIN
set -u
shamblex="$1"
reader="$2"
crasher="$3"
work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$work/out.txt" ] && sed 's/^/  shamblex: /' "$work/out.txt"
    exit 1
}
. "$(dirname "$0")/x_display.sh"
need_tools Xvfb xdotool import xlogo xwininfo timeout pgrep

start_display 1024x768
pids="$xvfb_pid"
cd "$work" || fail "no work folder"

xlogo -geometry 400x300+0+0 2>/dev/null &
pids="$pids $!"
toplevel=$(timeout 20 xdotool search --sync --onlyvisible --class xlogo | head -n 1)
[ -n "$toplevel" ] || fail "no xlogo window"
# The logo is drawn in a child window that covers the whole top-level window.
window=$(xwininfo -children -id "$toplevel" | awk '/^ +0x/ { print $1; exit }')
[ -n "$window" ] || fail "no child window in xlogo"

# The daemon names its window in the environment and passes -root.
ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" XSCREENSAVER_WINDOW="$window" "$shamblex" -root >out.txt 2>&1 &
hack=$!
pids="$pids $hack"
sleep 1.5
import -window "$window" shot1.png || fail "no screenshot"
set -- $("$reader" status shot1.png)
[ "$#" = 3 ] && [ "$1" -gt 0 ] || fail "no running outbreak drawn into the window: $*"
[ $(($2 + $3)) = 1000 ] || fail "zombies $2 + humans $3 is not 1000"
# Without a brain folder the hack can load no brain: its outbreak runs in the hack
# itself, with no worker beside it.
[ -z "$(pgrep -P "$hack")" ] || fail "a hack without brains started a worker"

# A foreign window sends no resize events; the hack asks for the size and follows.
xdotool windowsize "$toplevel" 640 480
sleep 1.5
import -window "$window" shot2.png || fail "no screenshot"
# At 640 x 480 the 250 x 250 board has cells of 2 x 1 from (70, 172); its first
# cell row is drawn there, and the grey margin lies left of it.
[ "$("$reader" cell shot2.png 0 0 1 1 20 300)" = "128 128 128" ] || fail "no grey margin at the new size"
set -- $("$reader" status shot2.png)
[ "$#" = 3 ] && [ "$1" -gt 0 ] || fail "status band not redrawn at the new size: $*"

kill -TERM "$hack"
wait "$hack" || fail "the hack did not end cleanly on SIGTERM (status $?)"
[ -e zombie.sav ] && fail "the hack wrote a settings file"

# A brain that crashes on its third call.
mkdir brains
cp "$crasher" brains/crasher.dll
ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$shamblex" --window-id "$window" --brains brains >fault.txt 2>&1 &
hack=$!
pids="$pids $hack"
sleep 2
kill -0 "$hack" 2>/dev/null || fail "a crashing brain ended the hack: $(cat fault.txt)"
[ -n "$(pgrep -P "$hack")" ] || fail "a hack with brains runs them without a worker"
grep -q "brain 'crasher' crashed (segmentation fault) in frame 1, being .*; a new outbreak starts without brain 'crasher'" \
    fault.txt || fail "the hack did not say which brain crashed: $(cat fault.txt)"
import -window "$window" shot3.png || fail "no screenshot"
set -- $("$reader" status shot3.png)
[ "$#" = 3 ] && [ "$1" -gt 0 ] && [ $(($2 + $3)) = 1000 ] || fail "no outbreak drawn after the fault: $*"
kill -TERM "$hack"
wait "$hack" || fail "the hack did not end cleanly on SIGTERM after a fault (status $?)"
echo "linux hack end-to-end: all checks passed"
