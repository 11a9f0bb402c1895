# catspill against the stand-in database server: the user table, then every
# node table, then a server without the catalog capability.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
users="$WORK/catspill.users"
echo "demo:$(printf 'demo-pw' | md5sum | cut -d' ' -f1)" > "$users"
demo_start port catspill dbserver --users "$users"
demo_start plain_port catspill-plain dbserver --capabilities 2a

echo "\$ catspill -s $port -u demo -p demo-pw -t 30"
"$BIN/catspill" -s "$port" -u demo -p demo-pw -t 30 2>/dev/null
echo "\$ catspill -s $port -u demo -p demo-pw"
"$BIN/catspill" -s "$port" -u demo -p demo-pw 2>/dev/null
echo "\$ catspill -s $plain_port"
if "$BIN/catspill" -s "$plain_port" 2>&1 | grep -v '^$' | grep -v CATSPILL; then :; fi
