#!/usr/bin/env bash
# Program files: store the smallest sample in every layout, show the sizes and
# the first bytes of each, and show that the same options give the same file.
set -uo pipefail
src="$EXAMPLES/programs/hello.txt"
for opts in "-r0" "-r1" "-r2" "-r2 -b" "-r2 -p secret"; do
  # shellcheck disable=SC2086
  if "$BIN/store" $opts -o "$WORK/hello" "$src" >/dev/null 2>"$WORK/store.err"; then
    size="$(wc -c <"$WORK/hello.PROG")"
    echo "--- store $opts: hello.PROG, $size bytes"
    od -A x -t x1 -N 48 "$WORK/hello.PROG"
  else
    echo "--- store $opts failed:"
    cat "$WORK/store.err"
  fi
done
"$BIN/store" -r2 -p secret -o "$WORK/again" "$src" >/dev/null 2>&1
if cmp -s "$WORK/hello.PROG" "$WORK/again.PROG"; then
  echo "--- stored twice with the same options: identical files"
else
  echo "--- stored twice with the same options: the files differ"
fi
