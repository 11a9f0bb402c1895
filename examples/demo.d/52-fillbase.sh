# The order-entry database filled from examples/data/ with fillbase, exported
# again with drainbase -r into one file on standard output, and counted with
# probebase.
set -euo pipefail
schemas="$EXAMPLES/schemas"
mkdir -p "$WORK/registry"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica\\Directories]\n"lib"="%s"\n' \
  "$schemas/lib" > "$WORK/registry/user.reg"
export VARNICA_REGISTRY="$WORK/registry"

"$BIN/dbserver" > "$WORK/fillbase-server.port" &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -s "$WORK/fillbase-server.port" ] && break
  sleep 0.1
done
port="$(head -n1 "$WORK/fillbase-server.port")"
db="127.0.0.1:$port/ORDERS"

"$BIN/schema" -h 127.0.0.1 -s "$port" "$schemas/orders.schema" > /dev/null 2>&1
"$BIN/forgeset" "$db" > /dev/null 2>&1
echo "\$ fillbase -v -i examples/data $db"
"$BIN/fillbase" -v -i "$EXAMPLES/data" "$db" 2>/dev/null
echo "\$ drainbase -r -a -s - $db"
"$BIN/drainbase" -r -a -s - "$db" 2>/dev/null
echo "\$ probebase $db"
"$BIN/probebase" "$db" 2>/dev/null
