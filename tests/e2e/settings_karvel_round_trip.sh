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
start_transfer "4.Пересылка установок из станции в файл" 1 from \
  "Переслать установки из станции в файл from.set [Y/N]" || finish
wait_for "Установки записаны в файл" 120 || finish
keys Escape
wait_gone "Установки записаны в файл" || finish
cmp "$WORK/from.set" "$WORK/station.img" || { echo "FAIL: from.set differs from the station's image"; FAILED=1; }

# Load another file for editing, save it under a new name.
choose "2.Загрузка файла для редактирования" || finish
wait_for "Колличество файлов: 2" || finish
type_text other
keys Enter
wait_for "other.set     KT216A4" || finish

# Edit in file mode, then save.
set_first_general_setting || finish
start_transfer "3.Сохранение отредактированного файла" 2 edited \
  "Записать отредактированный файл edited.set [Y/N]" || finish
wait_for "Файл записан." || finish
close_box "Файл записан." || finish
cmp "$WORK/edited.set" "$WORK/expected.img" || { echo "FAIL: edited.set is not other.set with the edit"; FAILED=1; }

# Connect again (that ends file mode) and send the saved file.
move_to Up "1.Настройка COM порта" || finish
connect_karvel "COM1  57600  KT216A4" || finish
start_transfer "5.Пересылка установок из файла в станцию" 3 edited "Загрузить установки в станцию?  Y/N" || finish
wait_for "Установки записаны в станцию" 120 || finish
keys Escape
wait_gone "Установки записаны в станцию" || finish
keys Escape Enter
wait_for "PROGRAM-ENDED" || finish

stop_station
cmp "$WORK/after.img" "$WORK/expected.img" || { echo "FAIL: the simulator's memory differs from the file sent"; FAILED=1; }
finish
