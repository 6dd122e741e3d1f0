#!/usr/bin/env bash
# tomrik against stationsim's freshly installed station: a long-distance
# permission set for a whole line column with F1, a subscriber's hot line, a
# pickup group member, the melody and its volume, and two tariffing column
# writes that start from the record read last. The saved image shows the
# records at their offsets, the frame log the writes of the melody and the
# volume records, and "name.mld", missing at the start, is there afterwards.
source "$(dirname "$0")/lib.bash"

start_station --model tomrik --save "$WORK/after.set" -v || finish
start_on_station tomrik
connect_tomrik || finish

# Long distance by day: subscribers 11..14 have lines 1 and 2; F1 on line 3
# gives it to everyone.
keys Right Down Down Down Down Down Down Down Enter
wait_for "Разрешение абонентам выхода в межгород днем" || finish
keys Right Right F1
wait_for "F1 Установить всю колонку" || finish
keys Space Enter
sleep 3
keys Escape

# Subscriber 12's hot line: none becomes subscriber 11.
keys Up Up Up Up Enter
wait_for "Горячая" || finish
wait_for "Разрешение переключения режимов День/Ночь: Ручное и автоматическое" 10 || finish
keys Down Right Right Right Right Enter Space Enter
wait_for "Вн абн 11" || finish
sleep 0.5
keys Escape

# Pickup group 2 holds 15, 16, 17: its empty fourth place passes over the
# members of groups 1 and 2 to 18.
keys Down Down Down Down Down Down Down Down Down Down Enter
wait_for "Группы перехвата" || finish
wait_for " 17" 10 || finish
keys Down Right Right Right Enter Space Enter
wait_for " 18" || finish
sleep 0.5
keys Escape

# The melody: 4 becomes 5; the volume: level 7 becomes 8.
keys Down Down Enter
wait_for "Генератор мелодий" || finish
wait_for " 4." 10 || finish
keys Enter Right
wait_for " 5." || finish
keys Enter
sleep 1
keys Down Enter Right Enter
sleep 1
keys Escape
wait_for " Выбор мелодии в городскую линию" || finish

# Tariffing: subscribers 11..14 are charged for both kinds of call, the rest
# for none. F1 on subscriber 15's long-distance cell starts from subscriber
# 11's byte, the record read last, and charges everyone's long-distance
# calls; after that fill, F1 on subscriber 16's city calls starts from
# subscriber 11's byte again and charges everyone's city calls.
keys Up Up Up Enter
wait_for "Разрешения тарификации абонентов" || finish
wait_for "F1 Установить всю колонку" 10 || finish
keys Down Down Down Down F1 Enter
wait_log "write (31,16) 1 bytes: stored 02" 15
keys Right Down Down Down Down Down F1 Enter
wait_log "write (31,16) 1 bytes: stored 03" 15
keys Escape
wait_for " Режимы тарификации абонентов" || finish
keys Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish

stop_station
for record in "130,1" "131,1"; do
  grep -qF "write ($record) 1 bytes: stored" "$WORK/sim.log" || {
    echo "FAIL: the frame log has no stored write of ($record)"
    FAILED=1
  }
done
python3 - "$WORK" <<'PY' || FAILED=1
import sys
work = sys.argv[1]
after = open(f"{work}/after.set", "rb").read()
want = {}
for s in range(16):
    want[0x280 + s] = 0x07 if s < 4 else 0x04   # long distance by day
want[0x241] = 1                                   # hot line of subscriber 12
want.update({0x330: 5, 0x331: 6, 0x332: 7, 0x333: 8})  # pickup group 2
want.update({0x020: 4, 0x030: 0x47})              # melody, volume
for s in range(16):
    want[0x2B0 + s] = 0x03                        # tariffing: both charged
for offset, value in want.items():
    if after[offset] != value:
        sys.exit(f"FAIL: byte 0x{offset:03X} is {after[offset]}, expected {value}")
names = open(f"{work}/name.mld", "rb").read()
if names != bytes(512):
    sys.exit(f"FAIL: name.mld holds {len(names)} bytes, not 512 zeros")
PY
finish
