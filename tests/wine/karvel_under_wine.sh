#!/usr/bin/env bash
# karvel.exe under Wine against the simulator on Wine's COM1: the speed
# search finds the station at 57600 baud, the identity shows on the menu
# bar, an operating mode gets a Russian name typed on the keyboard, and the
# whole configuration read into a file equals the simulator's memory.
source "$(dirname "$0")/lib.bash"

make_karvel_images "$WINBIN"
python3 - "$WORK" <<'PY'
import sys
work = sys.argv[1]
station = bytearray(open(f"{work}/station.img", "rb").read())
# Four letters typed at the start of mode 1's name push its old text right.
name = 0x80 + 8 * 1
station[name:name + 8] = "Ночь".encode("cp866") + station[name:name + 4]
open(f"{work}/expected.img", "wb").write(station)
PY

start_wine_station --model karvel --image "$WORK/station.img" --save "$WORK/after.img" || finish
start_wine_program karvel.exe
wait_for "6.Выход" 30 || finish
expect_com1_is_the_station || finish

# The speed search: 9600, 19200 and 38400 go unanswered.
press Enter
wait_for "Инициализация COM порта" || finish
press Enter
wait_for "Попытка связаться:  4   Скорость: 57600" 30 || finish
wait_for "Связь с устройством установлена" 10 || finish
press x
wait_for "COM1  57600  KT216A4" || finish
[[ "$(row 1)" == "A/Файл B/Програмирование"*"COM1  57600  KT216A4" ]] || { echo "FAIL: bar is '$(row 1)'"; FAILED=1; }

# F4 on the operating mode row edits the current mode's name.
press Right Enter
wait_for "Общестанционные установки" || finish
press Down Enter
wait_for "в 1 интервале" || finish
press Down Down Down Down F4 Н о ч ь
wait_for "Ночь" || finish
press Enter
press Escape Escape Left
wait_for "4.Пересылка установок из станции в файл" || finish

# Station to file.
press Down Down Down Enter
wait_for "Колличество файлов: 1" || finish
press f r o m Enter
wait_for "Переслать установки из станции в файл from.set [Y/N]" || finish
press y
wait_for "Установки записаны в файл" 120 || finish
press Escape Escape Enter
stop_wine_program
stop_station

cmp "$WORK/from.set" "$WORK/after.img" || { echo "FAIL: from.set differs from the simulator's memory"; FAILED=1; }
cmp "$WORK/from.set" "$WORK/expected.img" || { echo "FAIL: from.set is not the station with the new mode name"; FAILED=1; }
finish
