#!/usr/bin/env bash
# A station that stops answering while karvel's event log view runs (the
# simulator stopped with SIGSTOP) is told on row 25 after three seconds; the
# note goes when it answers again (SIGCONT) and the log goes on.
source "$(dirname "$0")/lib.bash"

cp "$BIN/help.txt" "$WORK/"
start_station --model karvel --traffic --seed 5 -v || finish
start_on_station karvel
connect_karvel || finish
keys Right Right Right
wait_for "2.Отображение работы станции 2" || finish
keys Down Enter
wait_for "Вести протокол работы станции?" || finish
keys Enter
wait_for "На телефоне" 15 || finish

kill -STOP "$SIM_PID"
sleep 2
screen_text | grep -q "Нет ответа от станции" && { echo "FAIL: the note came before three seconds"; FAILED=1; }
wait_for "Нет ответа от станции" 5 || finish
expect_row 25 "Нет ответа от станции"
frames=$(grep -c "" "$WORK/sim.log")
kill -CONT "$SIM_PID"
gone=0
for ((i = 0; i < 60; i++)); do
  screen_text | grep -q "Нет ответа от станции" || { gone=1; break; }
  sleep 0.05
done
[ "$gone" = 1 ] || { echo "FAIL: the note stayed after the station answered again"; FAILED=1; }
# The station hears the polls again and its events reach the log.
sleep 3
[ "$(grep -c "" "$WORK/sim.log")" -gt "$frames" ] || { echo "FAIL: the simulator saw nothing after it resumed"; FAILED=1; }
keys Escape
wait_for "3.Текущее состояние абонента" || finish
finish
