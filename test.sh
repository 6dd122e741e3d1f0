#!/usr/bin/env bash
# Sets everything up and runs the whole test suite: unit and screen tests,
# and the end-to-end scenarios in tmux.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cd build
ctest --output-on-failure -j2 --timeout 300
../scripts/fuzz.sh
