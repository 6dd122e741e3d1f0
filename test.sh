#!/usr/bin/env bash
# Sets everything up and runs the whole test suite: unit and screen tests,
# the end-to-end scenarios in tmux; then the same once more built with
# clang's address and undefined-behaviour sanitizers; a short run of every
# fuzz target; the Debian package, checked by lintian, installed on this
# machine and run; then the Windows zip, unpacked and its programs run
# under Wine.
set -euo pipefail
cd "$(dirname "$0")"
started=$SECONDS
scripts/setup.sh
(cd build && ctest --output-on-failure -j2 --timeout 300)
# The sanitizer run stays within 20 minutes on two cores: it gets what is
# left of them, and leaves its scenarios out when that is too little.
scripts/sanitizers.sh $((1200 - (SECONDS - started)))
scripts/fuzz.sh
scripts/package_check.sh  # the Debian package: lintian, installed and run
scripts/windows_check.sh  # the Windows zip: unpacked, run under Wine
