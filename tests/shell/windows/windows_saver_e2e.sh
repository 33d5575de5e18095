#!/bin/sh
# shamblex.scr for real, under Wine and Xvfb: the ordinary window (/w) typed into
# and closed, the full-screen saver (/s) ending on a key and on a large move but not
# on a small one, the configuration dialog (/c) and the preview (/p) checked by small
# Windows programs of our own.
#   windows_saver_e2e.sh SCR WANDERWIT SCREEN_READER CLOSE_WINDOW DIALOG_CHECK PREVIEW_HOST
#                        PREVIEW_DRAWING_CHECK PREFIX
set -u
scr="$1"
wanderwit="$2"
reader="$3"
closer="$4"
dialog_check="$5"
preview_host="$6"
preview_drawing_check="$7"
WINEPREFIX="$8"
. "$(dirname "$0")/wine_env.sh"
work=$(mktemp -d)
xvfb_pid=""
saver_pid=""
cleanup() {
    [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null
    wineserver -k </dev/null >/dev/null 2>&1
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}
. "$(dirname "$0")/../x_display.sh"
need_tools Xvfb xdotool import wine wineserver timeout

start_display 1024x768
# A server of its own for this display, started with no output to inherit.
mkdir -p "$WINEPREFIX"
wineserver -k </dev/null >/dev/null 2>&1
wineserver -p </dev/null >/dev/null 2>&1
timeout 300 wine cmd /c exit </dev/null >/dev/null 2>&1

start_saver() { # ARGS... : runs the saver in $work/run, waits for its window
    rm -rf "$work/run"
    mkdir "$work/run"
    cp "$wanderwit" "$work/run/"
    (cd "$work/run" && exec wine "$scr" "$@" </dev/null >/dev/null 2>&1) &
    saver_pid=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Shamblex$' | head -n 1)
    [ -n "$window" ] || fail "no Shamblex window for $*"
    sleep 1
}
wait_for_end() { # SECONDS
    for _ in $(seq $(($1 * 10))); do kill -0 "$saver_pid" 2>/dev/null || return 0; sleep 0.1; done
    return 1
}
saved() {
    od -An -tx1 -v "$work/run/zombie.sav" 2>/dev/null | tr -d ' \n'
}

# /w: "t" once and "+" twice, then "l" with wanderwit.dll beside it.
start_saver /w
xdotool windowfocus --sync "$window"
xdotool type --delay 60 "t++"
sleep 1
import -window "$window" "$work/w1.png" || fail "no screenshot of /w"
set -- $("$reader" status "$work/w1.png")
[ "$#" = 3 ] && [ "$1" -gt 0 ] || fail "/w: status band not readable: $*"
[ $(($2 + $3)) = 1200 ] || fail "/w: zombies $2 + humans $3 is not 1200 after '++'"
set -- $("$reader" layout "$work/w1.png")
"$reader" quiet-cell "$work/w1.png" "$@" >/dev/null || fail "/w: no board in the screenshot"
[ "$("$reader" cell "$work/w1.png" "$@" -1 -1)" = "128 128 128" ] || fail "/w: no grey margin around the board"
xdotool type "l"
sleep 1
import -window "$window" "$work/w2.png" || fail "no screenshot of /w"
"$reader" text "$work/w2.png" 180 0 "wanderwit: " || fail "/w: no brain line for wanderwit after 'l'"
set -- $("$reader" status "$work/w2.png")
[ $(($2 + $3)) = 1202 ] || fail "/w: zombies $2 + humans $3 is not 1202 with one brain"
"$closer" "$window"
wait_for_end 15 || fail "/w: closing the window did not end the saver"
saver_pid=""
[ "$(saved)" = "302e3500e8030000bc020000000000000001b0040000fa000000fa000000" ] \
    || fail "/w: zombie.sav holds $(saved)"

# /s: a one-pixel nudge leaves it running; a key ends it and saves the settings.
start_saver /s
geometry=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$geometry" = "1024x768" ] || fail "/s: the window is $geometry, not the whole 1024x768 screen"
xdotool mousemove_relative 1 0
sleep 1
kill -0 "$saver_pid" 2>/dev/null || fail "/s: ended on a one-pixel move"
xdotool key a
wait_for_end 15 || fail "/s: a key did not end the saver"
saver_pid=""
# The window's rectangle is the 1024 x 768 screen: 00 04 00 00, 00 03 00 00.
[ "$(saved | cut -c1-24)" = "302e35000004000000030000" ] || fail "/s: zombie.sav holds '$(saved)' after the key"

# /s again: a large move ends it.
start_saver /s
xdotool mousemove_relative 200 150
wait_for_end 15 || fail "/s: a large move did not end the saver"
saver_pid=""

# /c and /p, seen from Windows programs.
(cd "$work" && wine "$dialog_check" "$scr" 2>/dev/null) || fail "/c: the configuration dialog check failed"
(cd "$work" && wine "$preview_host" "$scr" 2>/dev/null) || fail "/p: the preview check failed"
(cd "$work" && wine "$preview_drawing_check" 2>/dev/null) || fail "/p: the preview drawing check failed"
echo "windows saver end-to-end: all checks passed"
