#!/usr/bin/env bash
# Sets everything up and runs the whole test suite: unit and screen tests,
# the end-to-end scenarios in tmux, then the same for the Windows programs
# under Wine.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cd build
ctest --output-on-failure -j2 --timeout 300
cd ..
scripts/windows_check.sh
