#!/bin/sh
# Sets up everything and runs every test: the suite in a normal build, again with
# AddressSanitizer and UndefinedBehaviorSanitizer (any report fails the run), and
# the Windows build's tests under Wine (the suite, the runner against the Linux
# one, the real screen saver under Xvfb, the release archive).
set -eu
cd "$(dirname "$0")"

./tools/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)

echo "== Normal build (build/)"
cmake -S . -B build -DSHAMBLEX_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure

echo "== Sanitizer build (build-sanitize/)"
cmake -S . -B build-sanitize -DSHAMBLEX_SANITIZE=ON -DSHAMBLEX_WERROR=ON -DSHAMBLEX_BUILD_BENCHMARKS=OFF
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:allocator_may_return_null=1" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir build-sanitize -j "$jobs" --output-on-failure

echo "== Windows build (build-windows/), tested under Wine"
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DSHAMBLEX_WERROR=ON \
    -DSHAMBLEX_NATIVE_BUILD="$PWD/build"
cmake --build build-windows -j "$jobs"
ctest --test-dir build-windows -j "$jobs" --output-on-failure

echo "== All tests passed"
