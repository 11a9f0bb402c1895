# catadmin: the order-entry database compiled with schema into a stand-in
# server that checks logons, then users, a group, memberships and privileges
# administered from a command file and shown with catspill; a file with one
# mistake changes nothing; srvknob logs on as the new clerk until CONNECT is
# revoked.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
schemas="$EXAMPLES/schemas"
demo_schema_registry

echo "admin:$(printf 'admin-pw' | md5sum | cut -d' ' -f1)" > "$WORK/catadmin.users"
demo_start port catadmin dbserver --users "$WORK/catadmin.users"
# The command files name the service "vevivu": the stand-in's port stands in.
for f in orders-users broken revoke; do
  sed "s/vevivu/$port/" "$EXAMPLES/catadmin/$f.cat" > "$WORK/$f.cat"
done

"$BIN/schema" -h 127.0.0.1 -s "$port" -u admin -p admin-pw "$schemas/orders.schema" 2>/dev/null
echo "\$ catadmin -v orders-users.cat"
"$BIN/catadmin" -v "$WORK/orders-users.cat" 2>/dev/null
echo "\$ catspill -h 127.0.0.1 -s $port -u admin -p admin-pw -t 30   (users)"
"$BIN/catspill" -h 127.0.0.1 -s "$port" -u admin -p admin-pw -t 30 2>/dev/null
for t in 2 5 6; do
  echo "\$ catspill -h 127.0.0.1 -s $port -u admin -p admin-pw -t $t ORDERS"
  "$BIN/catspill" -h 127.0.0.1 -s "$port" -u admin -p admin-pw -t $t ORDERS 2>/dev/null
done

echo "\$ catadmin broken.cat"
if "$BIN/catadmin" "$WORK/broken.cat" 2>/dev/null; then
  echo "broken.cat was committed" >&2
  exit 1
fi
echo "\$ catspill -h 127.0.0.1 -s $port -u admin -p admin-pw -t 30   (unchanged)"
"$BIN/catspill" -h 127.0.0.1 -s "$port" -u admin -p admin-pw -t 30 2>/dev/null

echo "\$ srvknob -h 127.0.0.1 -s $port -u clerk -p clerk-pw2 users"
"$BIN/srvknob" -h 127.0.0.1 -s "$port" -u clerk -p clerk-pw2 users 2>/dev/null
echo "\$ catadmin revoke.cat"
"$BIN/catadmin" "$WORK/revoke.cat" 2>/dev/null
echo "\$ srvknob -h 127.0.0.1 -s $port -u clerk -p clerk-pw2 users   (refused)"
if "$BIN/srvknob" -h 127.0.0.1 -s "$port" -u clerk -p clerk-pw2 users 2>&1 | grep -v '^$' | grep -v SRVKNOB; then
  :
fi
