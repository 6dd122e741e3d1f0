#!/usr/bin/env bash
# tomrik against stationsim running calls of its own: the station display
# follows the subscribers, "protokol.txt" grows, and a finished city call
# reaches "tarif.dat", where the call record viewer shows it. Then, live on
# the same station, a phone book entry is typed (found in the simulator's
# frame log as its record write, since the settings image holds no phone
# book), and a number control cell and a command 8 exit are changed (found in
# the simulator's saved image).
source "$(dirname "$0")/lib.bash"

start_station --model tomrik --traffic --seed 4 --save "$WORK/after.set" -v || finish
start_program "cd '$WORK' && STATION_COM1='$WORK/com1' '$BIN/tomrik'"
connect_tomrik || finish

keys Right Right Right Enter
wait_for "Абонент  Состояние   Режим" 10 || finish
wait_for "Занят" 10 || finish
before=$(screen_text)
log_before=$(stat -c %s "$WORK/protokol.txt")
changed=0
for ((i = 0; i < 50; i++)); do
  sleep 0.2
  [ "$(screen_text)" != "$before" ] && { changed=1; break; }
done
[ "$changed" = 1 ] || { echo "FAIL: the display did not change within 10 seconds"; FAILED=1; }
sleep 2
log_after=$(stat -c %s "$WORK/protokol.txt")
[ "$log_after" -gt "$log_before" ] || { echo "FAIL: protokol.txt did not grow ($log_before, $log_after bytes)"; FAILED=1; }
grep -qa $'\r\n' "$WORK/protokol.txt" || { echo "FAIL: protokol.txt has no line breaks"; FAILED=1; }

for ((i = 0; i < 90; i++)); do
  [ "$(stat -c %s "$WORK/tarif.dat")" -ge 32 ] && break
  sleep 1
done
[ "$(stat -c %s "$WORK/tarif.dat")" -ge 32 ] || { echo "FAIL: no city call was recorded"; FAILED=1; finish; }
keys Escape
sleep 0.3

# The call record viewer shows the recorded call: all subscribers, all
# lines, any number.
first=$(python3 - "$WORK/tarif.dat" <<'PY'
import sys
r = open(sys.argv[1], "rb").read(32)
if not (1 <= r[0] <= 16 and 1 <= r[1] <= 4):
    sys.exit(f"subscriber {r[0]}, line {r[1]}")
if r[8] * 3600 + r[9] * 60 + r[10] > 120:
    sys.exit(f"lasted {r[8]}:{r[9]}:{r[10]}")
number = r[11:32].rstrip(b"\0").decode()
if not number.isdigit() or len(number) not in (7, 11):
    sys.exit(f"number {number!r}")
print("%02d:%02d:%02d %s" % (r[5], r[6], r[7], number))
PY
) || { echo "FAIL: the first call record is wrong: $first"; FAILED=1; }
keys Down Enter
wait_for "Информация о разговорах абонента:" || finish
keys Enter Enter Enter
wait_for "Длительн" || finish
sleep 0.3
[[ "$(row 8)" == *"${first% *}"* && "$(row 8)" == *"${first#* }"* ]] ||
  { echo "FAIL: row 8 is '$(row 8)', expected the call at $first"; FAILED=1; }
keys Escape
sleep 0.3

# The common phone book, live: entry 4 becomes 8, pause, 1, 2.
keys Left Enter
wait_for "Общая записная книжка" || finish
wait_for "8p4951234567" || finish
keys Down Down Down Enter 8 p 1 2 Enter
wait_log "write (50,4) 25 bytes: stored 08 FF 01 02 00 00"
keys Escape

# Allowed numbers of line 1, row 2: "05"; the command 8 code "1" leaves by
# line 3 on its second exit.
keys Down Down Down Enter
wait_for "Разрешенные номера при запрете выхода в межгород" || finish
wait_for "8800" || finish
keys Down Enter 0 5 Enter
wait_log "write (14,1) 4 bytes: stored 0A 05 00 00"
keys Escape
keys Down Down Enter
wait_for "Таблица путей при выходе в город по команде 8" 15 || finish
keys Right Right Enter Space Enter
wait_log "write (15,0) 8 bytes: stored 01 00 00 00 01 03 00 00"
keys Escape
keys Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish

stop_station
python3 - "$WORK/after.set" <<'PY' || FAILED=1
import sys
image = open(sys.argv[1], "rb").read()
want = {0x400: [8, 8, 10, 10], 0x404: [10, 5, 0, 0], 0x600: [1, 0, 0, 0, 1, 3, 0, 0]}
for offset, values in want.items():
    got = list(image[offset:offset + len(values)])
    if got != values:
        sys.exit(f"FAIL: bytes at 0x{offset:03X} are {got}, expected {values}")
PY
finish
