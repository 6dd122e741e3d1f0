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
  keys Right Down Enter
  wait_for "Введите номер порта:" || finish
  keys 5 Enter
  wait_for "1.Основные установки" || finish
  keys Enter
  wait_for "Основные установки внутреннего порта:" || finish
  keys Down Enter "$@" Enter
  sleep 0.3
  [[ "$(row 5)" == *" $(printf %3s "$(IFS=; echo "$*")")"* ]] || { echo "FAIL: the priority row shows '$(row 5)'"; FAILED=1; }
  keys Escape Escape Escape
  wait_for "2.Установки внутренних портов" || finish
}

# edit_ringing_limit DIGITS: station-wide settings, general page, row d
# (ringing telephones in interval 4).
edit_ringing_limit() {
  keys Up Enter
  wait_for "1.Идентификационный номер" || finish
  keys Down Enter
  wait_for "Общестанционные установки" || finish
  keys Down Down Down Enter "$@" Enter
  sleep 0.3
  [[ "$(row 7)" == *" $(printf %3s "$(IFS=; echo "$*")")"* ]] || { echo "FAIL: the ringing row shows '$(row 7)'"; FAILED=1; }
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
wait_for "6.Выход" || finish
keys Down Enter
wait_for "Колличество файлов:" || finish
keys o f f i c e Enter
wait_for "office.set" || finish
edit_port_priority 9
edit_ringing_limit 7
keys Left Down Enter
wait_for "Колличество файлов:" || finish
keys s a v e d Enter
wait_for "Записать отредактированный файл saved.set [Y/N]" || finish
keys y
wait_for "Файл записан." || finish
keys x
sleep 0.3
[ "$(byte_at "$WORK/saved.set" 0x8501)" = 9 ] || { echo "FAIL: port 5 priority in the file is $(byte_at "$WORK/saved.set" 0x8501)"; FAILED=1; }
[ "$(byte_at "$WORK/saved.set" 0x8023)" = 7 ] || { echo "FAIL: the ringing limit in the file is $(byte_at "$WORK/saved.set" 0x8023)"; FAILED=1; }
finish
