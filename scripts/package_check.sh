#!/usr/bin/env bash
# Builds the Debian package from build/, checks it with lintian (any error
# or warning fails; an info kept on purpose has an override in the package
# that says why), installs it on this machine like any Debian tool (apt
# install ./FILE, which brings what it depends on), and checks the installed
# programs: `karvel --version`, the installed
# karvel started in tmux from an empty folder holding only a settings file
# (it finds its help files in the installation: F10 on a station-wide row
# shows that row's topic, the Help menu's first entry shows the manual),
# and `man karvel`.
set -euo pipefail
cd "$(dirname "$0")/.."
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)

# man shows the page; less is the manual's viewer where hiew is missing;
# lintian judges the package.
for p in man-db less lintian; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    "${as_root[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q "$p"
  fi
done

cmake --build build
rm -f build/station-consoles_*.deb
(cd build && cpack -G DEB >/dev/null)
package=$(ls build/station-consoles_*.deb)
echo "lintian $package"
lintian --info --display-info --fail-on error,warning "$package" || { echo "FAIL: lintian"; exit 1; }
echo "Installing $package"
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install --reinstall -y -q "./$package"
dpkg-query -W -f='${Status}\n' station-consoles | grep -q "install ok installed"

installed=$(dpkg -L station-consoles | grep '/bin/karvel$')
version=$("$installed" --version)
echo "$version"
[[ "$version" == "karvel "* ]] || { echo "FAIL: karvel --version said '$version'"; exit 1; }

source tests/e2e/lib.bash "$(dirname "$installed")"

# An empty folder with a settings file: no help files beside the engineer.
python3 - "$WORK/office.set" <<'PY'
import sys
image = bytearray(32768)
image[0:8] = b"K-T216A4"
image[0x20:0x24] = bytes([7, 7, 7, 7])  # ringing telephones per interval
open(sys.argv[1], "wb").write(image)
PY

start_program "cd '$WORK' && karvel"
wait_for "6.Выход" || finish
keys Down Enter
wait_for "Колличество файлов: 1" || finish
keys Enter
wait_for "office.set" || finish
keys Right Enter
wait_for "1.Идентификационный номер" || finish
keys Down Enter
wait_for "Общестанционные установки" || finish
keys Down Down Down Down F10
wait_for "#93 Текущий режим станции" || finish
keys Escape Escape Escape Escape
stop_program

start_program "cd '$WORK' && karvel"
wait_for "6.Выход" || finish
keys Left Enter
wait_for "Управляющие программы karvel и tomrik" || finish
keys q
wait_for "2.О программе" || finish
keys Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish
[ "$(ls -A "$WORK")" = "office.set" ] || { echo "FAIL: the folder now holds $(ls -A "$WORK" | tr '\n' ' ')"; FAILED=1; }

# The English page, and the Russian one for a Russian reader.
page=$(LANG=C.UTF-8 MANPAGER=cat MANWIDTH=80 man karvel 2>&1) || true
grep -q "karvel - management console" <<<"$page" || { echo "FAIL: man karvel shows: $page"; FAILED=1; }
page=$(LANG=C.UTF-8 MANPAGER=cat MANWIDTH=80 man -L ru karvel 2>&1) || true
grep -q "karvel - управляющая программа" <<<"$page" || { echo "FAIL: man -L ru karvel shows: $page"; FAILED=1; }
finish
