#!/usr/bin/env bash
# Installs what is missing and builds into build/.
#   scripts/setup.sh            everything the test suite needs, all targets
#   scripts/setup.sh programs   only what karvel, tomrik and stationsim need
#                               to build and run, and only those (./run.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.bash
what=${1:-everything}

packages=(g++ cmake ninja-build libncurses-dev)
targets=(karvel tomrik stationsim help_files)
lean=(--no-install-recommends)  # the programs need none of the suggestions
if [ "$what" = everything ]; then
  packages+=(libgtest-dev tmux python3 less)
  # For the Windows programs (scripts/windows_check.sh): the cross compiler,
  # Wine to run them, and GoogleTest's sources to build it for Windows.
  packages+=(g++-mingw-w64-x86-64-posix wine wine64 googletest)
  packages+=(clang libclang-rt-14-dev)  # the fuzz targets: libFuzzer and the sanitizers (scripts/fuzz.sh)
  targets=(all)
  lean=()
fi
install_missing "${lean[@]}" -- "${packages[@]}"

# The programs alone need no GoogleTest: a first build for them leaves the
# tests out, and the test suite turns them on again in the same folder.
# Without debugging information it compiles faster, too.
flavour=()
if [ "$what" = everything ]; then
  flavour=(-DBUILD_TESTING=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo)
elif [ ! -f build/CMakeCache.txt ]; then
  flavour=(-DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release)
fi
cmake -S . -B build -G Ninja "${flavour[@]}" >/dev/null
cmake --build build -j"$(nproc)" --target "${targets[@]}"
