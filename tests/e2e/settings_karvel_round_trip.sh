#!/usr/bin/env bash
# karvel against the simulator: the configuration read into a file equals
# the image the simulator started with; another file, loaded for editing,
# edited in file mode, saved and sent back, arrives in the simulator's
# memory exactly.
source "$(dirname "$0")/lib.bash"

cp "$BIN/help.txt" "$WORK/"
python3 - "$WORK" <<'PY'
import sys
work = sys.argv[1]
station = bytearray((i * 13 + i // 251) & 0xFF for i in range(32768))
station[0:8] = b"K-T216A4"
station[0x29] = 3  # the exchange speed setting: 57600
open(f"{work}/station.img", "wb").write(station)
# The same station with other settings.
other = bytearray((i * 5 + 3) & 0xFF for i in range(32768))
other[0x29] = station[0x29]
# A file of this station holds what the station keeps to itself (its
# identity, version, clock, counters): a write there is not stored.
kept = list(range(0x00, 0x1F)) + [0x25, 0x26, 0x28, 0x2B, 0x32, 0x33] + list(range(0xE4, 0xE8))
for a in kept:
    other[a] = station[a]
other[0xED00 - 0x8000 + 92] = 0  # the edited setting needs no access code
open(f"{work}/other.set", "wb").write(other)
# What the edit below makes of it: 17 at 0x8020.
other[0x20] = 17
open(f"{work}/expected.img", "wb").write(other)
PY

start_station --model karvel --baud 57600 --image "$WORK/station.img" --save "$WORK/after.img" || finish
start_on_station karvel
connect_karvel "COM1  57600  KT216A4" || finish

# Station to file.
keys Down Down Down Enter
wait_for "Колличество файлов: 1" || finish
keys f r o m Enter
wait_for "Переслать установки из станции в файл from.set [Y/N]" || finish
keys y
wait_for "Установки записаны в файл" 120 || finish
keys Escape
cmp "$WORK/from.set" "$WORK/station.img" || { echo "FAIL: from.set differs from the station's image"; FAILED=1; }

# Load another file for editing, save it under a new name.
keys Up Up Enter
wait_for "Колличество файлов: 2" || finish
keys o t h e r Enter
wait_for "other.set     KT216A4" || finish

# Edit in file mode: the first general setting (station address 0x8020).
keys Right Enter
wait_for "Общестанционные установки" || finish
keys Down Enter
wait_for "в 1 интервале" || finish
keys Enter 1 7 Enter
wait_for "в 1 интервале...   17" || finish
keys Escape Escape Left
wait_for "3.Сохранение отредактированного файла" || finish
keys Down Enter
wait_for "Колличество файлов: 2" || finish
keys e d i t e d Enter
wait_for "Записать отредактированный файл edited.set [Y/N]" || finish
keys y
wait_for "Файл записан." || finish
keys x
cmp "$WORK/edited.set" "$WORK/expected.img" || { echo "FAIL: edited.set is not other.set with the edit"; FAILED=1; }

# Connect again (that ends file mode) and send the saved file.
keys Up Up
connect_karvel "COM1  57600  KT216A4" || finish
keys Down Down Down Down Enter
wait_for "Колличество файлов: 3" || finish
keys e d i t e d Enter
wait_for "Загрузить установки в станцию?  Y/N" || finish
keys y
wait_for "Установки записаны в станцию" 120 || finish
keys Escape
keys Escape Enter
wait_for "PROGRAM-ENDED" || finish

stop_station
cmp "$WORK/after.img" "$WORK/expected.img" || { echo "FAIL: the simulator's memory differs from the file sent"; FAILED=1; }
finish
