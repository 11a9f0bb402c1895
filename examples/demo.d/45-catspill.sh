# catspill against the stand-in database server: the user table, then every
# node table, then a server without the catalog capability.
set -euo pipefail
users="$WORK/catspill.users"
echo "demo:$(printf 'demo-pw' | md5sum | cut -d' ' -f1)" > "$users"
"$BIN/dbserver" --users "$users" > "$WORK/catspill.port" &
server=$!
"$BIN/dbserver" --capabilities 2a > "$WORK/catspill-plain.port" &
plain=$!
trap 'kill $server $plain 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -s "$WORK/catspill.port" ] && [ -s "$WORK/catspill-plain.port" ] && break
  sleep 0.1
done
port="$(head -n1 "$WORK/catspill.port")"
plain_port="$(head -n1 "$WORK/catspill-plain.port")"

echo "\$ catspill -s $port -u demo -p demo-pw -t 30"
"$BIN/catspill" -s "$port" -u demo -p demo-pw -t 30 2>/dev/null
echo "\$ catspill -s $port -u demo -p demo-pw"
"$BIN/catspill" -s "$port" -u demo -p demo-pw 2>/dev/null
echo "\$ catspill -s $plain_port"
if "$BIN/catspill" -s "$plain_port" 2>&1 | grep -v '^$' | grep -v CATSPILL; then :; fi
