#!/usr/bin/env bash
# store: compile the sample programs (without writing program files), in both
# spellings, and show the code words of the smallest one.
set -uo pipefail
echo "--- store -help"
"$BIN/store" -help || true
echo "--- store -n -h $EXAMPLES/programs/hello.txt"
"$BIN/store" -n -h "$EXAMPLES/programs/hello.txt" || echo "(store ended with status $?)"
for src in "$EXAMPLES"/programs/*.txt; do
  name="$(basename "$src")"
  opts=(-n)
  case "$name" in *-sd.txt) opts+=(-s) ;; esac
  lines="$(grep -c . "$src")"
  if "$BIN/store" "${opts[@]}" "$src" >/dev/null 2>"$WORK/store.err"; then
    echo "--- store ${opts[*]} $name: $lines lines compiled"
  else
    echo "--- store ${opts[*]} $name failed:"
    cat "$WORK/store.err"
  fi
done
