# The server link against the stand-in program server: a temporary tree,
# a users file, then srvprobe logs in, lists, reads and saves.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
tree="$WORK/progtree"
mkdir -p "$tree/progs"
cp "$EXAMPLES/programs/hello.txt" "$EXAMPLES/programs/basics.txt" "$tree/progs/"
echo "greetings from the server" > "$tree/readme.txt"
echo "demo:$(printf '%s' 'demo-pw' | md5sum | cut -d' ' -f1)" > "$WORK/progusers"
mkdir -p -m 700 "$WORK/xdg"
export XDG_RUNTIME_DIR="$WORK/xdg"
log="$WORK/progserver.log"
demo_start port progserver progserver --root "$tree" --users "$WORK/progusers" --log "$log"

echo "\$ srvprobe 127.0.0.1 $port demo *** list /"
"$BIN/srvprobe" 127.0.0.1 "$port" demo demo-pw list /
echo "\$ srvprobe ... list progs"
"$BIN/srvprobe" 127.0.0.1 "$port" demo demo-pw list progs | head -5
echo "\$ srvprobe ... read readme.txt"
"$BIN/srvprobe" 127.0.0.1 "$port" demo demo-pw read readme.txt
printf 'saved through the link\n' > "$WORK/upload.txt"
echo "\$ srvprobe ... save progs/upload.txt"
"$BIN/srvprobe" 127.0.0.1 "$port" demo demo-pw save progs/upload.txt "$WORK/upload.txt"
echo "--- on the server's disk:"
cat "$tree/progs/upload.txt"
echo "\$ srvprobe ... with a wrong password"
"$BIN/srvprobe" 127.0.0.1 "$port" demo wrong list / || true
echo "--- what the server logged (events):"
grep '^#' "$log"
