#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for a fixed time from
# its seed corpus; fails on the first finding (crash, sanitizer report, leak,
# time-out) or when a target cannot be built.
#   scripts/fuzz.sh [BUILD_DIR]        (default: build-fuzz)
#   FUZZ_SECONDS=15                    seconds per target
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$top/build-fuzz}"
seconds="${FUZZ_SECONDS:-15}"
jobs="$(nproc 2>/dev/null || echo 2)"
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$top}"
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$build" -G Ninja "${launcher[@]}" -DVARNICA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$jobs" --target fuzzers

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
status=0
while read -r name seeds args; do
  [ -n "$name" ] || continue
  work="$(mktemp -d)"
  corpus="$work/corpus"
  mkdir -p "$corpus"
  if [ -n "${seeds:-}" ] && [ "$seeds" != "-" ] && [ -d "$seeds" ]; then cp -R "$seeds"/. "$corpus"/; fi
  echo "--- $name: ${seconds}s from $(find "$corpus" -type f | wc -l) seeds"
  if ! (cd "$work" && "$build/bin/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=0 ${args:-} "$corpus" >"$work/log" 2>&1); then
    echo "$name found a fault:"
    tail -n 60 "$work/log"
    ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* 2>/dev/null | sed 's/^/  input kept: /' || true
    status=1
    continue
  fi
  tail -n 1 "$work/log"
  rm -rf "$work"
done <"$build/fuzzers.txt"
exit "$status"
