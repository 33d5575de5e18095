# Sourced by the test scripts: a work folder that is removed when the script ends,
# and checks that count failures instead of stopping at the first, so that one run
# shows every fault.
#   . "$(dirname "$0")/../checks.sh"
#   fail "what went wrong"      (as often as needed)
#   finish "name"               (last: says so when all passed; the script's status)
# A script that needs more cleanup sets its own EXIT trap after sourcing, and
# removes "$work" in it.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
finish() {
    [ "$failures" = 0 ] && echo "$1: all checks passed"
    [ "$failures" = 0 ]
}
