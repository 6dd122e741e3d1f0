#!/usr/bin/env bash
# karvel started where there is no "help.txt" says so and ends after a key.
# The program looks beside itself and in an installation's data folder too:
# a copy of it in a folder of its own has neither.
source "$(dirname "$0")/lib.bash"

mkdir -p "$WORK/alone/bin" "$WORK/here"
cp "$BIN/karvel" "$WORK/alone/bin/karvel"
start_program "cd '$WORK/here' && '$WORK/alone/bin/karvel'"
wait_for "Ошибка открытия файла!" || finish
[[ "$(row 4)" == "                                 Ошибка открытия файла!"* ]] || { echo "FAIL: message not at column 34"; FAILED=1; }
keys x
wait_for "PROGRAM-ENDED" || finish
finish
