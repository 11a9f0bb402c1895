#!/usr/bin/env bash
# flowprime and flowtally: prepare the statement-flow file of a program, fill
# it with made-up counts and times in place of the run-time process, and
# report on it.
set -uo pipefail
prog="$WORK/payroll"
echo "--- store -o $prog $EXAMPLES/flow/payroll.txt"
"$BIN/store" -o "$prog" "$EXAMPLES/flow/payroll.txt" || { echo "(store ended with status $?)"; exit 0; }
echo "--- flowprime -v $prog.PROG"
"$BIN/flowprime" -v "$prog.PROG" || echo "(flowprime ended with status $?)"
echo "--- flowtally -s $prog (as prepared: every line, nothing run yet)"
"$BIN/flowtally" -s "$prog" || echo "(flowtally ended with status $?)"
python3 "$EXAMPLES/flow/fill.py" "$prog.SFA"
echo "--- flowtally $prog.SFA (line report after a made-up run)"
"$BIN/flowtally" "$prog.SFA" || echo "(flowtally ended with status $?)"
echo "--- flowtally -s -l 30 $prog.SFA"
"$BIN/flowtally" -s -l 30 "$prog.SFA" || echo "(flowtally ended with status $?)"
echo "--- flowtally -f $prog.SFA"
"$BIN/flowtally" -f "$prog.SFA" || echo "(flowtally ended with status $?)"
