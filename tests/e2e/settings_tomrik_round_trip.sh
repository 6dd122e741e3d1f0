#!/usr/bin/env bash
# tomrik against the simulator: the records read into a file give the
# 2048-byte image the simulator started with; a changed file sent back
# arrives in the simulator's memory exactly; the version screen shows the
# station's software version.
source "$(dirname "$0")/lib.bash"

python3 - "$WORK" <<'PY'
import random, sys
work = sys.argv[1]
rng = random.Random(4)
image = bytearray(2048)
image[0:4] = b"T416"
for offset in (0x010, 0x020, 0x030):
    image[offset] = rng.randrange(256)
def fill(offset, size):
    for i in range(size):
        image[offset + i] = rng.randrange(1, 256)
for line in range(4):
    for base in (0x080, 0x090, 0x0A0, 0x0B0, 0x0D0, 0x0E0, 0x0F0, 0x100, 0x110, 0x120, 0x130):
        fill(base + line, 1)
    for base in (0x0C0, 0x140, 0x150, 0x160, 0x170, 0x180, 0x190, 0x1A0):
        fill(base + 4 * line, 4)
for group in range(15):
    fill(0x200 + 16 * group, 16)
for k in range(8):
    fill(0x320 + 16 * k, 4)
for k in range(6):
    fill(0x3A0 + 16 * k, 8 if k in (4, 5) else 4)
fill(0x400, 4 * 128)
fill(0x600, 8 * 16)
open(f"{work}/station.img", "wb").write(image)
changed = bytearray(image)
for offset in (0x020, 0x0B2, 0x0D2, 0x112, 0x1A4, 0x2EF, 0x3E7, 0x5FF, 0x67F):
    changed[offset] ^= 0x5A
open(f"{work}/changed.set", "wb").write(changed)
PY

start_station --model tomrik --image "$WORK/station.img" --save "$WORK/after.img" || finish
start_on_station tomrik
connect_tomrik || finish

# Station to file.
keys Down Enter
wait_for "Колличество файлов: 1" || finish
keys f r o m Enter
wait_for "Записать установки в файл from.set Y/N" || finish
keys y
wait_for "Установки записаны в файл" 120 || finish
keys Escape
cmp "$WORK/from.set" "$WORK/station.img" || { echo "FAIL: from.set differs from the station's image"; FAILED=1; }

# File to station.
keys Down Enter
wait_for "Колличество файлов: 2" || finish
keys c h a n g e d Enter
wait_for "Загрузить установки в станцию?  Y/N" || finish
keys y
wait_for "Установки загружены в станцию" 120 || finish
keys Escape

# The station software version, from its records 132..134.
keys Down Enter
wait_for "Версия програмного обеспечения:         V3.12" || finish
[[ "$(row 13)" == *"Дата создания програмного обеспечения:  15.03.06"* ]] || { echo "FAIL: row 13 is '$(row 13)'"; FAILED=1; }
keys x
keys Escape Enter
wait_for "PROGRAM-ENDED" || finish

stop_station
cmp "$WORK/after.img" "$WORK/changed.set" || { echo "FAIL: the simulator's memory differs from the file sent"; FAILED=1; }
finish
