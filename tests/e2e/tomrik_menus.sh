#!/usr/bin/env bash
# tomrik in a real terminal: its menus, the About box and the exit entry.
source "$(dirname "$0")/lib.bash"

start_program "cd '$BIN' && ./tomrik"
wait_for "Файл   Програмирование   Зап. книжки   Работа   Справка" || finish
expect_row 3 "│ Настройка COM порта"
keys Right Up
wait_highlighted " Выбор мелодии в городскую линию" || finish
screen_escapes | sed -n 18p | grep -q $'\e\[42m Выбор мелодии' || { echo "FAIL: entry 16 not black on green"; FAILED=1; }
keys Left Left Down Enter
wait_for "Управляющая программа" || finish
keys x
wait_gone "Управляющая" || finish
keys Escape Escape Enter
wait_for "PROGRAM-ENDED" || finish
finish
