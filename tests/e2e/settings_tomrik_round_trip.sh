#!/usr/bin/env bash
# tomrik against the simulator: the records read into a file give the
# 2048-byte image the simulator started with; a changed file sent back
# arrives in the simulator's memory exactly; the version screen shows the
# station's software version.
source "$(dirname "$0")/lib.bash"

make_tomrik_images

start_station --model tomrik --image "$WORK/station.img" --save "$WORK/after.img" || finish
start_on_station tomrik
connect_tomrik || finish

# Station to file.
keys Down Enter
wait_for "Колличество файлов: 1" || finish
keys f r o m Enter
wait_for "Записать установки в файл from.set Y/N" || finish
keys y
wait_for "Установки записаны в файл" 120 || finish
keys Escape
cmp "$WORK/from.set" "$WORK/station.img" || { echo "FAIL: from.set differs from the station's image"; FAILED=1; }

# File to station.
keys Down Enter
wait_for "Колличество файлов: 2" || finish
keys c h a n g e d Enter
wait_for "Загрузить установки в станцию?  Y/N" || finish
keys y
wait_for "Установки загружены в станцию" 120 || finish
keys Escape

# The station software version, from its records 132..134.
keys Down Enter
wait_for "Версия програмного обеспечения:         V3.12" || finish
[[ "$(row 13)" == *"Дата создания програмного обеспечения:  15.03.06"* ]] || { echo "FAIL: row 13 is '$(row 13)'"; FAILED=1; }
keys x
keys Escape Enter
wait_for "PROGRAM-ENDED" || finish

stop_station
cmp "$WORK/after.img" "$WORK/changed.set" || { echo "FAIL: the simulator's memory differs from the file sent"; FAILED=1; }
finish
