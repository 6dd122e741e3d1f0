#!/usr/bin/env bash
# karvel finds a station at 57600 baud by the speed search (the fourth
# attempt) and shows the port, the speed and the identity on the menu bar.
source "$(dirname "$0")/lib.bash"

start_station --model karvel --baud 57600 --identity KAR416-2 || finish

start_program "cd '$BIN' && STATION_COM1='$WORK/com1' ./karvel"
wait_for "6.Выход" || finish
keys Enter
wait_for "Инициализация COM порта" || finish
keys Enter
wait_for "Попытка связаться:  4   Скорость: 57600" 12 || finish
wait_for "Связь с устройством установлена" 5 || finish
keys x
wait_for "COM1  57600  KR416-2" || finish
expect_row 1 "A/Файл B/Програмирование"
[[ "$(row 1)" == *"COM1  57600  KR416-2" ]] || { echo "FAIL: bar is '$(row 1)'"; FAILED=1; }
keys Escape Enter
wait_for "PROGRAM-ENDED" || finish
finish
