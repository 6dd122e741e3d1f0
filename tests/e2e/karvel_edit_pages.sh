#!/usr/bin/env bash
# karvel edits a port's priority and a station-wide value, first on a
# connected station (the bytes appear in the simulator's saved image), then
# in a loaded settings file (the bytes appear in the saved file).
source "$(dirname "$0")/lib.bash"

cp "$BIN/help.txt" "$WORK/"
start_station --model karvel --baud 57600 --save "$WORK/after.img" || finish
start_on_station karvel
connect_karvel || finish

# edit_port_priority DIGITS: port 5, main settings, row b (priority).
edit_port_priority() {
  open_menu "B/Програмирование" || finish
  choose "2.Установки внутренних портов" || finish
  wait_for "Введите номер порта:" || finish
  keys 5 Enter
  wait_for "1.Основные установки" || finish
  keys Enter
  wait_for "Основные установки внутреннего порта:" || finish
  keys Down Enter "$@" Enter
  wait_row 5 " $(printf %3s "$(IFS=; echo "$*")")"
  keys Escape Escape Escape
  wait_for "2.Установки внутренних портов" || finish
}

# edit_ringing_limit DIGITS: station-wide settings, general page, row d
# (ringing telephones in interval 4).
edit_ringing_limit() {
  choose "1.Общестанционные установки" || finish
  wait_for "1.Идентификационный номер" || finish
  choose "2.Общестанционные установки" || finish
  wait_for "Общестанционные установки" || finish
  keys Down Down Down Enter "$@" Enter
  wait_row 7 " $(printf %3s "$(IFS=; echo "$*")")"
  keys Escape Escape
  wait_for "1.Общестанционные установки" || finish
}

edit_port_priority 1 7 0
edit_ringing_limit 3 1

keys Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish
stop_station
[ "$(byte_at "$WORK/after.img" 0x8501)" = 170 ] || { echo "FAIL: port 5 priority on the station is $(byte_at "$WORK/after.img" 0x8501)"; FAILED=1; }
[ "$(byte_at "$WORK/after.img" 0x8023)" = 31 ] || { echo "FAIL: the ringing limit on the station is $(byte_at "$WORK/after.img" 0x8023)"; FAILED=1; }

# The same edits in file mode, with other values.
cp "$WORK/after.img" "$WORK/office.set"
stop_program
start_program "cd '$WORK' && '$BIN/karvel'"
choose "2.Загрузка файла для редактирования" || finish
wait_for "Колличество файлов:" || finish
keys o f f i c e Enter
wait_for "office.set" || finish
edit_port_priority 9
edit_ringing_limit 7
open_menu "A/Файл" || finish
choose "3.Сохранение отредактированного файла" || finish
wait_for "Колличество файлов:" || finish
keys s a v e d Enter
wait_for "Записать отредактированный файл saved.set [Y/N]" || finish
keys y
wait_for "Файл записан." || finish
keys x
wait_file_grows "$WORK/saved.set"
[ "$(byte_at "$WORK/saved.set" 0x8501)" = 9 ] || { echo "FAIL: port 5 priority in the file is $(byte_at "$WORK/saved.set" 0x8501)"; FAILED=1; }
[ "$(byte_at "$WORK/saved.set" 0x8023)" = 7 ] || { echo "FAIL: the ringing limit in the file is $(byte_at "$WORK/saved.set" 0x8023)"; FAILED=1; }
finish
