#!/bin/sh
# The Windows installer: made by CPack with NSIS from the build, it installs
# silently (/S) into the folder given and makes Shamblex the screen saver, what it
# put there runs (--version, and an outbreak played by the installed brains), and
# its uninstaller, run silently and waited for (_?=), removes every file again and
# puts back the screen saver that was set before.
#   windows_installer.sh BUILD_FOLDER PREFIX VERSION
set -u
build="$1"
WINEPREFIX="$2"
version="$3"
. "$(dirname "$0")/wine_env.sh"
. "$(dirname "$0")/../../checks.sh"
command -v makensis >/dev/null || { echo "FAIL: makensis is needed (tools/install-deps.sh)"; exit 1; }

cpack -G NSIS --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.txt" 2>&1 \
    || { cat "$work/cpack.txt"; fail "cpack made no installer"; finish windows_installer; exit 1; }
installer="$work/out/shamblex-$version-win64.exe"
[ -s "$installer" ] || { fail "no shamblex-$version-win64.exe"; finish windows_installer; exit 1; }

folder="shamblex-installer-test-$$"
target="$WINEPREFIX/drive_c/$folder"
trap 'rm -rf "$work" "$target"' EXIT
saver_value() { # the screen saver Windows starts, as the registry holds it
    wine reg query 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE 2>/dev/null </dev/null | tr -d '\r' \
        | sed -n 's/.*SCRNSAVE.EXE *REG_SZ *//p'
}
wine reg add 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /t REG_SZ /d 'C:\windows\system32\before.scr' /f \
    </dev/null >/dev/null 2>&1 || fail "cannot set a screen saver to begin with"
wine "$installer" /S "/D=C:\\$folder" </dev/null >/dev/null 2>&1 || fail "the installer failed"
[ "$(saver_value)" = "C:\\$folder\\bin\\shamblex.scr" ] || fail "Shamblex is not the screen saver: '$(saver_value)'"
for file in bin/shamblex.scr bin/shamblex-cli.exe bin/shamblex-arena.exe lib/shamblex/brains/baseline.dll \
    lib/shamblex/brains/lookout.dll lib/shamblex/brains/wanderwit.dll include/shamblex/brains/BrainRecord.h \
    lib/cmake/Shamblex/ShamblexConfig.cmake share/doc/shamblex/README-windows.txt Uninstall.exe; do
    [ -s "$target/$file" ] || fail "the installer did not put $file in place"
done

out=$(wine "C:\\$folder\\bin\\shamblex-cli.exe" --version </dev/null 2>/dev/null | tr -d '\r')
[ "$out" = "shamblex-cli (Shamblex) $version" ] || fail "the installed runner says '$out'"
wine "C:\\$folder\\bin\\shamblex-cli.exe" --brains "C:\\$folder\\lib\\shamblex\\brains" --beings 20 --frames 5 \
    --dump "C:\\$folder\\dump.csv" </dev/null >/dev/null 2>&1 || fail "the installed runner does not run"
grep -q ",wanderwit" "$target/dump.csv" || fail "the installed runner did not play the installed brains"
rm -f "$target/dump.csv"

wine "C:\\$folder\\Uninstall.exe" /S "_?=C:\\$folder" </dev/null >/dev/null 2>&1 || fail "the uninstaller failed"
# Run in place, the uninstaller cannot remove itself; everything else must go.
left=$(cd "$target" && find . -mindepth 1 ! -name Uninstall.exe | head -n 5)
[ -z "$left" ] || fail "the uninstaller left: $left"
[ "$(saver_value)" = 'C:\windows\system32\before.scr' ] || fail "the screen saver set before is not back: '$(saver_value)'"
finish windows_installer
