# srvknob against the stand-in database server: the server's command list,
# its state, and a refused logon.
set -euo pipefail
users="$WORK/dbserver.users"
echo "demo:$(printf 'demo-pw' | md5sum | cut -d' ' -f1)" > "$users"
"$BIN/dbserver" --users "$users" > "$WORK/dbserver.port" &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -s "$WORK/dbserver.port" ] && break
  sleep 0.1
done
port="$(head -n1 "$WORK/dbserver.port")"

echo "\$ srvknob -s $port -u demo -p demo-pw help"
"$BIN/srvknob" -s "$port" -u demo -p demo-pw help 2>/dev/null
echo "\$ srvknob -s $port -u demo -p demo-pw status"
"$BIN/srvknob" -s "$port" -u demo -p demo-pw status 2>/dev/null
echo "\$ srvknob -s $port -u demo -p wrong help"
if "$BIN/srvknob" -s "$port" -u demo -p wrong help 2>&1 | grep -v '^$' | grep -v SRVKNOB; then :; fi
