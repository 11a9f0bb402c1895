# formmorph against the stand-in dialog server: converts the sample dialog
# and shows the file the server wrote and the requests it received.
set -euo pipefail
log="$WORK/dlgserver.log"
"$BIN/dlgserver" --log "$log" > "$WORK/dlgserver.port" &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -s "$WORK/dlgserver.port" ] && break
  sleep 0.1
done
port="$(head -n1 "$WORK/dlgserver.port")"

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
