#!/bin/sh
# The brain author's kit as an author meets it: Shamblex is installed into a folder,
# the example brain project is configured and built outside the source tree against
# that install with find_package(Shamblex), and the brain it builds plays in the
# installed arena against the installed baseline. With a Windows build folder, the
# same project is also cross-built with mingw-w64 against the Windows install.
#   brain_template.sh SOURCE_FOLDER BUILD_FOLDER [WINDOWS_BUILD_FOLDER]
set -u
source=$(realpath "$1")
build=$(realpath "$2")
windows_build="${3:-}"
. "$(dirname "$0")/../checks.sh"
quiet() { # runs a command, showing its output only when it fails
    "$@" >"$work/log" 2>&1 || { cat "$work/log"; return 1; }
}

quiet cmake --install "$build" --prefix "$work/prefix" || fail "Shamblex does not install"
quiet cmake -S "$source/examples/brain-template" -B "$work/brain" -DCMAKE_PREFIX_PATH="$work/prefix" \
    || fail "the brain project does not configure against the install"
quiet cmake --build "$work/brain" || fail "the brain project does not build"
brain="$work/brain/mybrain.dll"
[ -f "$brain" ] || fail "no mybrain.dll"
nm -D --defined-only "$brain" | grep -q " T ExecuteBrain$" || fail "mybrain.dll does not export ExecuteBrain"
exported=$(nm -D --defined-only "$brain" | grep -c " T ")
[ "$exported" = 1 ] || fail "mybrain.dll exports more than ExecuteBrain: $(nm -D --defined-only "$brain" | grep " T ")"

# The template's own tests pass; a broken copy of the brain fails them.
quiet ctest --test-dir "$work/brain" || fail "the template's brain tests fail on the template's brain"
cp -r "$source/examples/brain-template" "$work/broken"
sed -i 's/    being.moveDirection = heading;/    being.moveDirection = look;/' "$work/broken/mybrain.cpp"
quiet cmake -S "$work/broken" -B "$work/broken-build" -DCMAKE_PREFIX_PATH="$work/prefix" \
    && quiet cmake --build "$work/broken-build" || fail "the broken brain does not build"
ctest --test-dir "$work/broken-build" >"$work/log" 2>&1 && fail "the template's tests pass a brain that walks into zombies"

# A brain that forgot SHAMBLEX_BRAIN_EXPORT fails the build with the reason, and is
# not left behind for the arena to skip.
cp -r "$source/examples/brain-template" "$work/hidden"
sed -i 's/^SHAMBLEX_BRAIN_EXPORT void/extern "C" void/' "$work/hidden/mybrain.cpp"
quiet cmake -S "$work/hidden" -B "$work/hidden-build" -DCMAKE_PREFIX_PATH="$work/prefix" || fail "no hidden build"
if cmake --build "$work/hidden-build" >"$work/log" 2>&1; then
    fail "a brain without the export built"
else
    grep -q "ExecuteBrain" "$work/log" || fail "the failed build does not say why: $(tail -5 "$work/log")"
fi
[ -e "$work/hidden-build/mybrain.dll" ] && fail "the refused brain was left in the build folder"

mkdir "$work/arena"
cp "$brain" "$work/prefix/lib/shamblex/brains/baseline.dll" "$work/arena/"
"$work/prefix/bin/shamblex-arena" --brains "$work/arena" --runs 2 --frames 200 --board 60x60 --beings 100 \
    --csv "$work/arena.csv" >"$work/summary" 2>&1 || fail "the installed arena failed: $(cat "$work/summary")"
grep -q "^1,mybrain,.*,finished," "$work/arena.csv" || fail "mybrain did not play: $(cat "$work/arena.csv")"

if [ -n "$windows_build" ]; then
    windows_build=$(realpath "$windows_build")
    quiet cmake --install "$windows_build" --prefix "$work/windows" || fail "the Windows build does not install"
    # A cross build looks for packages under the cross root only; naming the package
    # folder reaches the install wherever it is.
    quiet cmake -S "$source/examples/brain-template" -B "$work/windows-brain" \
        -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64-x86_64.cmake" \
        -DShamblex_DIR="$work/windows/lib/cmake/Shamblex" || fail "the brain project does not configure for Windows"
    quiet cmake --build "$work/windows-brain" || fail "the brain project does not build for Windows"
    x86_64-w64-mingw32-objdump -p "$work/windows-brain/mybrain.dll" | grep -q "ExecuteBrain" \
        || fail "the Windows mybrain.dll does not export ExecuteBrain"
fi

finish "brain template"
