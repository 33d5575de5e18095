#!/bin/sh
# The arena's web page, read by a real browser: headless Chromium (as root it needs
# --no-sandbox) loads the page and gives back its document, which must hold every
# brain's row, the pairwise matrix, the survival curves as SVG and the faulting
# brain's replay command, and fetch nothing. A screenshot is left in the build
# folder for a person to look at.
#   html_report.sh ARENA SHIPPED_BRAIN_FOLDER FAULTING_BRAIN SCREENSHOT
set -u
arena="$1"
shipped="$2"
faulting="$3"
screenshot="$4"
. "$(dirname "$0")/../checks.sh"
browser=$(command -v chromium || command -v chromium-browser || true)
[ -n "$browser" ] || { echo "FAIL: headless Chromium is needed (Debian package chromium)"; exit 1; }
cd "$work" || exit 1
mkdir brains
cp "$shipped/baseline.dll" "$shipped/lookout.dll" "$shipped/wanderwit.dll" brains/
cp "$faulting" "brains/sometimes.dll"
"$arena" --brains brains --runs 12 --frames 800 --beings 300 --board 80x80 --html report.html >out.txt 2>err.txt \
    || fail "the arena failed: $(cat err.txt)"

browse() { "$browser" --headless --no-sandbox --disable-gpu --no-first-run --user-data-dir="$work/profile" "$@" 2>>browser.txt; }
browse --dump-dom "file://$work/report.html" >dom.html || fail "Chromium did not load the page: $(tail -3 browser.txt)"
for brain in baseline lookout wanderwit sometimes; do
    grep -q "<tr class=\"brain-row[^\"]*\" data-brain=\"$brain\">" dom.html || fail "no ranking row of $brain"
    grep -q "<polyline class=\"curve\" data-brain=\"$brain\"" dom.html || fail "no survival curve of $brain"
done
rows=$(sed -n '/<table id="pairwise-matrix">/,/<\/table>/p' dom.html | grep -c "<tr>")
[ "$rows" = 5 ] || fail "the pairwise matrix has $rows rows, not a head and four brains"
grep -q '<svg id="survival-curves"' dom.html || fail "no survival chart"
grep -q "sat out the rest of the run) <code>shamblex-cli --brains brains [^<]*--seed [0-9]*" dom.html \
    || fail "the faulting brain's section has no replay command"
# Nothing outside the page: no address but the SVG namespace.
grep -o 'https\{0,1\}://[^"]*' report.html | grep -v '^http://www.w3.org/2000/svg$' >fetched.txt
[ -s fetched.txt ] && fail "the page refers outside itself: $(cat fetched.txt)"

browse --screenshot="$screenshot" --window-size=1300,2600 "file://$work/report.html" >/dev/null \
    || fail "no screenshot: $(tail -3 browser.txt)"
[ -s "$screenshot" ] || fail "the screenshot is empty"
finish html_report
