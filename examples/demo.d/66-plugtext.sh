# The ASCII dialog plug-in under the console host: the sample form is
# imported through ide-plugtext.so and saved as a ".dlg" file, and the sample
# dialog is read and written back with two blanks per nesting level.
set -euo pipefail
if [ ! -x "$BIN/dlghost" ]; then
  echo "dlghost is not built: skipped"
  exit 0
fi
export VARNICA_REGISTRY="$WORK/plugtext-registry"
mkdir -p "$VARNICA_REGISTRY"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica Development Environment\\Plug-In\\ide-plugtext]\r\n"Indent"=dword:00000002\r\n"BlankLines"=dword:00000001\r\n' \
  >"$VARNICA_REGISTRY/user.reg"
echo "\$ dlghost copy sample.form form.dlg"
(cd "$EXAMPLES/dialogs" && "$BIN/dlghost" -p "$BIN/../lib" copy sample.form "$WORK/form.dlg")
head -n 16 "$WORK/form.dlg"
echo "\$ dlghost copy sample.dlg plugtext-copy.dlg"
(cd "$EXAMPLES/dialogs" && "$BIN/dlghost" -p "$BIN/../lib" copy sample.dlg "$WORK/plugtext-copy.dlg")
if cmp -s "$EXAMPLES/dialogs/sample.dlg" "$WORK/plugtext-copy.dlg"; then
  echo "the copy is byte for byte the sample"
else
  echo "the copy differs from the sample:"
  diff "$EXAMPLES/dialogs/sample.dlg" "$WORK/plugtext-copy.dlg" || true
fi
