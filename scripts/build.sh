#!/usr/bin/env bash
# Configures and builds the tree out of source.
#   scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$top/build}"
shift || true
jobs="$(nproc 2>/dev/null || echo 2)"
cmake -S "$top" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" -j "$jobs"
