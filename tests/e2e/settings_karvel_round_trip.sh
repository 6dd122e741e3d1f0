#!/usr/bin/env bash
# karvel against the simulator: the configuration read into a file equals
# the image the simulator started with; another file, loaded for editing,
# edited in file mode, saved and sent back, arrives in the simulator's
# memory exactly.
source "$(dirname "$0")/lib.bash"

make_karvel_images "$BIN"
# What the edit below makes of other.set: 17 at 0x8020.
python3 - "$WORK" <<'PY'
import sys
work = sys.argv[1]
other = bytearray(open(f"{work}/other.set", "rb").read())
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
