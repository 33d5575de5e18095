#!/bin/sh
# The Debian package: made by CPack from the build, it holds every installed file,
# lintian finds neither error nor warning in it (its one override is explained in
# packaging/lintian-overrides), and the tree it unpacks to runs: --version, and an
# outbreak played by the installed brains.
#   deb_package.sh BUILD_FOLDER VERSION
set -u
build="$1"
version="$2"
. "$(dirname "$0")/../checks.sh"
for tool in cpack dpkg-deb lintian; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is needed (tools/install-deps.sh)"; exit 1; }
done

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.txt" 2>&1 \
    || { cat "$work/cpack.txt"; fail "cpack made no package"; finish deb_package; exit 1; }
deb=$(ls "$work"/out/shamblex_"$version"_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { fail "no shamblex_${version}_*.deb"; finish deb_package; exit 1; }

dpkg-deb --contents "$deb" | awk '{ print $6 }' >"$work/contents.txt"
for file in usr/bin/shamblex usr/bin/shamblex-cli usr/bin/shamblex-arena usr/libexec/xscreensaver/shamblex \
    usr/lib/shamblex/brains/baseline.dll usr/lib/shamblex/brains/lookout.dll usr/lib/shamblex/brains/wanderwit.dll \
    usr/include/shamblex/brains/BrainRecord.h usr/lib/cmake/Shamblex/ShamblexConfig.cmake \
    usr/share/xscreensaver/config/shamblex.xml usr/share/applications/screensavers/shamblex.desktop \
    usr/share/applications/shamblex.desktop usr/share/man/man6/shamblex.6.gz usr/share/man/man1/shamblex-cli.1.gz \
    usr/share/man/man1/shamblex-arena.1.gz usr/share/doc/shamblex/copyright usr/share/doc/shamblex/changelog.gz \
    usr/share/doc/shamblex/brains.md usr/share/doc/shamblex/examples/brain-template/mybrain.cpp \
    usr/share/doc/shamblex/examples/arena-slurm.sh usr/share/lintian/overrides/shamblex; do
    grep -qx "./$file" "$work/contents.txt" || fail "the package lacks /$file"
done

lintian --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1 || fail "lintian: $(grep -E "^(E|W):" "$work/lintian.txt")"

tree="$work/tree"
dpkg-deb -x "$deb" "$tree" || fail "the package does not unpack"
out=$("$tree/usr/bin/shamblex-cli" --version) || fail "the packaged runner does not start"
[ "$out" = "shamblex-cli (Shamblex) $version" ] || fail "the packaged runner says '$out'"
"$tree/usr/bin/shamblex-cli" --frames 100 --brains "$tree/usr/lib/shamblex/brains" --stats "$work/stats.csv" \
    2>"$work/err.txt" || fail "the packaged runner plays no outbreak: $(cat "$work/err.txt")"
[ "$(wc -l <"$work/stats.csv")" = 101 ] || fail "the packaged outbreak did not run 100 frames"
grep -q '^Exec=/usr/libexec/xscreensaver/shamblex ' "$tree/usr/share/applications/screensavers/shamblex.desktop" \
    || fail "the screen-saver entry does not name the packaged hack"
finish deb_package
