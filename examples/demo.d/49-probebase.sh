# The order-entry database on the stand-in database server: compiled with
# schema, its sets created with forgeset, listed with probebase, its
# structure reported with relmap -s and printed back as schema text with
# layoutdump; blankset and scrapbase refuse a bad set name and change nothing.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
schemas="$EXAMPLES/schemas"
demo_schema_registry

demo_start port probebase-server dbserver
db="127.0.0.1:$port/ORDERS"

# Runs a tool that is meant to fail: its output, its messages without the
# banner, and its exit code.
failing() {
  local tool="$1" rc=0
  shift
  "$BIN/$tool" "$@" 2> "$WORK/$tool.err" || rc=$?
  grep -v '^$' "$WORK/$tool.err" | grep -v '^Q7702K ' || true
  echo "(exit $rc)"
  [ "$rc" -ne 0 ]
}

"$BIN/schema" -h 127.0.0.1 -s "$port" "$schemas/orders.schema" > /dev/null 2>&1
echo "\$ probebase $db   (before forgeset)"
failing probebase "$db"
echo "\$ probebase -m -v $db"
"$BIN/probebase" -m -v "$db" 2>/dev/null
echo "\$ forgeset $db"
"$BIN/forgeset" "$db" 2>/dev/null
echo "\$ probebase $db"
"$BIN/probebase" "$db" 2>/dev/null
echo "\$ relmap -s $db"
"$BIN/relmap" -s -l 0 "$db" 2>/dev/null
echo "\$ layoutdump $db"
"$BIN/layoutdump" "$db" 2>/dev/null
echo "\$ blankset $db CUSTOMERS NO-SUCH-SET"
failing blankset "$db" CUSTOMERS NO-SUCH-SET
echo "\$ scrapbase $db 9"
failing scrapbase "$db" 9
echo "\$ probebase -n $db ORDERS   (still there)"
"$BIN/probebase" -n "$db" ORDERS 2>/dev/null
