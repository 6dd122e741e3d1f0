#!/usr/bin/env bash
# karvel on a line that damages bytes both ways: station to file and file
# to station either report success with the file (or the station's memory)
# equal to the other side, or report the failure. Never a success with
# other bytes.
source "$(dirname "$0")/lib.bash"

cp "$BIN/help.txt" "$WORK/"
python3 - "$WORK" <<'PY'
import sys
work = sys.argv[1]
station = bytearray((i * 11 + i // 241) & 0xFF for i in range(32768))
station[0:8] = b"K-T216A4"
station[0x29] = 3  # the exchange speed setting: 57600
open(f"{work}/station.img", "wb").write(station)
# The same station with other settings; the bytes it keeps to itself are
# what any file of it holds.
other = bytearray((i * 7 + 5) & 0xFF for i in range(32768))
other[0x29] = station[0x29]
for a in list(range(0x00, 0x1F)) + [0x25, 0x26, 0x28, 0x2B, 0x32, 0x33] + list(range(0xE4, 0xE8)):
    other[a] = station[a]
open(f"{work}/other.set", "wb").write(other)
PY

# wait_for_result SECONDS FAILURE SUCCESS: until the screen shows one of the
# two result texts (the failure first: it may contain the success text);
# prints "failure" or "success".
wait_for_result() {
  local i screen
  for ((i = 0; i < $1 * 20; i++)); do
    screen=$(screen_text)
    if grep -qF -- "$2" <<<"$screen"; then echo failure; return 0; fi
    if grep -qF -- "$3" <<<"$screen"; then echo success; return 0; fi
    sleep 0.05
  done
  echo "FAIL: no result on screen" >&2
  screen_text | sed 's/^/    | /' >&2
  return 1
}

start_station --model karvel --baud 57600 --image "$WORK/station.img" --save "$WORK/after.img" \
  --corrupt 0.005 --corrupt-received 0.001 --seed 7 || finish
start_on_station karvel
connect_karvel "COM1  57600  KT216A4" || finish

# Station to file.
keys Down Down Down Enter
wait_for "Колличество файлов: 1" || finish
keys f r o m Enter
wait_for "Переслать установки из станции в файл from.set [Y/N]" || finish
keys y
outcome=$(wait_for_result 240 "Ошибка связи со станцией" "Установки записаны в файл") || { FAILED=1; finish; }
echo "station to file: $outcome"
if [ "$outcome" = success ]; then
  cmp "$WORK/from.set" "$WORK/station.img" || { echo "FAIL: a file reported written differs from the station"; FAILED=1; }
else
  [ ! -e "$WORK/from.set" ] || { echo "FAIL: a failed transfer left from.set"; FAILED=1; }
fi
keys x
keys Escape

# File to station.
keys Down Enter
wait_for "Колличество файлов:" || finish
keys o t h e r Enter
wait_for "Загрузить установки в станцию?  Y/N" || finish
keys y
outcome=$(wait_for_result 240 "Установки записаны в станцию не полностью" "Установки записаны в станцию") || { FAILED=1; finish; }
echo "file to station: $outcome"
keys x
keys Escape
keys Escape Enter
wait_for "PROGRAM-ENDED" || finish

stop_station
if [ "$outcome" = success ]; then
  cmp "$WORK/after.img" "$WORK/other.set" || { echo "FAIL: a send reported whole left other bytes in the station"; FAILED=1; }
fi
finish
