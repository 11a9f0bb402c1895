#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for a fixed time from
# its seed corpus; fails on the first finding (crash, sanitizer report, leak,
# time-out) or when a target cannot be built. Runs as many targets at once as
# there are cores.
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

# One target from its seeds for the fixed time; its report goes to
# $work/report, and the status is the finding's.
fuzz_one() {
  local name="$1" seeds="$2" args="$3" work="$4"
  local corpus="$work/corpus"
  mkdir -p "$corpus"
  if [ -n "$seeds" ] && [ "$seeds" != "-" ] && [ -d "$seeds" ]; then cp -R "$seeds"/. "$corpus"/; fi
  {
    echo "--- $name: ${seconds}s from $(find "$corpus" -type f | wc -l) seeds"
    if ! (cd "$work" && "$build/bin/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=0 $args "$corpus" >"$work/log" 2>&1); then
      echo "$name found a fault:"
      tail -n 60 "$work/log"
      ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* 2>/dev/null | sed 's/^/  input kept: /' || true
      exit 1
    fi
    tail -n 1 "$work/log"
  } >"$work/report" 2>&1
}

# As many targets at once as there are cores: each still runs its full
# time, and the whole run takes a fraction of one after the other.
status=0
declare -A works=()
finish_one() {
  local done_pid rc=0
  wait -n -p done_pid || rc=$?
  cat "${works[$done_pid]}/report"
  if [ "$rc" -ne 0 ]; then
    status=1
  else
    rm -rf "${works[$done_pid]}"
  fi
  unset "works[$done_pid]"
}
while read -r name seeds args; do
  [ -n "$name" ] || continue
  while [ "${#works[@]}" -ge "$jobs" ]; do finish_one; done
  work="$(mktemp -d)"
  fuzz_one "$name" "${seeds:-}" "${args:-}" "$work" &
  works[$!]="$work"
done <"$build/fuzzers.txt"
while [ "${#works[@]}" -gt 0 ]; do finish_one; done
exit "$status"
