#!/usr/bin/env bash
# karvel started where there is no "help.txt" says so and ends after a key.
source "$(dirname "$0")/lib.bash"

start_program "cd '$WORK' && '$BIN/karvel'"
wait_for "Ошибка открытия файла!" || finish
[[ "$(row 4)" == "                                 Ошибка открытия файла!"* ]] || { echo "FAIL: message not at column 34"; FAILED=1; }
keys x
wait_for "PROGRAM-ENDED" || finish
finish
