#!/usr/bin/env bash
# karvel on a station that falls silent. The pickup groups page shows page
# 1's members as the simulator has them; once the simulator has ended, PgDn
# costs one error box and shows page 2's group numbers with blanks where
# members stood, never page 1's. Back at the menu the port that has gone is
# told once, and the next screen asks for a connection.
source "$(dirname "$0")/lib.bash"

cp "$BIN/help.txt" "$WORK/"
start_station --model karvel --baud 57600 || finish
start_on_station karvel
connect_karvel || finish

open_menu "B/Програмирование" || finish
choose "6.Группы перехвата вызовов" || finish
wait_for "Группы перехвата вызовов" || finish
wait_for "Группа перехвата:  4" || finish
[[ "$(row 7)" == *" 1   2   3 "* ]] || { echo "FAIL: pickup group 1 shows '$(row 7)'"; FAILED=1; }

stop_station
keys NPage
wait_for "Нет ответа от внешнего устройства." 10 || finish
keys x
# Page 2 is drawn once the box has closed; a second box would stand on it.
wait_row 20 "Группа перехвата:  8" || finish
screen_text | grep -qF "Нет ответа от внешнего устройства." &&
  { echo "FAIL: a second error box for one PgDn"; screen_text | sed 's/^/    | /'; FAILED=1; }
expect_row 5 "                            Группа перехвата:  5"
expect_row 20 "                            Группа перехвата:  8"
for r in 7 12 17 22; do
  [[ "$(row $r)" != *[0-9]* ]] || { echo "FAIL: row $r of page 2 shows '$(row $r)'"; FAILED=1; }
done

keys Escape
wait_for "Ошибка системы" 10 || finish
keys x
wait_for "6.Группы перехвата вызовов" || finish
keys Enter
wait_for "Не выбран порт обмена" || finish
keys x
wait_gone "Не выбран порт обмена" || finish
wait_for "6.Группы перехвата вызовов" || finish
screen_text | grep -qF "Ошибка системы" && { echo "FAIL: the lost port's box came again"; FAILED=1; }

keys Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish
finish
