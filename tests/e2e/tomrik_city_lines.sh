#!/usr/bin/env bash
# tomrik against a plain stationsim: edits on the city line and day
# distribution screens reach the simulator's records, as its saved image
# shows (group 13 by the indexes line, line + 4, line + 8).
source "$(dirname "$0")/lib.bash"

python3 - "$WORK" <<'PY'
import sys
image = bytearray(2048)
image[0:4] = b"T416"
for l in range(4):
    image[0x080 + l] = 0      # dialling mode: pulse
    image[0x090 + l] = 1      # load time: none
    image[0x0B0 + l] = 5      # pause after the additional digit
    image[0x0D0 + l] = 3      # pause after the long-distance code
    image[0x110 + l] = 10     # DISA wait
    image[0x120 + l] = 4      # line break 400 ms
    image[0x130 + l] = 60     # hold 60 s
    image[0x0C0 + 4 * l: 0x0C4 + 4 * l] = bytes([1, 2, 3, 4])
image[0x140:0x144] = bytes([2, 2, 0, 5])   # day distribution, group 1 of line 1
open(f"{sys.argv[1]}/before.set", "wb").write(image)
PY

start_station --model tomrik --image "$WORK/before.set" --save "$WORK/after.set" -v || finish
start_on_station tomrik
connect_tomrik || finish

open_menu "Програмирование" || finish
choose " Установки городских линий" || finish
wait_for "Установки городских линий" || finish
wait_for "Линия 4" 10 || finish
wait_for "400 Мсек." 10 || finish
keys Enter Space Enter                 # line 1: tone
wait_for "Тональный" || finish
keys Down Down Down Right Enter Space Enter   # line 2: pause after the digit 5 -> 6
wait_for "6 Секунд" || finish
keys Down Right Enter 8 Enter          # line 3: long-distance code 8
wait_log "write (5,3) 4 bytes: stored 08 00 00 00"
keys Down Down Down Down Down Right Enter Space Space Enter   # line 4: DISA wait 10 -> 12
wait_for "12 Секунд" || finish
keys Escape
choose " Распределение вызовов из города днем" || finish
wait_for "Распределение вызовов из городских линий днем" || finish
keys Enter Enter                       # tidy 2, 2, 0, 5 to 2, 5, 0, 0
wait_log "write (8,1) 4 bytes: stored 02 05 00 00"
keys Escape Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish

stop_station
python3 - "$WORK" <<'PY' || FAILED=1
import sys
before = open(f"{sys.argv[1]}/before.set", "rb").read()
after = open(f"{sys.argv[1]}/after.set", "rb").read()
want = {0x080: 1, 0x0B1: 6, 0x0C8: 8, 0x0C9: 0, 0x0CA: 0, 0x0CB: 0, 0x113: 12,
        0x140: 2, 0x141: 5, 0x142: 0, 0x143: 0}
for offset, value in want.items():
    if after[offset] != value:
        sys.exit(f"FAIL: byte 0x{offset:03X} is {after[offset]}, expected {value}")
changed = [o for o in range(2048) if before[o] != after[o] and o not in want]
if changed:
    sys.exit("FAIL: other bytes changed: " + ", ".join(f"0x{o:03X}" for o in changed))
PY
finish
