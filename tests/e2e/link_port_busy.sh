#!/usr/bin/env bash
# A port that one program holds cannot be had by a second one.
source "$(dirname "$0")/lib.bash"

start_station --model tomrik || finish

# The first program connects and keeps the port open.
start_program "cd '$BIN' && STATION_COM1='$WORK/com1' ./tomrik"
wait_for " Выход" || finish
keys Enter
wait_for "Инициализация COM порта" || finish
keys Enter
wait_for "  4800" 5 || finish

# The second one, in a session of its own, is refused.
tm new-session -d -s second -x 80 -y 25 -e LANG=C.UTF-8 -e LC_ALL=C.UTF-8 -e TERM=xterm-256color \
  "cd '$BIN' && STATION_COM1='$WORK/com1' ./karvel; sleep 30"
PANE='=second:' wait_for "6.Выход" || finish
PANE='=second:' keys Enter
PANE='=second:' wait_for "Инициализация COM порта" || finish
PANE='=second:' keys Enter
PANE='=second:' wait_for "COM-порт занят другим приложением" || finish
PANE='=second:' wait_for "Ошибка обмена по последовательному каналу!" 1 || finish
# After the box the second program is back at its menu, not connected.
PANE='=second:' close_box "COM-порт занят другим приложением" || finish
[[ "$(PANE='=second:' row 1)" != *COM1* ]] || { echo "FAIL: the second program shows a connection"; FAILED=1; }
# The first is still connected.
[[ "$(tm capture-pane -p -t '=0:' | sed -n 1p)" == *"COM1    4800"* ]] || { echo "FAIL: first program lost its link"; FAILED=1; }
finish
