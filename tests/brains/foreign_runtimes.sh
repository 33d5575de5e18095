#!/bin/sh
# Brains built against runtimes the runner does not share are skipped with the
# reason before they can load: one built with AddressSanitizer (unless the runner
# has it too, as the sanitizer build does) and one built with clang++ against
# libc++, whose std::string (the status text) has another layout. Both set a status
# text, which is what crashed the runner before. The run goes on with the rest.
#   foreign_runtimes.sh RUNNER BRAIN_HEADER_FOLDER SAMPLE_BRAIN RUNNER_HAS_ASAN
set -u
cli="$1"
include="$2"
sample="$3"
runner_asan="$4"
. "$(dirname "$0")/../checks.sh"
for tool in g++ clang++; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is needed (tools/install-deps.sh)"; exit 1; }
done
cd "$work" || exit 1
mkdir brains
cat >talker.cpp <<'BRAIN'
#include "brains/BrainRecord.h"
SHAMBLEX_BRAIN_EXPORT void SHAMBLEX_BRAIN_CALL ExecuteBrain(shamblex::BrainRecord* being)
{
    being->statusText = "a text long enough to live outside the string's own buffer";
    being->moveDirection = being->lookDirection;
}
BRAIN
g++ -std=c++20 -shared -fPIC -fsanitize=address -I"$include" talker.cpp -o brains/asan.dll 2>err.txt \
    || fail "no AddressSanitizer brain: $(cat err.txt)"
clang++ -std=c++20 -stdlib=libc++ -shared -fPIC -I"$include" talker.cpp -o brains/libcxx.dll 2>err.txt \
    || fail "no libc++ brain (Debian packages clang, libc++-dev): $(cat err.txt)"
cp "$sample" brains/

ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$cli" --brains brains --beings 50 --frames 20 --dump dump.csv 2>err.txt
status=$?
[ "$status" = 0 ] || fail "the run ended with status $status: $(cat err.txt)"
grep -q "skipped 'libcxx.dll': built against another C++ library than this program's (it needs libc++.so.1" err.txt \
    || fail "the libc++ brain was not skipped with its reason: $(cat err.txt)"
if [ "$runner_asan" = 1 ]; then
    grep -q "asan.dll" err.txt && fail "a runner with AddressSanitizer refused its own kind of brain: $(cat err.txt)"
    grep -q ",asan$" dump.csv || fail "the AddressSanitizer brain did not play in a runner that has it"
else
    grep -q "skipped 'asan.dll': built with AddressSanitizer: it needs libasan" err.txt \
        || fail "the AddressSanitizer brain was not skipped with its reason: $(cat err.txt)"
fi
grep -q ",$(basename "$sample" .dll)$" dump.csv || fail "the sample brain did not play beside the skipped ones"
finish foreign_runtimes
