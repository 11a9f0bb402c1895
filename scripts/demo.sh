#!/usr/bin/env bash
# Installs what is missing, builds, and runs the tools on the bundled samples.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh"
"$top/scripts/build.sh" "$top/build"
bin="$top/build/bin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for demo in "$top"/examples/demo.d/*.sh; do
  [ -e "$demo" ] || continue
  echo "=== $(basename "$demo" .sh)"
  BIN="$bin" EXAMPLES="$top/examples" WORK="$work" bash "$demo"
done
