#!/usr/bin/env bash
# karvel started where "help.txt" is a folder (it opens but cannot be read)
# says so and ends after a key, as when the file is missing.
source "$(dirname "$0")/lib.bash"

mkdir "$WORK/help.txt"
start_program "cd '$WORK' && '$BIN/karvel'"
wait_for "Ошибка открытия файла!" || finish
[[ "$(row 4)" == "                                 Ошибка открытия файла!"* ]] || { echo "FAIL: message not at column 34"; FAILED=1; }
keys x
wait_for "PROGRAM-ENDED" || finish
finish
