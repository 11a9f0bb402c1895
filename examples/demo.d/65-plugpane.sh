# The VUZ dialog plug-in under the console host: the sample dialog is read
# through ide-plugpane.so and written back, and the copy is compared.
set -euo pipefail
if [ ! -x "$BIN/dlghost" ]; then
  echo "dlghost is not built: skipped"
  exit 0
fi
echo "\$ dlghost copy sample.idm plugpane-copy.idm"
(cd "$EXAMPLES/dialogs" && "$BIN/dlghost" -p "$BIN/../lib" copy sample.idm "$WORK/plugpane-copy.idm")
if cmp -s "$EXAMPLES/dialogs/sample.idm" "$WORK/plugpane-copy.idm"; then
  echo "the copy is byte for byte the sample:"
else
  echo "the copy differs from the sample:"
  diff "$EXAMPLES/dialogs/sample.idm" "$WORK/plugpane-copy.idm" || true
fi
head -n 12 "$WORK/plugpane-copy.idm"
