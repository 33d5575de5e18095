#!/bin/sh
# How much CPU the saver costs on a screen under Xvfb: the program (its brain worker
# included) and the X server together, as a share of one core, over a stretch of
# SECONDS after a warm-up.
#   saver_cpu.sh SHAMBLEX fullscreen|hack|window|paused [SECONDS] [WxH] [BRAINS]
# fullscreen: shamblex --fullscreen; hack: shamblex --root; window: the ordinary
# window at full size; paused: that window after Space. WxH is the screen (1920x1080);
# BRAINS, a folder whose brains the outbreak plays (none by default).
set -u
shamblex=$(command -v "$1" 2>/dev/null || echo "$1")
case "$shamblex" in /*) ;; *) shamblex="$PWD/$shamblex" ;; esac
mode="$2"
seconds="${3:-10}"
screen="${4:-1920x1080}"
brains="${5:+$(realpath "$5")}"
width=${screen%x*}
height=${screen#*x}
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
start_display "$screen"
xvfb="$xvfb_pid"
pids="$xvfb"
cd "$work" || exit 1
set --
[ -n "$brains" ] && set -- --brains "$brains"
case "$mode" in
    fullscreen) "$shamblex" --fullscreen "$@" & ;;
    hack) "$shamblex" --root "$@" & ;;
    window | paused) "$shamblex" "$@" & ;;
    *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
app=$!
pids="$pids $app"
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Shamblex$' 2>/dev/null | head -n 1)
if [ "$mode" = window ] || [ "$mode" = paused ]; then
    xdotool windowsize "$window" "$width" "$height"
    # The pointer rests outside the board, as on a desk nobody touches.
    xdotool mousemove 5 5
    [ "$mode" = paused ] && xdotool windowfocus --sync "$window" key space
fi
sleep 3
ticks() { # PID -> user + system time in clock ticks, of it and of its children still running
    total=0
    for pid in "$1" $(pgrep -P "$1"); do
        total=$((total + $(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || echo 0)))
    done
    echo "$total"
}
appStart=$(ticks "$app")
xvfbStart=$(ticks "$xvfb")
sleep "$seconds"
appTicks=$(($(ticks "$app") - appStart))
xvfbTicks=$(($(ticks "$xvfb") - xvfbStart))
hertz=$(getconf CLK_TCK)
share() { awk -v t="$1" -v h="$hertz" -v s="$seconds" 'BEGIN { printf "%.1f", 100 * t / (h * s) }'; }
echo "$mode: $(share $((appTicks + xvfbTicks)))% of one core (program $(share "$appTicks")%, X server $(share "$xvfbTicks")%)"
