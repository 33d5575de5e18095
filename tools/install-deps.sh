#!/bin/sh
# Installs the Debian packages that building and testing Shamblex need, when any is
# missing. Uses sudo when not run as root.
set -eu

# Build: compiler, CMake, the test and benchmark libraries, stb for PNG, SDL2, Xlib and
# xcb-shm (frames shared with the X server),
# nlohmann/json for the arena's files, libseccomp for the brain worker's sandbox,
# clang and libc++ to build the foreign brain the file check must refuse.
# End-to-end tests: a virtual X server, input and screenshot tools, a foreign window,
# ffmpeg for videos, GNU parallel for the arena's shards, netcat as the listener a
# hostile brain must not reach.
# Windows: the mingw-w64 cross compilers, and Wine to run what they build.
# Packages: help2man for the manual pages, dpkg-dev and lintian for the Debian
# package, NSIS for the Windows installer; headless Chromium reads the arena's
# web report.
packages="cmake make g++ pkg-config libgtest-dev libbenchmark-dev libstb-dev libsdl2-dev libx11-dev libxext-dev
    libx11-xcb-dev libxcb-shm0-dev
    nlohmann-json3-dev libseccomp-dev clang libc++-dev libc++abi-dev
    xvfb xdotool imagemagick x11-apps x11-utils ffmpeg parallel netcat-openbsd procps mingw-w64 wine wine64
    help2man dpkg-dev file lintian nsis chromium"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" = 0 ]; then
    sudo=""
else
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
# shellcheck disable=SC2086
$sudo apt-get install -y -q --no-install-recommends $missing
