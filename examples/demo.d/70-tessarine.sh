# tessarine starts as a user would (under a virtual X display when xvfb-run is
# there, else offscreen), saves the main window's picture after its first
# paint and closes; the step prints where the picture is.
set -euo pipefail
shot="$WORK/tessarine.png"
export VARNICA_REGISTRY="$WORK/registry"
mkdir -p "$VARNICA_REGISTRY"
export VARNICA_SNAPSHOT="$shot"
if command -v xvfb-run >/dev/null 2>&1; then
  echo "\$ VARNICA_SNAPSHOT=$shot xvfb-run -a tessarine"
  xvfb-run -a "$BIN/tessarine" 2>/dev/null
else
  echo "\$ VARNICA_SNAPSHOT=$shot QT_QPA_PLATFORM=offscreen tessarine"
  QT_QPA_PLATFORM=offscreen "$BIN/tessarine" 2>/dev/null
fi
# The picture outlives the demo's work folder.
keep="${TMPDIR:-/tmp}/tessarine-demo.png"
cp "$shot" "$keep"
echo "main window: $keep"
