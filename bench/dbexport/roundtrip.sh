#!/bin/sh
# The round trip of the order-entry database at full size: ordergen's
# 100,000 records (or the count given) through drainbase, blankset, fillbase
# and drainbase, per set, as one file with -r and -c, and in Roman-8 (also
# with -v, the export on standard output); the
# tool test of the same name runs it with 5,000 records in CI.
# Usage: bench/dbexport/roundtrip.sh [build dir] [records]
set -eu
build="${1:-build}"
VARNICA_ROUNDTRIP_RECORDS="${2:-100000}" VARNICA_BIN_DIR="$build/bin" \
  exec "$build/bin/orders_roundtrip_tooltest"
