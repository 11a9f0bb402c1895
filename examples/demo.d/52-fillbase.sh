# The order-entry database filled from examples/data/ with fillbase, exported
# again with drainbase -r into one file on standard output, and counted with
# probebase.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
schemas="$EXAMPLES/schemas"
demo_schema_registry

demo_start port fillbase-server dbserver
db="127.0.0.1:$port/ORDERS"

"$BIN/schema" -h 127.0.0.1 -s "$port" "$schemas/orders.schema" > /dev/null 2>&1
"$BIN/forgeset" "$db" > /dev/null 2>&1
echo "\$ fillbase -v -i examples/data $db"
"$BIN/fillbase" -v -i "$EXAMPLES/data" "$db" 2>/dev/null
echo "\$ drainbase -r -a -s - $db"
"$BIN/drainbase" -r -a -s - "$db" 2>/dev/null
echo "\$ probebase $db"
"$BIN/probebase" "$db" 2>/dev/null
