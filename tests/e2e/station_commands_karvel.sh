#!/usr/bin/env bash
# karvel's whole-configuration commands from a script, against the
# simulator: --read-station gives the station's image with a progress line
# at every tenth; after one setting is changed live on the screen,
# --compare-station of the older file names that setting and nothing else,
# and --write-station of the older file puts it back: the simulator's saved
# image equals that file. Bad arguments and files that cannot serve give
# status 2 and one line.
source "$(dirname "$0")/lib.bash"

cp "$BIN/help.txt" "$WORK/"
python3 - "$WORK" <<'PY'
import sys
work = sys.argv[1]
station = bytearray((i * 13 + i // 251) & 0xFF for i in range(32768))
station[0:8] = b"K-T216A4"
station[0x29] = 3  # the exchange speed setting: 57600
station[0xED00 - 0x8000 + 92] = 0  # the edited setting needs no access code
open(f"{work}/station.img", "wb").write(station)
open(f"{work}/short.set", "wb").write(station[:1000])
PY

station_command() { run_command karvel "$@"; }

# expect_refusal TEXT ARGS...: status 2 and one line on standard error
# that says TEXT, with no station asked.
expect_refusal() {
  local text=$1
  shift
  station_command "$@"
  expect_status 2 "karvel $*"
  if [ "$(wc -l <"$WORK/err")" != 1 ] || ! grep -qF -- "$text" "$WORK/err"; then
    echo "FAIL: karvel $* did not say in one line: $text"
    sed 's/^/    | /' "$WORK/err"
    FAILED=1
  fi
}

expect_refusal "unknown argument --speed" --read-station a.set --speed 9600
expect_refusal "--write-station needs a file name" --write-station
expect_refusal "give one of" --read-station a.set --write-station b.set
expect_refusal "cannot read missing.set" --write-station missing.set
expect_refusal "short.set is not a karvel settings file" --write-station short.set
expect_refusal "cannot write $WORK" --read-station "$WORK"

start_station --model karvel --baud 57600 --image "$WORK/station.img" --save "$WORK/after.img" || finish
station_command --read-station old.set --port "$WORK/com1"
expect_status 0 "--read-station"
cmp "$WORK/old.set" "$WORK/station.img" || { echo "FAIL: old.set differs from the station's image"; FAILED=1; }
[ "$(grep -c 'reading the station: [0-9]*0%' "$WORK/err")" = 10 ] ||
  { echo "FAIL: not one progress line a tenth"; sed 's/^/    | /' "$WORK/err"; FAILED=1; }

# One setting changed live: the first general setting (0x8020) becomes 17.
start_on_station karvel
connect_karvel "COM1  57600  KT216A4" || finish
set_first_general_setting || finish
choose "6.Выход" || finish
wait_for "PROGRAM-ENDED" || finish
stop_program

# The station now differs from old.set in that one setting, and in no byte
# beside it.
(cd "$WORK" && "$BIN/karvel" --compare-station old.set --port "$WORK/com1") >"$WORK/out" 2>"$WORK/err"
STATUS=$?
expect_status 1 "--compare-station after the edit"
if [ "$(wc -l <"$WORK/out")" != 1 ] || ! grep -q "в 1 интервале.*: 160 -> 17$" "$WORK/out"; then
  echo "FAIL: --compare-station did not name exactly the edited setting"
  sed 's/^/    | /' "$WORK/out"
  FAILED=1
fi

station_command --write-station old.set --port "$WORK/com1"
expect_status 0 "--write-station"
stop_station
cmp "$WORK/after.img" "$WORK/old.set" || { echo "FAIL: the station's image differs from old.set"; FAILED=1; }
finish
