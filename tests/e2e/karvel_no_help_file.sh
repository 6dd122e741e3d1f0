#!/usr/bin/env bash
# karvel started where there is no "help.txt" says so and ends after a key,
# with status 1 and the folders it looked in on standard error.
# The program looks beside itself and in an installation's data folder too:
# a copy of it in a folder of its own has neither.
source "$(dirname "$0")/lib.bash"

mkdir -p "$WORK/alone/bin" "$WORK/here"
cp "$BIN/karvel" "$WORK/alone/bin/karvel"
start_program "cd '$WORK/here' && '$WORK/alone/bin/karvel' 2>'$WORK/err'; echo STATUS=\$?"
wait_for "Ошибка открытия файла!" || finish
[[ "$(row 4)" == "                                 Ошибка открытия файла!"* ]] || { echo "FAIL: message not at column 34"; FAILED=1; }
keys x
wait_for "STATUS=1" || finish
expected="karvel: cannot open help.txt; looked in $WORK/here, $WORK/alone/bin, $WORK/alone/share/station-consoles"
[[ "$(cat "$WORK/err")" == "$expected" ]] || { echo "FAIL: standard error: $(cat "$WORK/err")"; FAILED=1; }
finish
