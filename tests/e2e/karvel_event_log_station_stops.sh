#!/usr/bin/env bash
# A station that stops answering while karvel's event log view runs (the
# simulator stopped with SIGSTOP) is told on row 25 after three seconds; the
# note goes when it answers again (SIGCONT) and the log goes on.
source "$(dirname "$0")/lib.bash"

cp "$BIN/help.txt" "$WORK/"
start_station --model karvel --traffic --seed 5 -v || finish
start_on_station karvel
connect_karvel || finish
open_menu "D/Работа" || finish
choose "2.Отображение работы станции 2" || finish
wait_for "Вести протокол работы станции?" || finish
keys Enter
wait_for "На телефоне" 15 || finish

ms() { echo $(($(date +%s%N) / 1000000)); }
stopped=$(ms)
kill -STOP "$SIM_PID"
wait_for "Нет ответа от станции" 8 || finish
waited=$(($(ms) - stopped))
[ "$waited" -ge 2500 ] || { echo "FAIL: the note came after $waited ms, before three seconds"; FAILED=1; }
expect_row 25 "Нет ответа от станции"
logged=$(file_size "$WORK/sim.log")
kill -CONT "$SIM_PID"
wait_gone "Нет ответа от станции" 3
# The station hears the polls again and its events reach the log.
wait_file_grows "$WORK/sim.log" "$logged" 
keys Escape
wait_for "3.Текущее состояние абонента" || finish
finish
