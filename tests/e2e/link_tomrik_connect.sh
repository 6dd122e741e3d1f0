#!/usr/bin/env bash
# tomrik connects to its station at 4800 baud and shows the identity.
source "$(dirname "$0")/lib.bash"

start_station --model tomrik --identity 4316 || finish

start_program "cd '$BIN' && STATION_COM1='$WORK/com1' ./tomrik"
wait_for " Выход" || finish
keys Enter
wait_for "Инициализация COM порта" || finish
keys Enter
wait_for "COM1    4800   4316" 5 || finish
[[ "$(row 1)" == *"COM1    4800   4316" ]] || { echo "FAIL: bar is '$(row 1)'"; FAILED=1; }
screen_text | grep -qF "Инициализация COM порта" && { echo "FAIL: the port window is still shown"; FAILED=1; }
keys Escape Enter
wait_for "PROGRAM-ENDED" || finish
finish
