# catadmin: the order-entry database compiled with schema into a stand-in
# server that checks logons, then users, a group, memberships and privileges
# administered from a command file and shown with catspill; a file with one
# mistake changes nothing; srvknob logs on as the new clerk until CONNECT is
# revoked.
set -euo pipefail
schemas="$EXAMPLES/schemas"
mkdir -p "$WORK/registry"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica\\Directories]\n"lib"="%s"\n' \
  "$schemas/lib" > "$WORK/registry/user.reg"
export VARNICA_REGISTRY="$WORK/registry"

echo "admin:$(printf 'admin-pw' | md5sum | cut -d' ' -f1)" > "$WORK/catadmin.users"
"$BIN/dbserver" --users "$WORK/catadmin.users" > "$WORK/catadmin.port" &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -s "$WORK/catadmin.port" ] && break
  sleep 0.1
done
port="$(head -n1 "$WORK/catadmin.port")"
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
