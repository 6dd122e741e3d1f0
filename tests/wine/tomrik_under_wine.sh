#!/usr/bin/env bash
# tomrik.exe under Wine connects to its station at 4800 baud on Wine's COM1
# and shows the identity on the menu bar; then, with STATION_COM2=COM12, its
# "COM2" reaches a station on Wine's COM12, as a USB adapter numbered above
# COM2 is reached on Windows.
source "$(dirname "$0")/lib.bash"

start_wine_station --model tomrik --identity 4316 || finish
start_wine_program tomrik.exe
wait_for " Выход" 30 || finish
expect_com1_is_the_station || finish
press Enter
wait_for "Инициализация COM порта" || finish
press Enter
wait_for "COM1    4800   4316" 10 || finish
[[ "$(row 1)" == *"COM1    4800   4316" ]] || { echo "FAIL: bar is '$(row 1)'"; FAILED=1; }
screen_text | grep -qF "Инициализация COM порта" && { echo "FAIL: the port window is still shown"; FAILED=1; }
press Escape Enter
stop_wine_program
stop_station

start_wine_station_at "$STATION_WINE_COM12" --model tomrik --identity 2208 || finish
start_wine_program tomrik.exe STATION_COM2=COM12
wait_for " Выход" 30 || finish
press Enter
wait_for "Инициализация COM порта" || finish
press Right Enter
wait_for "COM2    4800   2208" 10 || finish
press Escape Enter
stop_wine_program
stop_station
finish
