#!/usr/bin/env bash
# karvel on a connected station changes city line 2's dialling type and
# line seizure time, a member of pickup group 1, the hold melody and its
# volume; the bytes appear in the simulator's saved image. A melody name
# typed with F4 lands in "name.mld", which the directory did not hold
# before, once the melody screen closes.
source "$(dirname "$0")/lib.bash"

cp "$BIN/help.txt" "$WORK/"
[ ! -e "$WORK/name.mld" ] || { echo "FAIL: name.mld exists before the run"; FAILED=1; }
start_station --model karvel --baud 57600 --save "$WORK/after.img" || finish
start_on_station karvel
connect_karvel || finish

# City line 2: pulse dialling on the main page, a seizure time of 75 on
# the time page.
open_menu "B/Програмирование" || finish
choose "3.Установки городских линий" || finish
wait_for "Введите номер линии:" || finish
keys 2 Enter
wait_for "Городская линия:         2" || finish
wait_for "6.Группы общего вызова" || finish
keys Enter
wait_for "Основные установки городской линии:" || finish
wait_for "Тональный" || finish
keys Down Down Enter Space Enter
wait_for "Импульсный" || finish
keys Escape
wait_for "2.Временные параметры" || finish
choose "2.Временные параметры" || finish
wait_for "Временные параметры городской линии:" || finish
keys Enter 7 5 Enter
wait_row 4 "  75 \* 5Мс\."
keys Escape
wait_for "Городская линия:         2" || finish
keys Escape
wait_for "Введите номер линии:" || finish
keys Escape
wait_for "3.Установки городских линий" || finish

# Pickup group 1 gains port 7 in its fourth place.
choose "6.Группы перехвата вызовов" || finish
wait_for "Группы перехвата вызовов" || finish
wait_for "Группа перехвата:  4" || finish
keys Right Right Right Enter 7 Enter
wait_row 7 "  1   2   3   7 "
keys Escape
wait_for "6.Группы перехвата вызовов" || finish

# Melody 4, named with F4, at volume level 8.
choose "7.Выбор мелодии при переадресации" || finish
wait_for "Выбор мелодии звучащей для городского абонента" || finish
wait_for " 2." || finish
keys Enter Right Right F4
wait_for "СИМВОЛЫ" || finish
keys T a n g o Enter Enter
wait_row 8 " 4\.  Tango"
[ ! -e "$WORK/name.mld" ] || [ "$(tr -d '\0' <"$WORK/name.mld")" = "" ] ||
  { echo "FAIL: name.mld holds the name before the screen closed"; FAILED=1; }
keys Down Enter Left Left Enter
wait_row 11 "════════█═══════"
keys Escape
wait_for "7.Выбор мелодии при переадресации" || finish

keys Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish
stop_station
# Line 2's block is block 2 + 33 - 1 of the window.
expect_byte "$WORK/after.img" 0xA202 0 "line 2's dialling type"
expect_byte "$WORK/after.img" 0xA210 75 "line 2's seizure time"
expect_byte "$WORK/after.img" 0xEE03 7 "pickup group 1, place 4"
expect_byte "$WORK/after.img" 0x8030 3 "the hold melody"
expect_byte "$WORK/after.img" 0x8031 $((0x47)) "the melody volume"

[ "$(stat -c %s "$WORK/name.mld" 2>/dev/null)" = 512 ] || { echo "FAIL: name.mld is not 512 bytes"; FAILED=1; }
[ "$(od -An -c -j $((3 * 32)) -N 6 "$WORK/name.mld" | tr -s ' ')" = " T a n g o \0" ] ||
  { echo "FAIL: name.mld record 3 is '$(od -An -c -j 96 -N 6 "$WORK/name.mld")'"; FAILED=1; }
finish
