#!/usr/bin/env bash
# linkforge turns the declarations in a C header into the run-time's call
# glue; the glue is then compiled with the library and called once.
set -euo pipefail
src="$EXAMPLES/linkforge"
"$BIN/linkforge" -l -o "$WORK/geometry_glue.c" "$src/geometry.h"
sed -n '1,/^struct YqArgList/p' "$WORK/geometry_glue.c"
if command -v cc >/dev/null; then
  cc -std=c99 -I"$src" -include "$src/geometry.h" -o "$WORK/geometry_caller" \
     "$WORK/geometry_glue.c" "$src/geometry.c" "$src/caller.c"
  "$WORK/geometry_caller"
fi
