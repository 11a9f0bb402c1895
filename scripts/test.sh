#!/usr/bin/env bash
# Installs what is missing, checks the layout, the include layering and the
# command ids, builds,
# and runs every test twice: once in a plain build (warnings are errors) and
# once in a build with AddressSanitizer and UndefinedBehaviorSanitizer; then
# runs every fuzzing target for a short fixed time.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc 2>/dev/null || echo 2)"
"$top/scripts/deps.sh"

echo "=== layout check"
"$top/scripts/check-format.sh"

echo "=== layering check"
"$top/scripts/check-layers.sh"

echo "=== command id check"
"$top/scripts/check-command-ids.sh"

# The test builds carry no full debug information (line tables only in the
# sanitizer build, for its reports): it makes compiling and linking slower
# and the tests do not need it. The sanitizer build leaves the benchmarks out.
echo "=== plain build"
"$top/scripts/build.sh" "$top/build" -DVARNICA_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG"
(cd "$top/build" && ctest --output-on-failure -j "$jobs")

echo "=== sanitizer build"
"$top/scripts/build.sh" "$top/build-asan" -DVARNICA_SANITIZE=ON -DVARNICA_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS_DEBUG="-g1" -DCMAKE_CXX_FLAGS_DEBUG="-g1"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
(cd "$top/build-asan" && ctest --output-on-failure -j "$jobs")

echo "=== fuzzing (clang, libFuzzer: ${FUZZ_SECONDS:-15}s per target)"
"$top/scripts/fuzz.sh" "$top/build-fuzz"
