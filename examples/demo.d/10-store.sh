#!/usr/bin/env bash
# store: compile a small sample program without writing a program file.
# Until the statement compiler joins the library, store reports every
# statement line; its command line, source reading and control lines work.
set -uo pipefail
echo "--- store -help"
"$BIN/store" -help || true
echo "--- store -n -v $EXAMPLES/programs/hello.txt"
"$BIN/store" -n -v "$EXAMPLES/programs/hello.txt" || echo "(store ended with status $?)"
