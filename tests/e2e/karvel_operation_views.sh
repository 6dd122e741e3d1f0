#!/usr/bin/env bash
# karvel watches a live simulated station: the state table changes on its
# own, the event log prints the station's events and writes "cmd.ttt" when
# asked to, a digit typed there reaches the station as a key frame, and the
# subscriber view follows PgDn.
source "$(dirname "$0")/lib.bash"

cp "$BIN/help.txt" "$WORK/"
start_station --model karvel --traffic --seed 5 -v || finish
start_program "cd '$WORK' && STATION_COM1='$WORK/com1' '$BIN/karvel'"
connect_karvel || finish

# The Operation menu, its first entry: the state table from port 1.
open_menu "D/Работа" || finish
choose "1.Отображение работы станции 1" || finish
wait_for "Введите номер порта:" || finish
keys 1 Enter
wait_for "Отображение текущего состояния станции" || finish
wait_for "Исходное состояние" || finish
wait_changes '5,16p;20,23p' 10
keys Escape
wait_for "2.Отображение работы станции 2" || finish

# The event log, with the trace file.
choose "2.Отображение работы станции 2" || finish
wait_for "Вести протокол работы станции?" || finish
keys Left Enter
wait_for "На телефоне" 15 || finish
keys 5
wait_for "cmd=81   ch=15" || finish
keys Escape
wait_for "3.Текущее состояние абонента" || finish
[ -s "$WORK/cmd.ttt" ] || { echo "FAIL: cmd.ttt was not written"; FAILED=1; }
grep -q "START <TxD=80 RxD=8" "$WORK/cmd.ttt" || { echo "FAIL: cmd.ttt holds no event frame"; FAILED=1; }
grep -q "key 15: received" "$WORK/sim.log" || { echo "FAIL: the station never got the key frame of 5"; FAILED=1; }

# The subscriber view follows PgDn.
choose "3.Текущее состояние абонента" || finish
wait_for "Введите номер порта:" || finish
keys 1 Enter
wait_for "Отображение текущего состояния абонента" || finish
wait_row 2 "абонента +1 +F9"
wait_for "STAT=" || finish
keys NPage
wait_row 2 "абонента +2 +F9"
keys Escape
wait_for "3.Текущее состояние абонента" || finish

keys Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish
finish
