#!/usr/bin/env bash
# The Windows programs: builds karvel.exe, tomrik.exe and the unit tests
# with MinGW-w64 into build-win/, makes the zip a Windows user gets (CPack),
# checks what it holds, unpacks it into a fresh folder, runs the unit tests
# under Wine, then the scenarios of tests/wine/ with the programs from the
# unpacked folder (under Wine in tmux, talking to the simulator through
# Wine's COM1 and COM12). The cross compiler, Wine and GoogleTest's sources
# are installed by scripts/setup.sh where they are missing. Any failure
# fails the script.
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

step "making the zip"
rm -f build-win/station-consoles-*-win64.zip
(cd build-win && cpack -G ZIP >/dev/null) || fail "cpack could not make the zip"
zip=$(ls build-win/station-consoles-*-win64.zip)
folder=$(basename "$zip" .zip)
version=${folder#station-consoles-}
version=${version%-win64}
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT  # until the Wine clean-up takes it over
python3 - "$zip" "$unpacked" "$folder" "$version" <<'PY' || fail "the zip"
# The zip holds one folder with exactly the files a Windows user needs: the
# programs stripped and carrying their version, the texts as Notepad reads
# them (UTF-8 with a byte order mark, CRLF), the help files in CP866.
import sys, zipfile
zip_path, target, folder, version = sys.argv[1:]
wanted = {"karvel.exe", "tomrik.exe", "help.txt", "help.hlp", "manual.txt", "README.txt", "LICENSE.txt"}
problems = []
with zipfile.ZipFile(zip_path) as z:
    files = {i.filename: i for i in z.infolist() if not i.is_dir()}
    names = {n.removeprefix(folder + "/") for n in files}
    if any(not n.startswith(folder + "/") for n in files):
        problems.append(f"files outside the folder {folder}/")
    if names != wanted:
        problems.append(f"missing {sorted(wanted - names)}, not wanted {sorted(names - wanted)}")
    for n, info in sorted(files.items()):
        print(f"    {info.file_size:>9}  {n}")
    z.extractall(target)
def read(name):
    return open(f"{target}/{folder}/{name}", "rb").read()
for exe in ("karvel.exe", "tomrik.exe"):
    data = read(exe)
    if b".debug_info" in data or b".debug_line" in data:
        problems.append(f"{exe} is not stripped")
    for key, value in (("FileVersion", version), ("ProductVersion", version), ("FileDescription", "Management console")):
        if (key + "\0").encode("utf-16-le") not in data or value.encode("utf-16-le") not in data:
            problems.append(f"{exe} has no {key} {value}")
for text in ("manual.txt", "README.txt", "LICENSE.txt"):
    data = read(text)
    if not data.startswith(b"\xef\xbb\xbf"):
        problems.append(f"{text} has no byte order mark")
    if data.count(b"\n") != data.count(b"\r\n") or b"\r\n" not in data:
        problems.append(f"{text} has line ends other than CRLF")
    data.decode("utf-8")
for text in ("manual.txt", "README.txt"):
    body = read(text).decode("utf-8-sig")
    for linux_word in ("/dev/tty", "dialout", "LANG=", "stationsim", "TIOCSSERIAL"):
        if linux_word in body:
            problems.append(f"{text} speaks of {linux_word}")
if "Управляющие программы karvel и tomrik".encode("cp866") not in read("help.hlp"):
    problems.append("help.hlp is not the manual in CP866")
if problems:
    sys.exit("the zip: " + "; ".join(problems))
PY
windows_bin=$unpacked/$folder

# One Wine prefix for the whole run: making one takes a while. Its registry
# maps COM1 and COM12 to paths of our choosing (the Ports key); Wine makes
# its dosdevices links com1 and com12 from that at every start, so the links
# cannot fall back to /dev/ttyS*.
temporary=
if [ -n "${STATION_WINEPREFIX:-}" ]; then
  mkdir -p "$STATION_WINEPREFIX"
  WINEPREFIX=$(cd "$STATION_WINEPREFIX" && pwd)
else
  temporary=$(mktemp -d)
  WINEPREFIX=$temporary/prefix
fi
export WINEPREFIX WINEDEBUG=-all
export STATION_WINE_COM1=$WINEPREFIX/station-com1 STATION_WINE_COM12=$WINEPREFIX/station-com12
finish_wine() {
  wineserver -k 2>/dev/null || true
  [ -n "$temporary" ] && rm -rf "$temporary"
  rm -rf "$unpacked"
}
trap finish_wine EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  step "making the Wine prefix $WINEPREFIX"
  timeout 600 wineboot -i >/dev/null 2>&1 || fail "wineboot could not make the prefix"
fi
# COM12 stands for a USB adapter numbered above COM2.
for port in COM1 COM12; do
  path_variable=STATION_WINE_$port
  timeout 120 wine reg add 'HKLM\Software\Wine\Ports' /v $port /d "${!path_variable}" /f >/dev/null 2>&1 ||
    fail "cannot map $port in Wine's registry"
done
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
  if ! timeout 300 bash "$scenario" build/bin "$windows_bin"; then
    failed+=("$(basename "$scenario")")
  fi
done
[ ${#failed[@]} -eq 0 ] || fail "scenarios: ${failed[*]}"
step "all passed"
