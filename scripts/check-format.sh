#!/usr/bin/env bash
# Fails when a C or C++ file of ours differs from the layout .clang-format gives.
#   scripts/check-format.sh          check every tracked and new file
#   scripts/check-format.sh --fix    rewrite them in place
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
mode=check
[ "${1:-}" = "--fix" ] && mode=fix
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' '*.c' '*.cc' | grep -v '^examples/' || true)
[ ${#files[@]} -gt 0 ] || exit 0
if [ "$mode" = fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
out="$(printf '%s\0' "${files[@]}" | xargs -0 -P "$(nproc 2>/dev/null || echo 2)" -n 16 clang-format --dry-run -Werror 2>&1 || true)"
if [ -n "$out" ]; then
  echo "Not formatted (run scripts/check-format.sh --fix):"
  printf '%s\n' "$out" | grep -oE '^[^:]+\.(cpp|h|c|cc):' | sort -u | sed 's/:$//; s/^/  /'
  exit 1
fi
echo "format: ${#files[@]} files formatted"
