#!/usr/bin/env bash
# tomrik against stationsim with a generated call record store: the storage
# device is switched on through the operator FIFO, the program downloads the
# records into "tarif.dat" with durations (calls across midnight included),
# and the viewer shows them and writes them to a report.
source "$(dirname "$0")/lib.bash"

start_station --model tomrik --storage gen --control "$WORK/control" -v || finish
start_on_station tomrik
connect_tomrik || finish

echo "storage on" >"$WORK/control"
open_menu "Работа" || finish
choose " Работа с накопителем" || finish
wait_for "Чтение информации о соединениях из устройства" || finish
wait_for "Связь компьютера с устройством установлена" || finish
keys Enter
wait_for "Вы уверены в необходимости чтения информации" || finish
keys y
wait_for "Чтение информации о соединениях завершено" 20 || finish
wait_for "Колличество прочитаных записей:   12" || finish

# The device clock, set from the computer and read back.
keys Down Down Down Enter
wait_for "Запись текущего времени в устройство завершено" 5 || finish
keys Up Enter
wait_for "Текущее время устройства" 5 || finish
wait_for "$(date +%Y) Года." || finish
keys Escape
echo "storage off" >"$WORK/control"

python3 - "$WORK/tarif.dat" <<'PY' || FAILED=1
import sys
data = open(sys.argv[1], "rb").read()
if len(data) != 12 * 32:
    sys.exit(f"FAIL: tarif.dat holds {len(data)} bytes, not 12 records")
midnight = 0
for n in range(12):
    r = data[32 * n: 32 * n + 32]
    if not (1 <= r[0] <= 16 and 1 <= r[1] <= 4):
        sys.exit(f"FAIL: record {n + 1} has subscriber {r[0]}, line {r[1]}")
    # The generated calls last 5 s .. 15 min; a duration across midnight
    # computed without the borrow would come out near 24 hours.
    seconds = r[8] * 3600 + r[9] * 60 + r[10]
    if not (5 <= seconds <= 905):
        sys.exit(f"FAIL: record {n + 1} lasted {r[8]}:{r[9]}:{r[10]}")
    midnight += r[5] == 23 and r[5] * 3600 + r[6] * 60 + r[7] + seconds >= 86400
if midnight == 0:
    sys.exit("FAIL: no call across midnight among the records")
PY

# The viewer: all subscribers, all lines, any number; then the report.
keys Up Enter
wait_for "Информация о разговорах абонента:" || finish
keys Enter Enter Enter
wait_for "Просмотр" || finish
first=$(python3 -c "import sys; r=open(sys.argv[1],'rb').read(32); print('%02d:%02d:%02d' % (r[5], r[6], r[7]))" "$WORK/tarif.dat")
[[ "$(row 8)" == *"$first"* ]] || { echo "FAIL: row 8 is '$(row 8)', expected the first call at $first"; FAILED=1; }
keys F9
wait_for "Введите имя файла" || finish
keys r e p . t x t Enter
wait_file_grows "$WORK/rep.txt" || finish
lines=$(grep -c ':..:..  ..:..:..' "$WORK/rep.txt" 2>/dev/null)
[ "$lines" = 12 ] || { echo "FAIL: the report lists ${lines:-no} calls, not 12"; FAILED=1; }
keys Escape
keys Escape
keys Escape Escape Escape Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish
finish
