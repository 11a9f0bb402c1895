#!/usr/bin/env bash
# Configures and builds the tree out of source.
#   scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
# VARNICA_BUILD_TARGET names one target to build in place of everything
# ("demo": the programs the demo runs, without the tests); VARNICA_JOBS sets
# how many compilers run at once (all cores when unset).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$top/build}"
shift || true
jobs="${VARNICA_JOBS:-$(nproc 2>/dev/null || echo 2)}"
launcher=()
if command -v ccache >/dev/null 2>&1; then
  # Several checkouts of the tree share one cache when it is there.
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$top}"
  # Objects with debug information would otherwise be keyed on the build
  # folder too, and no two checkouts would ever share one.
  export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
  # The test programs reuse precompiled headers (cmake/VarnicaTesting.cmake),
  # which the cache takes only with these.
  export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$build" -G Ninja "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j "$jobs" ${VARNICA_BUILD_TARGET:+--target "$VARNICA_BUILD_TARGET"}
