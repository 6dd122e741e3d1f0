#!/bin/sh
# The long soak: whole transfers of both models in both directions on lines
# with bit errors both ways (1e-5, 1e-4, 1e-3 per byte), drops and late
# answers, from fixed seeds. The argument is the number of transfers of each
# model, direction and rate (default 1000); CI runs the same test with a few.
#   scripts/soak.sh [ROUNDS] [BUILD_DIR]
set -eu
rounds=${1:-1000}
build=${2:-build}
case $rounds in ''|*[!0-9]*) echo "soak.sh: ROUNDS is a whole number" >&2; exit 2 ;; esac
STATION_SOAK_ROUNDS=$rounds exec "$build/bin/unit_tests" \
  --gtest_filter='TransferSoak.BitErrorsBothWaysNeverGiveAWrongTransfer'
