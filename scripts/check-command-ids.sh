#!/usr/bin/env bash
# Fails when a command id, status-pane id, bar or control id or private
# message number of the environment stands as a bare literal in a source of
# workbench/ instead of its name from workbench/framework/fwcommandids.h.
# Comments may name numbers; tests may use literals. Ids below 1000 are
# left out (they look like any other small number).
#   scripts/check-command-ids.sh     check every tracked and new file
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
catalogue=workbench/framework/fwcommandids.h

# The numbers of the catalogue: decimal ids of 1000 and above, and the hex
# message numbers, as one alternation for grep.
mapfile -t numbers < <(sed -nE 's/^[[:space:]]*[A-Z_0-9]+ = ((0x[0-9a-fA-F]+)|([0-9]{4,5})),.*/\1/p' "$catalogue" | sort -u)
[ ${#numbers[@]} -gt 0 ] || {
  echo "command ids: no numbers found in $catalogue"
  exit 1
}
pattern="\\b($(
  IFS='|'
  echo "${numbers[*]}"
))\\b"

mapfile -t files < <(git ls-files --cached --others --exclude-standard 'workbench/*.cpp' 'workbench/*.h' |
  grep -vE '(^|/)tests/' | grep -v "^$catalogue\$" || true)
failures=0
for f in "${files[@]}"; do
  [ -f "$f" ] || continue
  # Line comments go before the search; what remains is code and strings.
  while IFS= read -r hit; do
    echo "  $f:$hit"
    failures=$((failures + 1))
  done < <(sed -E 's#//.*$##' "$f" | grep -nE "$pattern" || true)
done
if [ "$failures" -gt 0 ]; then
  echo "command ids: $failures bare id literal(s); use the names of $catalogue"
  exit 1
fi
echo "command ids: ${#files[@]} files name their ids"
