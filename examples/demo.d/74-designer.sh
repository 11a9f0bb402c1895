# tessarine's dialog designer as a user opens it: each sample dialog file
# (the VUZ sample.idm and the ASCII sample.dlg) opens through its plug-in in
# a designer window; Select All, the object palette and the property grid
# of the selection are shown, and the main window's picture is saved. The
# step prints where the pictures are.
set -euo pipefail
export VARNICA_REGISTRY="$WORK/registry-designer"
mkdir -p "$VARNICA_REGISTRY"
# The plug-ins are found in the build's lib folder.
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica\\Directories]\n"lib"="%s"\n' \
  "$BIN/../lib" >"$VARNICA_REGISTRY/user.reg"
export VARNICA_SNAPSHOT_COMMANDS="Select All,Object Palette...,Object Properties..."
export VARNICA_SNAPSHOT_SIZE=1280x900
for file in sample.idm sample.dlg; do
  shot="$WORK/designer-${file/./-}.png"
  export VARNICA_SNAPSHOT="$shot"
  if command -v xvfb-run >/dev/null 2>&1; then
    echo "\$ VARNICA_SNAPSHOT=$shot VARNICA_SNAPSHOT_COMMANDS=\"$VARNICA_SNAPSHOT_COMMANDS\" xvfb-run -a tessarine $file"
    (cd "$EXAMPLES/dialogs" && xvfb-run -a -s "-screen 0 1280x900x24" "$BIN/tessarine" -nologo "$file" 2>/dev/null)
  else
    echo "\$ VARNICA_SNAPSHOT=$shot VARNICA_SNAPSHOT_COMMANDS=\"$VARNICA_SNAPSHOT_COMMANDS\" QT_QPA_PLATFORM=offscreen tessarine $file"
    (cd "$EXAMPLES/dialogs" && QT_QPA_PLATFORM=offscreen "$BIN/tessarine" -nologo "$file" 2>/dev/null)
  fi
  # The picture outlives the demo's work folder.
  keep="${TMPDIR:-/tmp}/tessarine-designer-${file/./-}.png"
  cp "$shot" "$keep"
  echo "$file in the designer: $keep"
done
