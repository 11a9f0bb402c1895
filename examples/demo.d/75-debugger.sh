# The debugger of the environment, driven from the command line by dbgprobe
# (the environment offscreen): a local debug session of hello.PROG against
# the stand-in run-time zazovadi and its script, stepping, the call stack,
# the Variables window with an expanded record and an edited value, then a
# run to the program's end, which ends the session, and the program's output
# with its exit line in the Debug tab. The picture, taken at a stop, shows the
# stop line in the program window, the Call Stack and Variables windows and
# the Debug tab; the step prints where it is.
set -euo pipefail
export VARNICA_REGISTRY="$WORK/registry-debug"
mkdir -p "$VARNICA_REGISTRY"
mkdir -p -m 700 "$WORK/xdg-debug"
export XDG_RUNTIME_DIR="$WORK/xdg-debug"
prog="$WORK/hello.PROG"
"$BIN/store" -o "$WORK/hello" "$EXAMPLES/programs/hello.txt" >/dev/null
script="$WORK/hello.script"
cat >"$script" <<EOF
# What the run-time plays: the statements of hello.PROG (segment 0, lines
# 10 to 50) and the variables of its scope.
var I I 0
var TOTAL L 0.5
var ADDRESS T ADDRESS
var ADDRESS.STREET X Main Street 1
var ADDRESS.ZIP I 12345
var ADDRESS.RATE L 0.25
var NAMES 216 STRING(3)
var NAMES.0 X alpha
var NAMES.1 X beta
var NAMES.2 X gamma
stop $prog 0 10 0 PRINT "Hello, world"||MAIN
print Hello, world
stop $prog 0 20 0 FOR I=1 TO 3||MAIN
var I I 1
stop $prog 0 30 0 PRINT I||MAIN
print 1
var I I 2
stop $prog 0 40 0 NEXT I||MAIN
stop $prog 0 30 0 PRINT I||MAIN
print 2
var I I 3
stop $prog 0 40 0 NEXT I||MAIN
stop $prog 0 30 0 PRINT I||MAIN
print 3
stop $prog 0 50 0 END||MAIN
exit 0
EOF
shot="$WORK/debugger.png"
echo "\$ dbgprobe setup \"--script hello.script hello\" into over over over vars ADDRESS set TOTAL 1,5 stack shot debugger.png run"
"$BIN/dbgprobe" setup "--script $script hello" into over over over vars ADDRESS set TOTAL 1,5 stack \
  shot "$shot" run 2>/dev/null | sed "s|$WORK/||g"
# The picture outlives the demo's work folder.
keep="${TMPDIR:-/tmp}/tessarine-debugger-demo.png"
cp "$shot" "$keep"
echo "debugger: $keep"
