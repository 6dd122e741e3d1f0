#!/usr/bin/env bash
# Installs what building and testing need, where it is missing, and builds
# everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++ cmake ninja-build libncurses-dev libgtest-dev tmux python3 less)
# For the Windows programs (scripts/windows_check.sh): the cross compiler,
# Wine to run them, and GoogleTest's sources to build it for Windows.
packages+=(g++-mingw-w64-x86-64-posix wine wine64 googletest)
packages+=(clang libclang-rt-14-dev)  # the fuzz targets: libFuzzer and the sanitizers (scripts/fuzz.sh)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  "${as_root[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
