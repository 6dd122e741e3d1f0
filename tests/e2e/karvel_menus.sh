#!/usr/bin/env bash
# karvel in a real terminal: the menu bar, the pull-downs, the About box,
# Esc to the exit entry, and the terminal given back at the end.
source "$(dirname "$0")/lib.bash"

start_program "cd '$BIN' && ./karvel"
wait_for "A/Файл B/Програмирование C/Зап. книжки D/Работа E/Справка" || finish
expect_row 3 "│1.Настройка COM порта"
expect_row 8 "│6.Выход"
# The bar is black on grey and the open title yellow on green.
screen_escapes | head -1 | grep -q $'\e\[93m\e\[42mA/Файл' || { echo "FAIL: open title colours"; FAILED=1; }

keys Right Down
wait_highlighted "2.Установки внутренних портов" || finish
screen_escapes | sed -n 4p | grep -q $'\e\[93m\e\[42m2.Установки' || { echo "FAIL: entry 2 not highlighted"; FAILED=1; }

keys Left Left Down Enter
wait_for "Управляющая  программа" || finish
keys x
wait_for "2.О программе"
screen_text | grep -qF "Управляющая" && { echo "FAIL: About box still shown"; FAILED=1; }

keys Right Right Right Escape
wait_highlighted "A/Файл" 1 1 || finish
expect_row 3 "│1.Настройка COM порта"
keys Escape
wait_highlighted "6.Выход" || finish
screen_escapes | sed -n 8p | grep -q $'\e\[93m\e\[42m6.Выход' || { echo "FAIL: exit entry not highlighted"; FAILED=1; }

keys Enter
wait_for "PROGRAM-ENDED" || finish
[ "$(tm display -p '#{alternate_on}')" = "0" ] || { echo "FAIL: terminal not restored"; FAILED=1; }
finish
