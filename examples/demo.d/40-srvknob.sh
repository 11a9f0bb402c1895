# srvknob against the stand-in database server: the server's command list,
# its state, and a refused logon.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
users="$WORK/dbserver.users"
echo "demo:$(printf 'demo-pw' | md5sum | cut -d' ' -f1)" > "$users"
demo_start port dbserver dbserver --users "$users"

echo "\$ srvknob -s $port -u demo -p demo-pw help"
"$BIN/srvknob" -s "$port" -u demo -p demo-pw help 2>/dev/null
echo "\$ srvknob -s $port -u demo -p demo-pw status"
"$BIN/srvknob" -s "$port" -u demo -p demo-pw status 2>/dev/null
echo "\$ srvknob -s $port -u demo -p wrong help"
if "$BIN/srvknob" -s "$port" -u demo -p wrong help 2>&1 | grep -v '^$' | grep -v SRVKNOB; then :; fi
