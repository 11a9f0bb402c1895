#!/usr/bin/env bash
# Installs what is missing, builds, and runs the tools on the bundled samples.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh"
# Only the programs the demo runs; scripts/test.sh builds the tests in the
# same folder with the same options and so reuses all of this.
VARNICA_BUILD_TARGET=demo "$top/scripts/build.sh" "$top/build" -DVARNICA_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG"
bin="$top/build/bin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for demo in "$top"/examples/demo.d/*.sh; do
  [ -e "$demo" ] || continue
  echo "=== $(basename "$demo" .sh)"
  BIN="$bin" EXAMPLES="$top/examples" WORK="$work" bash "$demo"
done
