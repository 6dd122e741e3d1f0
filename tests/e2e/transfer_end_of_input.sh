#!/usr/bin/env bash
# tomrik's keys come from a FIFO that closes in the middle of station to
# file, as a terminal that is gone: the program ends with status 1, the
# file being made beside the old one is removed, and the old file stays.
source "$(dirname "$0")/lib.bash"

# The station answers at the line's pace, so that the transfer is still
# going when the keys end, however fast the machine.
start_station --model tomrik --pace || finish
printf 'old settings' >"$WORK/from.set"
mkfifo "$WORK/keys"
start_program "cd '$WORK' && STATION_COM1='$WORK/com1' '$BIN/tomrik' <'$WORK/keys'; echo STATUS=\$?"
exec 3>"$WORK/keys"  # the program's shell opens the other end
send() { printf "$1" >&3; }  # each is waited for on the screen

wait_for " Выход" || finish
send '\r'
wait_for "Инициализация COM порта" || finish
send '\r'
wait_for "COM1    4800   T416" 10 || finish
send '\033[B\r'
wait_for "Колличество файлов: 1" || finish
send 'from\r'
wait_for "Записать установки в файл from.set Y/N" || finish
send 'y'
wait_for "▓" 10 || finish
exec 3>&-
wait_for "STATUS=1" || finish

left=$(ls -A "$WORK" | grep '^\.' || true)
[ -z "$left" ] || { echo "FAIL: left behind: $left"; FAILED=1; }
[ "$(cat "$WORK/from.set")" = "old settings" ] || { echo "FAIL: from.set changed"; FAILED=1; }
finish
