#!/bin/sh
# The real shamblex window under Xvfb, used as a person would: keys typed and a
# click made with xdotool, screenshots read back, the window closed, the settings
# file checked.
#   linux_window_e2e.sh SHAMBLEX SCREEN_READER CLOSE_WINDOW
set -u
shamblex="$1"
reader="$2"
closer="$3"
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$work/run/out.txt" ] && sed 's/^/  shamblex: /' "$work/run/out.txt"
    exit 1
}
. "$(dirname "$0")/x_display.sh"
need_tools Xvfb xdotool import timeout

start_display 1280x1024

mkdir "$work/run"
cd "$work/run" || fail "no work folder"
# In the sanitizer build every check stays on but the leak check at exit: SDL's
# platform libraries (D-Bus, the X11 libraries it loads and unloads again) keep
# allocations that LeakSanitizer cannot even name. Our own code's leaks are caught
# by the unit tests, which drive the same session.
ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$shamblex" >out.txt 2>&1 &
app_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Shamblex$' | head -n 1)
[ -n "$window" ] || fail "no Shamblex window appeared"
xdotool windowfocus --sync "$window"

status() { # SHOT -> "frame zombies humans"
    import -window "$window" "$1" || fail "no screenshot"
    "$reader" status "$1"
}

# "t" once and "+" twice: smart zombies off and a new outbreak of 1200 beings.
xdotool type --delay 50 "t++"
sleep 1
set -- $(status shot1.png)
[ "$#" = 3 ] && [ "$2" -ge 0 ] && [ "$3" -ge 0 ] || fail "status band not readable: $*"
[ $(($2 + $3)) = 1200 ] || fail "zombies $2 + humans $3 is not 1200 after '++'"

# Pause, then place a zombie with the right button on a quiet stretch of ground.
# The 1000 x 700 window lays the 250 x 250 board out in cells of 4 x 2 from (0, 150).
xdotool type " "
sleep 0.5
import -window "$window" shot2.png || fail "no screenshot"
layout=$("$reader" layout shot2.png)
[ "$layout" = "0 150 4 2" ] || fail "the board lies at $layout in the 1000 x 700 window"
set -- $("$reader" quiet-cell shot2.png $layout) || fail "no empty ground to click on"
column=$1
row=$2
xdotool mousemove --window "$window" $((column * 4 + 2)) $((150 + row * 2 + 1)) click 3
sleep 0.5
import -window "$window" shot3.png || fail "no screenshot"
[ "$("$reader" cell shot3.png $layout "$column" "$row")" = "0 255 0" ] || fail "no zombie at cell $column,$row"

# Running again, the status band counts the new zombie.
xdotool type " "
sleep 0.5
set -- $(status shot4.png)
[ $(($2 + $3)) = 1201 ] || fail "zombies $2 + humans $3 is not 1201 after placing one"

# Closing the window writes zombie.sav: "0.5", the window's 1000 x 700, smart
# zombies off (file offset 13) and 1200 beings (offset 18).
"$closer" "$window"
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the window did not close"
wait "$app_pid" || fail "shamblex exited with status $?"
app_pid=""
saved=$(od -An -tx1 -v zombie.sav | tr -d ' \n')
expected="302e3500e8030000bc0200000000000000 01b0040000fa000000fa000000"
expected=$(echo "$expected" | tr -d ' ')
[ "$saved" = "$expected" ] || fail "zombie.sav holds $saved, not $expected"
echo "linux window end-to-end: all checks passed"
