#!/usr/bin/env bash
# store: compile the sample programs in both spellings into program files,
# and show the code words of the smallest one.
set -uo pipefail
echo "--- store -help"
"$BIN/store" -help || true
echo "--- store -n -h $EXAMPLES/programs/hello.txt"
"$BIN/store" -n -h "$EXAMPLES/programs/hello.txt" || echo "(store ended with status $?)"
for src in "$EXAMPLES"/programs/*.txt; do
  name="$(basename "$src" .txt)"
  opts=()
  case "$name" in *-sd) opts+=(-s) ;; esac
  lines="$(grep -c . "$src")"
  if "$BIN/store" "${opts[@]}" -o "$WORK/$name" "$src" >/dev/null 2>"$WORK/store.err"; then
    echo "--- store ${opts[*]:+${opts[*]} }$name.txt: $lines lines -> $name.PROG ($(wc -c <"$WORK/$name.PROG") bytes)"
  else
    echo "--- store ${opts[*]:+${opts[*]} }$name.txt failed:"
    cat "$WORK/store.err"
  fi
done
echo "--- both spellings give the same program files"
for sd in "$WORK"/*-sd.PROG; do
  [ -e "$sd" ] || continue
  plain="${sd%-sd.PROG}.PROG"
  if cmp -s "$sd" "$plain"; then
    echo "$(basename "$sd") = $(basename "$plain")"
  else
    echo "$(basename "$sd") differs from $(basename "$plain")"
  fi
done
