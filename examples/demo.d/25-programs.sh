#!/usr/bin/env bash
# The development environment's program library without windows: a generated
# program of 4,000 lines compiled line by line as the editor hands the lines
# over, stored into memory, read back and listed with the colour escapes;
# beside it the lines per second of store's own compile.
set -euo pipefail
"$BIN/bench_programs" 4000
