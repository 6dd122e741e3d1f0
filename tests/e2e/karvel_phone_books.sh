#!/usr/bin/env bash
# karvel's phone books on a connected station: a number typed into the
# station book, and one typed into a port's individual book, which gives the
# entry the first free pool cell; both appear in the simulator's saved image
# with the port's entry naming the cell.
source "$(dirname "$0")/lib.bash"

cp "$BIN/help.txt" "$WORK/"
start_station --model karvel --baud 57600 --save "$WORK/after.img" || finish
start_on_station karvel
connect_karvel || finish

# The station book: the simulator's own number in cell 1, a new one in cell 3.
open_menu "C/Зап. книжки" || finish
choose "1.Общая записная книжка" || finish
wait_for "Общестанционная записная книжка" || finish
wait_for "84957771234" 10 || finish
keys Down Down Enter 5 5 5 1 2 3 4 Enter
wait_row 9 "  3.*5551234 "
keys Escape
wait_for "1.Общая записная книжка" || finish

# Port 7's individual book: entry 1 has no cell yet; port 1 holds pool
# cells 1 and 2, so it is given cell 3.
choose "2.Индивидуальная записная книжка" || finish
wait_for "Введите номер порта:" || finish
keys 7 Enter
wait_for "Индивидуальная записная книжка абонента  7" || finish
keys Enter 0 p 1 2 Enter
wait_row 7 "  1.*0P12 "
keys Escape
wait_for "2.Индивидуальная записная книжка" || finish

# The pool view shows the number in cell 3.
choose "3.Все номера индивидуальной книжки" || finish
wait_for "Ячейка" 10 || finish
wait_for "0P12" 10 || finish
[[ "$(row 9)" == *"  3"*"0P12 "* ]] || { echo "FAIL: pool cell 3 shows '$(row 9)'"; FAILED=1; }
keys Escape
wait_for "3.Все номера индивидуальной книжки" || finish

keys Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish
stop_station
bytes_at() { od -An -tu1 -j "$(($2 - 0x8000))" -N"$3" "$1" | tr -s ' ' | sed 's/^ //; s/ $//'; }
expect_bytes() {
  local got
  got=$(bytes_at "$WORK/after.img" "$1" "$2")
  [ "$got" = "$3" ] || { echo "FAIL: $4 is '$got', expected '$3'"; FAILED=1; }
}
expect_bytes 0xE060 8 "5 5 5 1 2 3 4 0" "station book cell 3"
expect_bytes 0x87C0 2 "3 255" "port 7's entries 1 and 2"
expect_bytes 0xC060 5 "10 80 1 2 0" "pool cell 3"
finish
