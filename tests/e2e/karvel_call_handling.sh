#!/usr/bin/env bash
# karvel changes an exit code's line, a routing table member and a port's
# exit group in one station mode, first on a connected station (the bytes
# appear in the simulator's saved image), then in a loaded settings file
# (the bytes appear in the saved file).
source "$(dirname "$0")/lib.bash"

cp "$BIN/help.txt" "$WORK/"
start_station --model karvel --baud 57600 --save "$WORK/after.img" || finish
start_on_station karvel
connect_karvel || finish

# edit_exit_line SPACES LINE: exit group 1, code "7", first line column:
# Space SPACES times from none, then Enter; the row shows LINE.
edit_exit_line() {
  open_menu "B/Програмирование" || finish
  choose "4.Группы выхода абонентов в город" || finish
  wait_for "Таблица разрешений выхода в город." || finish
  wait_for "║   9 ║ 1 │ 2 │ 3 │ 4 │" || finish
  keys Enter
  for ((i = 0; i < $1; i++)); do keys Space; done
  keys Enter
  wait_row 8 "^║   7 ║ $2 │"
  keys Escape
  wait_for "4.Группы выхода абонентов в город" || finish
}

# edit_routing_member DIGITS: routing table 1, answer group 1, place 4.
edit_routing_member() {
  choose "5.Таблицы наведения городских вызовов" || finish
  wait_for "Таблицы наведения городких вызов:" || finish
  wait_for "Группа ответа 4" || finish
  keys Right Right Right Enter "$@" Enter
  wait_row 7 "  1   2   3 $(printf %3s "$(IFS=; echo "$*")")"
  keys Escape
  wait_for "5.Таблицы наведения городских вызовов" || finish
}

# edit_port_exit_group DIGIT: port 5, operating variants, exit group of
# the first station mode.
edit_port_exit_group() {
  choose "2.Установки внутренних портов" || finish
  wait_for "Введите номер порта:" || finish
  keys 5 Enter
  wait_for "6.Режимы функционирования" || finish
  choose "6.Режимы функционирования" || finish
  wait_for "Варианты функционирования для внутреннего порта" || finish
  wait_for "h/Разреш. выхода на линию 6" || finish
  keys Enter "$1" Enter
  wait_row 9 "║    $1      │"
  keys Escape Escape Escape
  wait_for "2.Установки внутренних портов" || finish
}

edit_exit_line 2 2
edit_routing_member 9
edit_port_exit_group 3

keys Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish
stop_station
expect_byte "$WORK/after.img" 0xF008 2 "exit group 1, code 7, first line"
expect_byte "$WORK/after.img" 0xB103 9 "routing table 1, group 1, place 4"
expect_byte "$WORK/after.img" 0x8540 3 "port 5's exit group in mode 0"

# The same edits in file mode, with other values.
cp "$WORK/after.img" "$WORK/office.set"
stop_program
start_program "cd '$WORK' && '$BIN/karvel'"
choose "2.Загрузка файла для редактирования" || finish
wait_for "Колличество файлов:" || finish
keys o f f i c e Enter
wait_for "office.set" || finish
edit_exit_line 1 3
edit_routing_member 1 1
edit_port_exit_group 2
open_menu "A/Файл" || finish
choose "3.Сохранение отредактированного файла" || finish
wait_for "Колличество файлов:" || finish
keys s a v e d Enter
wait_for "Записать отредактированный файл saved.set [Y/N]" || finish
keys y
wait_for "Файл записан." || finish
keys x
wait_file_grows "$WORK/saved.set"
expect_byte "$WORK/saved.set" 0xF008 3 "exit group 1, code 7, first line"
expect_byte "$WORK/saved.set" 0xB103 11 "routing table 1, group 1, place 4"
expect_byte "$WORK/saved.set" 0x8540 2 "port 5's exit group in mode 0"
finish
