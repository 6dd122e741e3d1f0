#!/usr/bin/env bash
# A port with nothing on it: both programs say there is no answer, karvel
# after its twelve speed-search attempts.
source "$(dirname "$0")/lib.bash"

# A pseudo-terminal whose far end never answers.
python3 - "$WORK/com1" <<'PY' &
import os, pty, select, sys, time
master, slave = pty.openpty()  # both ends stay open: the line never hangs up
os.symlink(os.ttyname(slave), sys.argv[1])
end = time.time() + 90
while time.time() < end:
    if select.select([master], [], [], 0.2)[0]:
        os.read(master, 256)
PY
SIM_PID=$!
for _ in $(seq 50); do [ -e "$WORK/com1" ] && break; sleep 0.1; done

start_program "cd '$BIN' && STATION_COM1='$WORK/com1' ./tomrik"
wait_for " Выход" || finish
keys Enter Enter
wait_for "Нет ответа от внешнего устройства." 10 || finish
close_box "Нет ответа от внешнего устройства." || finish
[[ "$(row 1)" != *4800* ]] || { echo "FAIL: tomrik shows a connection"; FAILED=1; }
keys Escape Enter
wait_for "PROGRAM-ENDED" || finish
stop_program

start_program "cd '$BIN' && STATION_COM1='$WORK/com1' ./karvel"
wait_for "6.Выход" || finish
keys Enter Enter
wait_for "Попытка связаться: 12   Скорость: 57600" 30 || finish
wait_for "Нет ответа от внешнего устройства." 3 || finish
close_box "Нет ответа от внешнего устройства." || finish
[[ "$(row 1)" != *COM1* ]] || { echo "FAIL: karvel shows a connection"; FAILED=1; }
finish
