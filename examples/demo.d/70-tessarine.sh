# tessarine starts as a user would (under a virtual X display when xvfb-run is
# there, else offscreen) with a source file in an editor window, text in the
# output pane and an explore window on the demo's work folder, saves the
# main window's picture after its first paint and closes; the step prints
# where the picture is.
set -euo pipefail
shot="$WORK/tessarine.png"
export VARNICA_REGISTRY="$WORK/registry"
mkdir -p "$VARNICA_REGISTRY"
export VARNICA_SNAPSHOT="$shot"
src="$WORK/hello.src"
printf '%s\n' '! A first program' 'DIM Name$[20]' 'Name$="World"' 'FOR I=1 TO 3' '   PRINT "Hello ";Name$;I' 'NEXT I' 'END' >"$src"
export VARNICA_SNAPSHOT_OUTPUT=$'Checking hello.src ...\nhello.src: 7 lines, no errors.\n'
export VARNICA_SNAPSHOT_EXPLORE="$WORK"
if command -v xvfb-run >/dev/null 2>&1; then
  echo "\$ VARNICA_SNAPSHOT=$shot xvfb-run -a tessarine hello.src"
  xvfb-run -a "$BIN/tessarine" -nologo "$src" 2>/dev/null
else
  echo "\$ VARNICA_SNAPSHOT=$shot QT_QPA_PLATFORM=offscreen tessarine hello.src"
  QT_QPA_PLATFORM=offscreen "$BIN/tessarine" -nologo "$src" 2>/dev/null
fi
# The picture outlives the demo's work folder.
keep="${TMPDIR:-/tmp}/tessarine-demo.png"
cp "$shot" "$keep"
echo "main window: $keep"
