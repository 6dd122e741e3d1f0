#!/usr/bin/env bash
# karvel's keys in a real terminal: Alt with a letter is no Esc, and keys
# pressed while the terminal is too small to show the screen do nothing.
# A terminal whose locale is not UTF-8 cannot show the texts: the program
# says so and draws nothing.
source "$(dirname "$0")/lib.bash"

start_program "cd '$BIN' && ./karvel"
wait_for "A/Файл B/Програмирование" || finish
keys Right
wait_for "1.Общестанционные установки" || finish
# Esc here would go back to the File menu; Alt+x, Alt+Shift+O and Alt with
# a Russian letter leave the Programming menu open.
keys M-x
keys M-O
keys M-ф
# Down after them moves within the Programming menu: they were read and left it open.
keys Down
wait_highlighted "2.Установки внутренних портов" || finish
keys Up
wait_highlighted "1.Общестанционные установки" || finish
expect_row 3 "       │1.Общестанционные установки"
expect_row 2 "       ┌"

# Too small: the keys are dropped, not acted on.
tm resize-window -x 60 -y 20
wait_for "Окно терминала меньше 80 x 25." || finish
keys Left
keys Down Down
tm resize-window -x 80 -y 25
wait_for "1.Общестанционные установки" || finish
screen_escapes | sed -n 3p | grep -q $'\e\[93m\e\[42m1.Общестанционные' || { echo "FAIL: a key acted while the screen could not be seen"; FAILED=1; }
# Large enough again, keys act.
keys Down
wait_highlighted "2.Установки внутренних" 4 4
stop_program

start_program "cd '$BIN' && LC_ALL=C LANG=C ./karvel 2>'$WORK/err'; echo STATUS=\$?"
wait_for "STATUS=1" || finish
grep -q "run the program in a UTF-8 locale, for example with LANG=C.UTF-8" "$WORK/err" ||
  { echo "FAIL: standard error: $(cat "$WORK/err")"; FAILED=1; }
finish
