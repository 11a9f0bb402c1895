# schema: the order-entry schema checked and listed with its set table, then
# written into the stand-in database server's catalog and shown back with
# catspill; the schema with mistakes shows its messages.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
schemas="$EXAMPLES/schemas"
demo_schema_registry

demo_start port schema-server dbserver

echo "\$ schema -l -t -h 127.0.0.1 -s $port orders.schema"
"$BIN/schema" -l -t -h 127.0.0.1 -s "$port" "$schemas/orders.schema" 2>/dev/null
echo "\$ catspill -h 127.0.0.1 -s $port -t 1 ORDERS   (tables)"
"$BIN/catspill" -h 127.0.0.1 -s "$port" -t 1 ORDERS 2>/dev/null
echo "\$ catspill -h 127.0.0.1 -s $port -t 2 ORDERS   (groups)"
"$BIN/catspill" -h 127.0.0.1 -s "$port" -t 2 ORDERS 2>/dev/null
echo "\$ catspill -h 127.0.0.1 -s $port -t 6 ORDERS   (privileges)"
"$BIN/catspill" -h 127.0.0.1 -s "$port" -t 6 ORDERS 2>/dev/null
echo "\$ catspill -h 127.0.0.1 -s $port -t 9 ORDERS   (paths)"
"$BIN/catspill" -h 127.0.0.1 -s "$port" -t 9 ORDERS 2>/dev/null
echo "\$ schema -T -n compat.schema"
"$BIN/schema" -T -n "$schemas/compat.schema" 2>/dev/null
echo "\$ schema -n errors.schema"
if "$BIN/schema" -n "$schemas/errors.schema" 2>/dev/null; then
  echo "errors.schema compiled without errors" >&2
  exit 1
fi
