# tessarine's Application Properties as a user opens them: the sheet of the
# environment's settings on a fresh profile, saved as a picture; the step
# prints where the picture is.
set -euo pipefail
shot="$WORK/properties.png"
export VARNICA_REGISTRY="$WORK/registry-properties"
mkdir -p "$VARNICA_REGISTRY"
export VARNICA_SNAPSHOT="$WORK/properties-main.png"
export VARNICA_SNAPSHOT_PROPERTIES="$shot"
if command -v xvfb-run >/dev/null 2>&1; then
  echo "\$ VARNICA_SNAPSHOT_PROPERTIES=$shot xvfb-run -a tessarine"
  xvfb-run -a "$BIN/tessarine" -nologo 2>/dev/null
else
  echo "\$ VARNICA_SNAPSHOT_PROPERTIES=$shot QT_QPA_PLATFORM=offscreen tessarine"
  QT_QPA_PLATFORM=offscreen "$BIN/tessarine" -nologo 2>/dev/null
fi
# The picture outlives the demo's work folder.
keep="${TMPDIR:-/tmp}/tessarine-properties.png"
cp "$shot" "$keep"
echo "Application Properties: $keep"
