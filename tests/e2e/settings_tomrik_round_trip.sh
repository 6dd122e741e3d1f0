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
start_transfer " Чтение установок из станции в файл" 1 from "Записать установки в файл from.set Y/N" || finish
wait_for "Установки записаны в файл" 120 || finish
keys Escape
wait_gone "Установки записаны в файл" || finish
cmp "$WORK/from.set" "$WORK/station.img" || { echo "FAIL: from.set differs from the station's image"; FAILED=1; }

# File to station.
start_transfer " Запись установок из файла в станцию" 2 changed "Загрузить установки в станцию?  Y/N" || finish
wait_for "Установки загружены в станцию" 120 || finish
keys Escape
wait_gone "Установки загружены в станцию" || finish

# The station software version, from its records 132..134.
choose " Версия програмного обеспечения станции" || finish
wait_for "Версия програмного обеспечения:         V3.12" || finish
[[ "$(row 13)" == *"Дата создания програмного обеспечения:  15.03.06"* ]] || { echo "FAIL: row 13 is '$(row 13)'"; FAILED=1; }
close_box "Версия програмного обеспечения:" || finish
keys Escape Enter
wait_for "PROGRAM-ENDED" || finish

stop_station
cmp "$WORK/after.img" "$WORK/changed.set" || { echo "FAIL: the simulator's memory differs from the file sent"; FAILED=1; }
finish
