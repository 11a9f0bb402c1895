# tessarine starts as a user would (under a virtual X display when xvfb-run is
# there, else offscreen), opens a program from the stand-in program server,
# compiles the program with the Compile command, shows the output pane and
# the browse bar with the program and its segments (the main program and a
# SUB) in its Files tree,
# with an explore window on the demo's work folder, so that the picture
# shows the program and the Build tab with the compile's own summary; it
# saves the main window's picture and closes. The step prints
# where the picture is.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
shot="$WORK/tessarine.png"
export VARNICA_REGISTRY="$WORK/tessarine-registry"
mkdir -p "$VARNICA_REGISTRY"

# The program, stored on the server's disk.
tree="$WORK/tessarine-tree"
mkdir -p "$tree/progs"
src="$WORK/hello.src"
printf '%s\n' '! A first program' 'DIM Name$[20]' 'Name$="World"' 'FOR I=1 TO 3' '   CALL Greet(Name$,I)' 'NEXT I' 'END' \
  'SUB Greet(N$,K)' '   PRINT "Hello ";N$;K' 'SUBEND' >"$src"
"$BIN/store" -o "$tree/progs/hello" "$src" >/dev/null 2>&1
demo_start port tessarine-progserver progserver --root "$tree" --log "$WORK/tessarine-progserver.log"

# The environment knows the server as "localhost" at that port.
key='HKEY_CURRENT_USER\Software\Orvantis\QX Varnica Development Environment'
printf 'REGEDIT4\n\n[%s\\Server]\n"Total"=dword:00000001\n"1"="localhost"\n\n' "$key" >"$VARNICA_REGISTRY/user.reg"
printf '[%s\\Server\\localhost]\n"Title"="stand-in program server"\n"Service"="%s"\n"Login"="demo"\n' \
  "$key" "$port" >>"$VARNICA_REGISTRY/user.reg"

export VARNICA_SNAPSHOT="$shot"
export VARNICA_SNAPSHOT_COMMANDS="Compile,Output,Browse"
prog="localhost://progs/hello.PROG"
export VARNICA_SNAPSHOT_EXPLORE="$WORK"
if command -v xvfb-run >/dev/null 2>&1; then
  echo "\$ VARNICA_SNAPSHOT=$shot VARNICA_SNAPSHOT_COMMANDS=$VARNICA_SNAPSHOT_COMMANDS xvfb-run -a tessarine $prog"
  xvfb-run -a "$BIN/tessarine" -nologo "$prog" 2>/dev/null
else
  echo "\$ VARNICA_SNAPSHOT=$shot VARNICA_SNAPSHOT_COMMANDS=$VARNICA_SNAPSHOT_COMMANDS QT_QPA_PLATFORM=offscreen tessarine $prog"
  QT_QPA_PLATFORM=offscreen "$BIN/tessarine" -nologo "$prog" 2>/dev/null
fi
echo "--- what the server logged (events):"
grep '^#' "$WORK/tessarine-progserver.log" || true
# The picture outlives the demo's work folder.
keep="${TMPDIR:-/tmp}/tessarine-demo.png"
cp "$shot" "$keep"
echo "main window: $keep"
