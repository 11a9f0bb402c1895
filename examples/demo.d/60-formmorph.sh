# formmorph against the stand-in dialog server: converts the sample dialog
# and shows the file the server wrote and the requests it received.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
log="$WORK/dlgserver.log"
demo_start port dlgserver dlgserver --log "$log"

echo "\$ formmorph -driver dlg://127.0.0.1:$port sample.idm sample.dlg"
"$BIN/formmorph" -driver "dlg://127.0.0.1:$port" "$WORK/sample.idm" "$EXAMPLES/dialogs/sample.dlg" 2>&1 | grep -v '^$' | grep -v FORMMORPH
echo "--- sample.idm, as the dialog server wrote it:"
cat "$WORK/sample.idm"
echo "--- the requests it received:"
for _ in $(seq 50); do
  grep -q '^# closed' "$log" && break
  sleep 0.1
done
grep -v '^#' "$log"
