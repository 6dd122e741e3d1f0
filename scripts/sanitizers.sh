#!/usr/bin/env bash
# Builds everything once more with clang's AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/, runs the unit tests there and,
# while the time budget allows, the end-to-end scenarios with those
# binaries. The first report of either sanitizer stops the program that made
# it and fails the run.
#
#   scripts/sanitizers.sh [SECONDS]
#
# SECONDS is what the run may take (default 1200); the scenarios are left
# out, saying so, when too little of it is left after the build and the
# unit tests.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.bash
budget=${1:-1200}
started=$SECONDS

# The time the scenarios take with the sanitizers, with some margin.
scenario_seconds=240

install_missing -- clang-14 libclang-rt-14-dev

flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-asan -j"$(nproc)"

# Reports go to files as well as ending the program: a program that runs in a
# tmux pane has no stderr anyone reads.
reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"

status=0
echo "== unit tests with the sanitizers"
ctest --test-dir build-asan --output-on-failure -j2 --timeout 300 -E '^e2e_' || status=1

left=$((budget - (SECONDS - started)))
if [ "$left" -ge "$scenario_seconds" ]; then
  echo "== end-to-end scenarios with the sanitizers"
  ctest --test-dir build-asan --output-on-failure --timeout 300 -R '^e2e_' || status=1
else
  echo "== end-to-end scenarios with the sanitizers left out: ${left} s of the budget left, they need ${scenario_seconds} s"
fi

if compgen -G "$reports/*" >/dev/null; then
  echo "== sanitizer reports"
  for f in "$reports"/*; do
    echo "--- $f"
    cat "$f"
  done
  status=1
fi
exit "$status"
