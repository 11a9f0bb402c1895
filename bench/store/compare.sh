#!/usr/bin/env bash
# The store and list tools side by side with the Lua 5.4 compiler on the same
# program in both languages (see bench_store.cpp, --compare). For benchmarks
# only, never run in CI: installs lua5.4 when it is missing.
#   bench/store/compare.sh [BUILD_DIR] [rounds]     (default: build, 7 rounds)
set -euo pipefail
top="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$top/build}"
rounds="${2:-7}"
if ! command -v luac5.4 >/dev/null 2>&1; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends lua5.4
fi
bench="$build/bin/bench_store"
if [ ! -x "$bench" ]; then
  echo "compare.sh: $bench not found: build the tree first (scripts/build.sh $build)" >&2
  exit 1
fi
exec "$bench" --compare luac5.4 "$rounds"
