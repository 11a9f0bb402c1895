#!/usr/bin/env bash
# list: store the sample programs, list them back, and show that one more
# store and list gives the same text; then tags and a cross reference.
set -uo pipefail
echo "--- list -help"
"$BIN/list" -help || true
for src in "$EXAMPLES"/programs/*.txt; do
  name="$(basename "$src" .txt)"
  opts=()
  case "$name" in *-sd) opts+=(-s) ;; esac
  if ! "$BIN/store" "${opts[@]}" -o "$WORK/$name" "$src" >/dev/null 2>"$WORK/store.err"; then
    echo "--- store $name failed:"; cat "$WORK/store.err"; continue
  fi
  "$BIN/list" "$WORK/$name" >"$WORK/$name.lst" 2>/dev/null
  "$BIN/store" -o "$WORK/$name-again" "$WORK/$name.lst" >/dev/null 2>&1
  "$BIN/list" "$WORK/$name-again" >"$WORK/$name-again.lst" 2>/dev/null
  if cmp -s "$WORK/$name.lst" "$WORK/$name-again.lst"; then
    echo "--- $name: $(wc -l <"$WORK/$name.lst") lines listed; listing it again gives the same text"
  else
    echo "--- $name: the second listing differs"
  fi
done
echo "--- list $WORK/hello"
"$BIN/list" "$WORK/hello" 2>/dev/null
echo "--- list -C $WORK/hello"
"$BIN/list" -C "$WORK/hello" 2>/dev/null
echo "--- list -x $WORK/hello"
"$BIN/list" -x "$WORK/hello" 2>/dev/null
