#!/bin/sh
# How much CPU the saver costs on a 1920 x 1080 screen under Xvfb: the program and the
# X server together, as a share of one core, over a stretch of SECONDS after a warm-up.
#   saver_cpu.sh SHAMBLEX fullscreen|hack|window|paused [SECONDS]
# fullscreen: shamblex --fullscreen; hack: shamblex --root; window: the ordinary
# window at full size; paused: that window after Space.
set -u
shamblex=$(command -v "$1" 2>/dev/null || echo "$1")
case "$shamblex" in /*) ;; *) shamblex="$PWD/$shamblex" ;; esac
mode="$2"
seconds="${3:-10}"
work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "saver_cpu.sh: $*" >&2
    exit 1
}
. "$(dirname "$0")/../tests/shell/x_display.sh"
need_tools Xvfb xdotool
start_display 1920x1080
xvfb="$xvfb_pid"
pids="$xvfb"
cd "$work" || exit 1
case "$mode" in
    fullscreen) "$shamblex" --fullscreen & ;;
    hack) "$shamblex" --root & ;;
    window | paused) "$shamblex" & ;;
    *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
app=$!
pids="$pids $app"
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Shamblex$' 2>/dev/null | head -n 1)
if [ "$mode" = window ] || [ "$mode" = paused ]; then
    xdotool windowsize "$window" 1920 1080
    # The pointer rests outside the board, as on a desk nobody touches.
    xdotool mousemove 5 5
    [ "$mode" = paused ] && xdotool windowfocus --sync "$window" key space
fi
sleep 3
ticks() { # PID -> user + system time in clock ticks
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}
appStart=$(ticks "$app")
xvfbStart=$(ticks "$xvfb")
sleep "$seconds"
appTicks=$(($(ticks "$app") - appStart))
xvfbTicks=$(($(ticks "$xvfb") - xvfbStart))
hertz=$(getconf CLK_TCK)
share() { awk -v t="$1" -v h="$hertz" -v s="$seconds" 'BEGIN { printf "%.1f", 100 * t / (h * s) }'; }
echo "$mode: $(share $((appTicks + xvfbTicks)))% of one core (program $(share "$appTicks")%, X server $(share "$xvfbTicks")%)"
