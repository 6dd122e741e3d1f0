#!/usr/bin/env bash
# The Windows programs: builds karvel.exe, tomrik.exe and the unit tests
# with MinGW-w64 into build-win/, runs the unit tests under Wine, then the
# scenarios of tests/wine/ (the programs under Wine in tmux, talking to the
# simulator through Wine's COM1). The cross compiler, Wine and GoogleTest's
# sources are installed by scripts/setup.sh where they are missing. Any
# failure fails the script.
#
# STATION_WINEPREFIX=DIR keeps the Wine prefix there between runs (made on
# the first); without it a prefix is made in a temporary folder and removed.
set -euo pipefail
cd "$(dirname "$0")/.."

step() { echo "== windows: $*"; }
fail() {
  echo "== windows: FAILED: $*" >&2
  exit 1
}

# What is missing is installed, and the native build made: the simulator
# runs on this machine.
scripts/setup.sh

step "building the Windows programs and tests"
cmake -S . -B build-win -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake --no-warn-unused-cli >/dev/null
cmake --build build-win
for exe in karvel.exe tomrik.exe unit_tests.exe; do
  [ -f "build-win/bin/$exe" ] || fail "build-win/bin/$exe was not built"
done

# One Wine prefix for the whole run: making one takes a while. Its registry
# maps COM1 to a path of our choosing (the Ports key); Wine makes its
# dosdevices link com1 from that at every start, so the link cannot fall
# back to /dev/ttyS0.
temporary=
if [ -n "${STATION_WINEPREFIX:-}" ]; then
  mkdir -p "$STATION_WINEPREFIX"
  WINEPREFIX=$(cd "$STATION_WINEPREFIX" && pwd)
else
  temporary=$(mktemp -d)
  WINEPREFIX=$temporary/prefix
fi
export WINEPREFIX WINEDEBUG=-all
export STATION_WINE_COM1=$WINEPREFIX/station-com1
finish_wine() {
  wineserver -k 2>/dev/null || true
  [ -n "$temporary" ] && rm -rf "$temporary"
}
trap finish_wine EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  step "making the Wine prefix $WINEPREFIX"
  timeout 600 wineboot -i >/dev/null 2>&1 || fail "wineboot could not make the prefix"
fi
timeout 120 wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$STATION_WINE_COM1" /f >/dev/null 2>&1 ||
  fail "cannot map COM1 in Wine's registry"
wineserver -w

step "unit tests under Wine"
log=$(mktemp)
if ! (cd build-win/bin && timeout 600 wine ./unit_tests.exe --gtest_brief=1) >"$log" 2>&1; then
  grep -v '^$' "$log" | tail -40
  rm -f "$log"
  fail "unit tests under Wine"
fi
grep -E '^\[  PASSED  \] [1-9][0-9]* tests' "$log" || { tail -20 "$log"; rm -f "$log"; fail "no unit test ran"; }
rm -f "$log"
wineserver -w

failed=()
for scenario in tests/wine/*_under_wine.sh; do
  step "scenario $(basename "$scenario")"
  if ! timeout 300 bash "$scenario" build/bin build-win/bin; then
    failed+=("$(basename "$scenario")")
  fi
done
[ ${#failed[@]} -eq 0 ] || fail "scenarios: ${failed[*]}"
step "all passed"
