# Sourced by the scripts that need an X display of their own (the end-to-end tests
# and the saver's CPU measurement). The sourcing script has set "$work" to a folder
# of its own and defined fail(), which either stops or counts, as it likes.
#   need_tools TOOL...     fail() for every tool that is not installed, and status 1
#   start_display WxH      an Xvfb on a free display number; sets DISPLAY (exported)
#                          and xvfb_pid, which the script's cleanup kills; when the
#                          server does not come up, stops it, fails and returns 1
need_tools() {
    missing=0
    for tool in "$@"; do
        command -v "$tool" >/dev/null && continue
        fail "$tool is needed (tools/install-deps.sh installs it)"
        missing=1
    done
    return "$missing"
}

start_display() {
    # Xvfb picks a free number and writes it to descriptor 3 once it accepts clients.
    Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    if [ ! -s "$work/display" ]; then
        kill "$xvfb_pid" 2>/dev/null
        fail "Xvfb did not start: $(cat "$work/xvfb.log")"
        return 1
    fi
    DISPLAY=":$(cat "$work/display")"
    export DISPLAY
}
